#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "tests/support/ExitStatus.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <tuple>

namespace {

const char* const openMsxFolder = "/usr/share/games/openttd/baseset/openmsx";

std::vector<std::string> openMsxSongs()
{
    std::vector<std::string> songs;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(openMsxFolder, error))
        if (entry.path().extension() == ".mid")
            songs.push_back(entry.path().string());
    std::sort(songs.begin(), songs.end());
    return songs;
}

std::string textOf(const std::string& path)
{
    const auto bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A channel message as midicsv lists it: track (from 1), tick, status, data bytes.
using Message = std::tuple<std::uint32_t, std::uint64_t, int, int, int>;

// midicsv's channel-message records, in the file's order, track by track.
std::vector<Message> midicsvMessages(const std::string& csv)
{
    static const std::map<std::string, int> kinds = {
        {"Note_off_c", 0x80}, {"Note_on_c", 0x90},    {"Poly_aftertouch_c", 0xA0},    {"Control_c", 0xB0},
        {"Program_c", 0xC0},  {"Pitch_bend_c", 0xE0}, {"Channel_aftertouch_c", 0xD0},
    };
    std::vector<Message> messages;
    std::istringstream lines(csv);
    std::string line;
    while (std::getline(lines, line)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        std::uint32_t track = 0;
        std::uint64_t tick = 0;
        std::string type;
        int channel = 0, first = 0, second = 0;
        fields >> track >> tick >> type;
        const auto kind = kinds.find(type);
        if (kind == kinds.end())
            continue;
        fields >> channel >> first >> second;
        if (kind->second == 0xE0) // one 14-bit value, low 7 bits first in the file
            messages.emplace_back(track, tick, 0xE0 | channel, first & 0x7F, first >> 7);
        else
            messages.emplace_back(track, tick, kind->second | channel, first, second);
    }
    return messages;
}

// Ours in the same shape: by track, then by place in the track.
std::vector<Message> songMessages(const midi::Song& song)
{
    std::vector<midi::ChannelEvent> events = song.events;
    std::stable_sort(events.begin(), events.end(), [](const midi::ChannelEvent& a, const midi::ChannelEvent& b) {
        return a.track != b.track ? a.track < b.track : a.position < b.position;
    });
    std::vector<Message> messages;
    for (const midi::ChannelEvent& e : events)
        messages.emplace_back(e.track + 1, e.tick, e.status, e.data1, e.data2);
    return messages;
}

// Every note-on as an independent reader times it: its channel, key, velocity and the
// microseconds from the song's start, accumulated in seconds in floating point.
const char* const noteOnTimesScript = R"(import sys, mido
for path in sys.argv[1:]:
    print('song', path)
    seconds = 0.0
    for message in mido.MidiFile(path):
        seconds += message.time
        if message.type == 'note_on':
            print(message.channel, message.note, message.velocity, '%.4f' % (seconds * 1e6))
)";

struct TimedNote {
    int channel, note, velocity;
    double microseconds;
};

std::map<std::string, std::vector<TimedNote>> parseTimes(const std::string& text)
{
    std::map<std::string, std::vector<TimedNote>> songs;
    std::istringstream lines(text);
    std::string line;
    std::vector<TimedNote>* current = nullptr;
    while (std::getline(lines, line)) {
        if (line.rfind("song ", 0) == 0) {
            current = &songs[line.substr(5)];
            continue;
        }
        TimedNote note{};
        std::istringstream(line) >> note.channel >> note.note >> note.velocity >> note.microseconds;
        if (current)
            current->push_back(note);
    }
    return songs;
}

} // namespace

// Every song of Debian's openttd-openmsx reads without a warning; its channel messages
// and ticks are those midicsv lists; every note-on falls on the microsecond mido computes.
TEST(OpenMsxSongsOnHost, MatchIndependentReaders)
{
    const std::vector<std::string> songs = openMsxSongs();
    if (songs.empty())
        GTEST_SKIP() << "openttd-openmsx is not installed";
    if (runCommand("midicsv -u > /dev/null 2>&1") == 127 || runCommand("/usr/bin/python3 -c 'import mido'") != 0)
        GTEST_SKIP() << "midicsv or python3-mido is not installed";
    TempDir dir;
    const std::string script = dir.file("times.py");
    writeBytes(script, std::vector<std::uint8_t>(
                           noteOnTimesScript, noteOnTimesScript + std::char_traits<char>::length(noteOnTimesScript)));
    std::string command = "/usr/bin/python3 " + script;
    for (const std::string& song : songs)
        command += " '" + song + "'";
    ASSERT_EQ(runCommand(command + " > " + dir.file("times.txt")), 0);
    const auto times = parseTimes(textOf(dir.file("times.txt")));

    for (const std::string& path : songs) {
        SCOPED_TRACE(path);
        const auto bytes = readBytes(path);
        const midi::SongReadResult result = midi::readSong(bytes.data(), bytes.size());
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_TRUE(result.song.warnings.empty()) << result.song.warnings[0];

        ASSERT_EQ(runCommand("midicsv '" + path + "' > " + dir.file("song.csv")), 0);
        const std::vector<Message> expected = midicsvMessages(textOf(dir.file("song.csv")));
        const std::vector<Message> got = songMessages(result.song);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i)
            ASSERT_EQ(got[i], expected[i]) << "message " << i;

        // Ours is the exact time rounded down to the microsecond; mido's sum of floats is
        // off by far less than a thousandth of one over a few thousand messages. So the
        // two agree when mido's lies in [ours, ours + 1), give or take that thousandth.
        const std::vector<TimedNote>& notes = times.at(path);
        const midi::TempoMap map(result.song);
        std::size_t n = 0;
        for (const midi::ChannelEvent& e : result.song.events) {
            if (e.kind() != 0x90)
                continue;
            ASSERT_LT(n, notes.size());
            const TimedNote& note = notes[n++];
            ASSERT_EQ(std::make_tuple(note.channel, note.note, note.velocity),
                      std::make_tuple(int{e.channel()}, int{e.data1}, int{e.data2}))
                << "note-on " << n - 1;
            const double ours = static_cast<double>(map.microsecondsAt(e.tick));
            ASSERT_GE(note.microseconds, ours - 0.001) << "note-on " << n - 1 << " at tick " << e.tick;
            ASSERT_LT(note.microseconds, ours + 1.001) << "note-on " << n - 1 << " at tick " << e.tick;
        }
        EXPECT_EQ(n, notes.size());
    }
}
