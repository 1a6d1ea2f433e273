#include "tests/cli/ZbkRun.h"
#include "tests/support/ExitStatus.h"
#include "tests/support/SongBytes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#ifndef _WIN32
#include "tests/support/AlsaConfiguration.h"
#endif

using namespace songbytes;

namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& wav)
{
    std::vector<std::int16_t> samples;
    for (std::size_t i = 44; i + 1 < wav.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(wav[i] | (wav[i + 1] << 8)));
    return samples;
}

// A chord on two channels and a drum at the song's start, 480 ticks (half a second) long,
// then the chord again a little louder; the song ends at tick 960.
Bytes chordSong()
{
    return song(1, 480,
                {track({event(0, {0xC1, 40}), event(0, {0x90, 60, 100}), event(0, {0x91, 64, 90}),
                        event(0, {0x99, 36, 127}), event(480, {0x80, 60, 0}), event(0, {0x81, 64, 0}),
                        event(0, {0x90, 67, 120}), event(240, {0x80, 67, 0}), endOfTrack(240)})});
}

class SongCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(zbk({"demo", bank}).status, 0);
        writeBytes(midi, chordSong());
    }

    std::vector<std::uint8_t> render(const std::vector<std::string>& options, const std::string& wav)
    {
        std::vector<std::string> args = {"render-midi", bank, midi, "-o", wav};
        args.insert(args.end(), options.begin(), options.end());
        const ZbkRun run = zbk(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return readBytes(wav);
    }

    TempDir dir;
    std::string bank = dir.file("demo.zbk");
    std::string midi = dir.file("chord.mid");
};

// Whole buffers of 2816 frames from the song's start; the gain scales the device's own mix.
TEST_F(SongCommandsTest, RenderMidiWritesTheSongFromItsStartInWholeBuffersScaledByTheGain)
{
    const auto unity = render({"--gain", "1", "--tail", "2"}, dir.file("unity.wav"));
    ASSERT_GT(unity.size(), 44u);
    const std::uint32_t dataBytes = u32(unity, 40);
    EXPECT_EQ(dataBytes, unity.size() - 44);
    EXPECT_EQ(u32(unity, 4), dataBytes + 36);
    EXPECT_EQ(dataBytes % (2816 * 4), 0u);
    // One second of song, then the voices' releases, which end within the tail.
    EXPECT_GE(dataBytes / 4, 44100u);
    EXPECT_LT(dataBytes / 4, 44100u * 3);
    const auto samples = samplesOf(unity);
    EXPECT_TRUE(std::any_of(samples.begin(), samples.begin() + 2 * 176, [](std::int16_t v) { return v != 0; }))
        << "the first block sounds: the output starts at the song's time 0";
    EXPECT_TRUE(std::all_of(samples.end() - 2 * 176, samples.end(), [](std::int16_t v) { return v == 0; }))
        << "every voice has ended before the last block";

    const auto half = samplesOf(render({"--gain", "0.5", "--tail", "2"}, dir.file("half.wav")));
    ASSERT_EQ(half.size(), samples.size());
    std::vector<std::int16_t> halved(samples.size());
    std::transform(samples.begin(), samples.end(), halved.begin(),
                   [](std::int16_t v) { return static_cast<std::int16_t>(v / 2); });
    EXPECT_EQ(half, halved);

    const auto mono = render({"--rate", "22050", "--bits", "8", "--channels", "1"}, dir.file("mono.wav"));
    EXPECT_EQ((mono.size() - 44) % 1408, 0u) << "buffers of 16 blocks of 88 frames";
}

// A tail of 0 ends the render with the buffer that holds the song's end.
TEST_F(SongCommandsTest, TheTailBoundsTheRenderAfterTheSongsEnd)
{
    const auto cut = render({"--tail", "0"}, dir.file("cut.wav"));
    EXPECT_EQ(u32(cut, 40) / 4, 16u * 2816) << "one second is 15.7 buffers";
}

TEST_F(SongCommandsTest, RefusalsNameTheirCauseAndLeaveTheOldFile)
{
    const std::string wav = dir.file("x.wav");
    writeBytes(wav, {1, 2, 3});
    writeBytes(dir.file("bad.mid"), {'M', 'T', 'h', 'd', 0, 0});
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"render-midi", bank, midi}, "-o"},
        {{"render-midi", bank, midi, "-o", wav, "--voices", "0"}, "--voices"},
        {{"render-midi", bank, midi, "-o", wav, "--gain", "loud"}, "--gain"},
        {{"render-midi", bank, midi, "-o", wav, "--gain", "100"}, "--gain"},
        {{"render-midi", bank, midi, "-o", wav, "--tail", "-1"}, "--tail"},
        {{"render-midi", bank, midi, "-o", wav, "--rate", "48000"}, "--rate"},
        {{"render-midi", bank, dir.file("bad.mid"), "-o", wav}, "bad.mid"},
        {{"render-midi", dir.file("missing.zbk"), midi, "-o", wav}, "cannot open"},
        {{"play-midi", bank, dir.file("missing.mid")}, "missing.mid"},
    };
    for (const Case& c : cases) {
        const ZbkRun run = zbk(c.args);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_EQ(run.err.rfind("zbk: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(readBytes(wav), (std::vector<std::uint8_t>{1, 2, 3}));
    auto entries = dir.entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"bad.mid", "chord.mid", "demo.zbk", "x.wav"}));
}

#ifndef _WIN32
std::vector<std::pair<std::int16_t, std::int16_t>> soundingFrames(const std::vector<std::int16_t>& stereo)
{
    std::vector<std::pair<std::int16_t, std::int16_t>> frames;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2)
        if (stereo[i] != 0 || stereo[i + 1] != 0)
            frames.emplace_back(stereo[i], stereo[i + 1]);
    return frames;
}

// The card, here ALSA's file plugin, gets the samples render-midi writes. The capture
// begins with the silence the device queues at open, and where the render thread fell
// behind the sink (which runs far faster than real time) it holds stretches of silence
// too; the frames that sound are the render's, in order.
TEST(SongCommandsOnHost, PlayMidiSendsTheCardTheSamplesOfRenderMidi)
{
    TempDir dir;
    const std::string tool = ZBK_TOOL_PATH;
    ASSERT_EQ(runCommand(tool + " demo " + dir.file("demo.zbk") + " > /dev/null"), 0);
    writeBytes(dir.file("chord.mid"), chordSong());
    ASSERT_EQ(runCommand(tool + " render-midi " + dir.file("demo.zbk") + " " + dir.file("chord.mid") + " -o " +
                         dir.file("render.wav") + " > /dev/null"),
              0);
    {
        AlsaConfiguration card(dir.file("asound.conf"), alsaFileDevice(dir.file("card.wav")));
        ASSERT_EQ(runCommand(tool + " play-midi " + dir.file("demo.zbk") + " " + dir.file("chord.mid") + " > " +
                             dir.file("out.txt") + " 2>&1"),
                  0)
            << readBytes(dir.file("out.txt")).size();
    }
    const auto rendered = soundingFrames(samplesOf(readBytes(dir.file("render.wav"))));
    const auto played = soundingFrames(samplesOf(readBytes(dir.file("card.wav"))));
    ASSERT_GT(rendered.size(), 40000u);
    EXPECT_EQ(played.size(), rendered.size());
    EXPECT_TRUE(played == rendered);
}
#endif

} // namespace
