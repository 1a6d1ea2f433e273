#pragma once

#include "bank/ToneRecord.h"

// A pure tone to compare a tone's tuning with by ear: one inverted cosine cycle of 256
// samples as the whole wave, full attack, no decay, and an instant release.
ToneRecord makeReferenceTone();
