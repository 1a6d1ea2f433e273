#include "midi/SmfReader.h"
#include "midi/TempoMap.h"
#include "tests/support/SongBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>

using namespace songbytes;

namespace {

// Songs that reach every path of the reader: running status across meta and sysex events,
// both sysex forms, tempo changes, SMPTE division, format 2, an unknown chunk.
std::vector<Bytes> builtSeeds()
{
    Bytes extraChunk = song(1, 480,
                            {track({tempo(0, 600000), event(0, {0xFF, 0x03, 4, 'n', 'a', 'm', 'e'}), endOfTrack(10)}),
                             track({event(0, {0xC9, 3}), event(0, {0x99, 36, 100}), event(120, {0xFF, 0x01, 1, 'x'}),
                                    event(0, {36, 0}), event(0, {0xF0, 3, 0x43, 0x10, 0xF7}), event(5, {0xB9, 7, 90}),
                                    event(0, {0xE9, 0, 64}), event(1, {0xF7, 2, 1, 2}), endOfTrack(1)})});
    append(extraChunk, chunk("XFIH", {1, 2, 3}));
    return {
        extraChunk,
        song(0, 0xE728, {track({event(0, {0x90, 60, 1}), tempo(3, 250000), event(40, {0x80, 60, 0}), endOfTrack()})}),
        song(2, 96,
             {track({event(0, {0xA0, 60, 1}), endOfTrack(100)}),
              track({tempo(0, 300000), event(10, {0xD2, 9}), event(0x0FFFFFFF, {0x82, 1, 2}), endOfTrack()})}),
    };
}

std::vector<Bytes> seeds()
{
    std::vector<Bytes> all = builtSeeds();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/games/openttd/baseset/openmsx", error))
        if (entry.path().extension() == ".mid")
            all.push_back(readBytes(utf8Of(entry.path())));
    return all;
}

std::uint64_t fuzzCount()
{
    const char* text = std::getenv("ZBK_FUZZ_COUNT");
    return text ? std::strtoull(text, nullptr, 10) : 3000;
}

// One to four changes of the kinds that upset a reader most: a random byte, a byte that
// is a status or a continuation, a length or delta set wild, a cut, a repeated or lost
// stretch.
void mutate(Bytes& bytes, std::mt19937& random)
{
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int c = 0; c < changes && !bytes.empty(); ++c) {
        const std::size_t at = random() % bytes.size();
        switch (random() % 7) {
        case 0: bytes[at] = static_cast<std::uint8_t>(random()); break;
        case 1: {
            static const std::uint8_t special[] = {0x00, 0x7F, 0x80, 0xFF, 0xF0, 0xF7, 0x2F, 0x51, 0x90, 0xC0};
            bytes[at] = special[random() % sizeof special];
            break;
        }
        case 2:
            for (std::size_t i = at; i < std::min(bytes.size(), at + 4); ++i)
                bytes[i] = static_cast<std::uint8_t>(random() % 2 ? 0xFF : random());
            break;
        case 3: bytes.resize(at); break;
        case 4: {
            const std::size_t length = std::min<std::size_t>(1 + random() % 64, bytes.size() - at);
            bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
            break;
        }
        case 5: {
            const std::size_t length = std::min<std::size_t>(1 + random() % 16, bytes.size() - at);
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
            break;
        }
        default: // a chunk's length, where the chunks are
            for (std::size_t i = at; i + 8 <= bytes.size(); ++i)
                if (bytes[i] == 'M' && (bytes[i + 1] == 'T' || bytes[i + 1] == 'X')) {
                    for (int b = 4; b < 8; ++b)
                        bytes[i + b] = static_cast<std::uint8_t>(random());
                    break;
                }
        }
    }
}

// What a song that was read must always be, however damaged its file.
void expectSound(const midi::SongReadResult& result)
{
    if (!result.ok) {
        ASSERT_FALSE(result.error.empty());
        return;
    }
    const midi::Song& song = result.song;
    ASSERT_LE(song.events.size() + song.tempoChanges.size(), midi::songLimits::maxEvents);
    ASSERT_LE(song.trackCount, midi::songLimits::maxTracks);
    ASSERT_LE(song.endTick, midi::songLimits::maxTick);
    ASSERT_LE(song.warnings.size(), midi::songLimits::maxWarnings + 1);
    for (std::size_t i = 0; i < song.events.size(); ++i) {
        const midi::ChannelEvent& e = song.events[i];
        ASSERT_TRUE(e.status >= 0x80 && e.status < 0xF0 && e.data1 < 0x80 && e.data2 < 0x80) << i;
        ASSERT_LT(e.track, song.trackCount);
        ASSERT_LE(e.tick, song.endTick);
        if (i > 0) {
            const midi::ChannelEvent& p = song.events[i - 1];
            ASSERT_TRUE(std::tie(p.tick, p.track, p.position) < std::tie(e.tick, e.track, e.position)) << i;
        }
    }
    for (std::size_t i = 1; i < song.tempoChanges.size(); ++i)
        ASSERT_LE(song.tempoChanges[i - 1].tick, song.tempoChanges[i].tick);
    ASSERT_LE(midi::TempoMap(song).microsecondsAt(song.endTick), midi::songLimits::maxMicroseconds);
}

} // namespace

TEST(SongReaderFuzz, DamagedSongsAreReadSoundlyOrRefusedWithACause)
{
    const std::vector<Bytes> all = seeds();
    std::mt19937 random(20261209);
    const std::uint64_t count = fuzzCount();
    // The small built songs are cheap and dense in structure: every other round is one of them.
    const std::size_t builtCount = builtSeeds().size();
    std::uint64_t read = 0, refused = 0;
    for (std::uint64_t round = 0; round < count; ++round) {
        Bytes bytes = all[round % 2 || all.size() == builtCount ? random() % builtCount : random() % all.size()];
        mutate(bytes, random);
        const midi::SongReadResult result = midi::readSong(bytes.data(), bytes.size());
        expectSound(result);
        ASSERT_FALSE(HasFatalFailure()) << "round " << round;
        ++(result.ok ? read : refused);
    }
    std::cout << "[          ] " << read << " damaged songs read, " << refused << " refused\n";
    // Mutations that were all refused at the header would test nothing past it.
    if (count >= 1000) {
        EXPECT_GT(read, count / 10);
        EXPECT_GT(refused, count / 10);
    }
}
