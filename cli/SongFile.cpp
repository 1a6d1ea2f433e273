#include "cli/SongFile.h"

#include "cli/Arguments.h"
#include "framework/File.h"
#include "midi/SmfReader.h"

#include <new>
#include <vector>

namespace {

std::vector<std::uint8_t> readWholeFile(const std::string& path)
{
    File file;
    if (!file.open(path.c_str(), File::genericRead))
        throw CommandError("cannot open " + path + ": " + describeOpenError(file.openError));
    const std::int64_t size = file.size();
    if (size < 0)
        throw CommandError("cannot read " + path + ": reading it failed");
    if (size > maxSongFileBytes)
        throw CommandError("cannot read " + path + ": it holds " + std::to_string(size) + " bytes, more than the " +
                           std::to_string(maxSongFileBytes) + " a song file may hold");
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw CommandError("cannot read " + path + ": out of memory");
    }
    if (!file.read(bytes.data(), bytes.size()))
        throw CommandError("cannot read " + path + ": reading it failed");
    return bytes;
}

} // namespace

midi::Song loadSongFile(const std::string& path, CommandContext& context)
{
    refuseStandardInput(path);
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    midi::SongReadResult result = midi::readSong(bytes.data(), bytes.size());
    if (!result.ok)
        throw CommandError("cannot read " + path + ": " + result.error);
    for (const std::string& warning : result.song.warnings)
        context.err << "zbk: warning: " << path << ": " << warning << '\n';
    return std::move(result.song);
}
