#pragma once

#include "soundfont/SoundFont.h"

#include <string>

// Reads a SoundFont 2 file whole. False when the file is refused, with `refusal` saying
// why ("the file is truncated (...)", "compressed samples (SoundFont 3) are not
// supported", ...). Every count, index and size in the file is checked against the file
// or the list it points into before it is used, so nothing is allocated beyond what
// the file holds.
bool readSoundFont(const char* fileName, SoundFont& font, std::string& refusal);
