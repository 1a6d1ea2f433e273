#pragma once

#include "cli/Command.h"
#include "midi/Song.h"

#include <cstdint>
#include <string>

// The largest song file a command reads: real Standard MIDI Files are rarely over a
// megabyte, and the reader keeps the whole file in memory.
constexpr std::int64_t maxSongFileBytes = 16 * 1024 * 1024;

// Reads a Standard MIDI File for a command. A file that cannot be opened or is refused is
// a CommandError that says why ("cannot open PATH: ...", "cannot read PATH: ..."); what the
// reader read past or found cut short goes to context.err as "zbk: warning: PATH: ..." lines.
midi::Song loadSongFile(const std::string& path, CommandContext& context);
