#include "VoiceTestSupport.h"

#include "cli/BankInspection.h"
#include "cli/DemoBank.h"
#include "cli/NotePlan.h"
#include "cli/SoundCard.h"
#include "tests/cli/ZbkRun.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace {

std::vector<std::int16_t> asSamples16(const std::vector<std::uint8_t>& bytes, std::size_t from = 0)
{
    std::vector<std::int16_t> samples;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return samples;
}

// Pitch of a mono render: rising zero crossings per second, between 0.1 s and the end.
double pitchOf(const std::vector<std::int16_t>& samples, double rate)
{
    const auto first = static_cast<std::size_t>(0.1 * rate);
    std::size_t firstCrossing = 0, lastCrossing = 0, crossings = 0;
    for (std::size_t i = first + 1; i < samples.size(); ++i)
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            if (crossings++ == 0)
                firstCrossing = i;
            lastCrossing = i;
        }
    return crossings < 2 ? 0 : (crossings - 1) * rate / static_cast<double>(lastCrossing - firstCrossing);
}

// A render kept in memory; checks that the bytes come to what `begin` announced.
class CollectedRender : public RenderTarget {
public:
    void begin(std::uint64_t byteCount) override { announced = byteCount; }
    void take(const std::uint8_t* data, std::size_t count) override { bytes.insert(bytes.end(), data, data + count); }

    std::uint64_t announced = 0;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> renderToMemory(const NotePlan& plan, std::int32_t rate, std::int32_t channels)
{
    CollectedRender render;
    renderNoteOffline(plan, 16, rate, channels, render);
    EXPECT_EQ(render.bytes.size(), render.announced);
    return render.bytes;
}

NotePlan planFor(const ToneBank& bank, bool drum, std::uint32_t tone, std::uint32_t note, double hold, double release)
{
    NotePlan plan;
    plan.drum = drum;
    plan.toneIndex = tone;
    plan.note = note;
    plan.hold = hold;
    plan.release = release;
    chooseTone(plan, bank);
    return plan;
}

class DemoBankTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ZbkRun run = zbk({"demo", dir.file("demo.zbk")});
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_TRUE(bank->loadBank(dir.file("demo.zbk").c_str()));
    }

    TempDir dir;
    std::unique_ptr<ToneBank> bank = std::make_unique<ToneBank>();
};

TEST_F(DemoBankTest, IsConsistentAndGivesEveryProgramALoopedOrOneShotTone)
{
    EXPECT_EQ(findInconsistencies(*bank), std::vector<std::string>{});
    EXPECT_EQ(bank->waveCount(), static_cast<std::uint32_t>(demoWaveCount));
    std::set<std::uint32_t> wavesUsed;
    std::size_t oneShots = 0;
    for (std::uint32_t p = 0; p < 128; ++p) {
        const ToneRecord tone = bank->getInstrumentTone(p);
        ASSERT_GE(bank->findWave(tone.wave), 0) << "program " << p;
        EXPECT_EQ(tone.drumAlgorithm, 0) << "program " << p;
        EXPECT_GT(tone.AR, 0) << "program " << p << " must sound";
        EXPECT_GT(tone.RR, 0) << "program " << p << " must end after its release";
        wavesUsed.insert(static_cast<std::uint32_t>(bank->findWave(tone.wave)));
        if (tone.loopReturn >= tone.sampleCount)
            ++oneShots;
    }
    EXPECT_GE(wavesUsed.size(), 8u) << "sine, square, saw, triangle and mixes all in use";
    EXPECT_GE(oneShots, 1u);
    const ToneRecord piano = bank->getInstrumentTone(0);
    EXPECT_EQ(piano.cycleSize, 256);
    EXPECT_EQ(piano.sampleCount, 256) << "one looped cycle";
    EXPECT_EQ(piano.loopReturn, 0);
}

TEST_F(DemoBankTest, HasADrumSetOfDrumToneOnTheGeneralMidiNotes)
{
    EXPECT_EQ(bank->drumSetCount(), 1u);
    for (std::int32_t set : bank->drumSetMap())
        EXPECT_EQ(set, 0);
    const auto& map = bank->drumMaps()[0];
    for (std::uint32_t note : {35u, 36u, 38u, 40u, 41u, 42u, 43u, 44u, 45u, 46u, 47u, 48u, 49u, 50u, 51u, 57u}) {
        const ToneRecord drum = bank->getDrumTone(static_cast<std::uint32_t>(map[note]));
        EXPECT_EQ(drum.drumAlgorithm, 1) << "note " << note;
        EXPECT_GT(drum.cycleSize, 0) << "note " << note;
        EXPECT_GT(drum.gainRate, 0) << "note " << note;
    }
    // Bass drum, snare, closed and open hi-hat, the six toms and the crash are distinct.
    std::set<std::int32_t> distinct;
    for (std::uint32_t note : {36u, 38u, 42u, 46u, 41u, 43u, 45u, 47u, 48u, 50u, 49u})
        distinct.insert(map[note]);
    EXPECT_EQ(distinct.size(), 11u);
}

TEST_F(DemoBankTest, ProgramZeroAtNote69SoundsAt440Hertz)
{
    const auto bytes = renderToMemory(planFor(*bank, false, 0, 69, 1, 0), 44100, 1);
    EXPECT_NEAR(pitchOf(asSamples16(bytes), 44100), 440.0, 0.5);
    // A sine program an octave lower, at another rate.
    const auto low = renderToMemory(planFor(*bank, false, 72, 57, 1, 0), 22050, 1);
    EXPECT_NEAR(pitchOf(asSamples16(low), 22050), 220.0, 0.5);
}

TEST_F(DemoBankTest, EveryDrumSoundsAndEnds)
{
    for (std::uint32_t d = 0; d < bank->drumToneCount(); ++d) {
        const auto samples = asSamples16(renderToMemory(planFor(*bank, true, d, 36, 2, 0), 44100, 2));
        EXPECT_GT(*std::max_element(samples.begin(), samples.end()), 8000) << "drum tone " << d;
        EXPECT_TRUE(std::all_of(samples.end() - 2816 * 2, samples.end(), [](std::int16_t v) { return v == 0; }))
            << "drum tone " << d << " has ended within two seconds";
    }
}

// ---- zbk render ----------------------------------------------------------------------

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const WaveRef wave = waveOf(std::vector<std::int8_t>(64, 100));
        bank->appendWave(wave);
        bank->setInstrumentTone(5, fullLevelTone(wave));
        ASSERT_TRUE(bank->saveBank(bankPath.c_str()));
    }

    static std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at)
    {
        return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
    }
    static std::uint32_t u16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

    TempDir dir;
    std::string bankPath = dir.file("bank.zbk");
    std::unique_ptr<ToneBank> bank = std::make_unique<ToneBank>();
};

TEST_F(RenderCommandTest, WritesTheRefilledBuffersAsPcmWavReleasingAfterTheHold)
{
    const std::string wav = dir.file("note.wav");
    const ZbkRun run =
        zbk({"render", bankPath, "--program", "5", "--note", "60", "--hold", "0.5", "--release", "0.25", "-o", wav});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto bytes = readBytes(wav);
    // Buffers of 2816 frames: 0.5 s is 7.83 of them, held for 8; 0.25 s adds 4 more.
    const std::size_t frames = 12 * 2816;
    ASSERT_EQ(bytes.size(), 44 + frames * 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(u32(bytes, 4), 36 + frames * 4);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(u32(bytes, 16), 16u);
    EXPECT_EQ(u16(bytes, 20), 1u);
    EXPECT_EQ(u16(bytes, 22), 2u);
    EXPECT_EQ(u32(bytes, 24), 44100u);
    EXPECT_EQ(u32(bytes, 28), 44100u * 4);
    EXPECT_EQ(u16(bytes, 32), 4u);
    EXPECT_EQ(u16(bytes, 34), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    EXPECT_EQ(u32(bytes, 40), frames * 4);

    // 100 x 504 split over two channels while held; the release ends the voice at once.
    const auto samples = asSamples16(bytes, 44);
    std::vector<std::int16_t> expected(frames * 2, 0);
    std::fill(expected.begin(), expected.begin() + 8 * 2816 * 2, 25200);
    EXPECT_SAME_SAMPLES(expected, samples);
}

TEST_F(RenderCommandTest, RendersEightBitMonoAtTheLowestRate)
{
    const std::string wav = dir.file("low.wav");
    const ZbkRun run = zbk({"render", bankPath, "--program", "5", "--note", "60", "--hold", "0.5", "--release", "0",
                            "--rate", "11025", "--bits", "8", "--channels", "1", "-o", wav});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto bytes = readBytes(wav);
    // Blocks of 44 frames, buffers of 704: 0.5 s is 7.83 buffers, rounded to 8.
    ASSERT_EQ(bytes.size(), 44u + 8 * 704);
    EXPECT_EQ(u16(bytes, 22), 1u); // channels
    EXPECT_EQ(u32(bytes, 24), 11025u);
    EXPECT_EQ(u16(bytes, 34), 8u); // bits
    // A = 127 x 0x7F0000 >> 23 = 126; (100 x 126) >> 7 = 98, stored as 128 + 98.
    EXPECT_TRUE(std::all_of(bytes.begin() + 44, bytes.end(), [](std::uint8_t b) { return b == 226; }));
}

// Nothing to render, either way: no time at all, or a wave of 0 bytes (a drum tone too,
// whose render routine differs).
TEST_F(RenderCommandTest, NoTimeOrAnEmptyWaveGivesAHeaderOrSilence)
{
    const std::string wav = dir.file("x.wav");
    ZbkRun run =
        zbk({"render", bankPath, "--program", "5", "--note", "60", "--hold", "0", "--release", "0", "-o", wav});
    ASSERT_EQ(run.status, 0) << run.err;
    auto bytes = readBytes(wav);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(u32(bytes, 40), 0u);

    const WaveRef empty = waveOf({});
    bank->appendWave(empty);
    bank->setInstrumentTone(6, fullLevelTone(empty));
    bank->addDrumTone();
    bank->setDrumTone(0, drumTone(empty));
    ASSERT_TRUE(bank->saveBank(bankPath.c_str()));
    for (const char* tone : {"--program", "--drum"}) {
        run = zbk({"render", bankPath, tone, tone[2] == 'p' ? "6" : "0", "--note", "60", "--hold", "0.1", "--release",
                   "0", "-o", wav});
        ASSERT_EQ(run.status, 0) << run.err;
        bytes = readBytes(wav);
        ASSERT_EQ(bytes.size(), 44u + 2 * 2816 * 4) << tone;
        EXPECT_TRUE(std::all_of(bytes.begin() + 44, bytes.end(), [](std::uint8_t b) { return b == 0; })) << tone;
    }
}

TEST_F(RenderCommandTest, TheSameArgumentsGiveTheSameBytes)
{
    ASSERT_EQ(zbk({"demo", dir.file("demo.zbk")}).status, 0);
    const std::vector<std::string> args = {
        "render", dir.file("demo.zbk"), "--program", "40",     "--note", "64", "--modulation",
        "200",    "--volume",           "90",        "--hold", "0.7"};
    auto first = args, second = args;
    first.insert(first.end(), {"-o", dir.file("a.wav")});
    second.insert(second.end(), {"-o", dir.file("b.wav")});
    ASSERT_EQ(zbk(first).status, 0);
    ASSERT_EQ(zbk(second).status, 0);
    const auto a = readBytes(dir.file("a.wav"));
    EXPECT_GT(a.size(), 44u);
    EXPECT_EQ(a, readBytes(dir.file("b.wav")));
}

TEST_F(RenderCommandTest, RefusesWhatItCannotRenderWithAClearMessage)
{
    const std::string wav = dir.file("x.wav");
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"render", bankPath, "--program", "5", "--note", "60", "--rate", "48000", "-o", wav}, "--rate"},
        {{"render", bankPath, "--program", "5", "--note", "60", "--bits", "12", "-o", wav}, "--bits"},
        {{"render", bankPath, "--program", "5", "--drum", "0", "--note", "60", "-o", wav}, "either --program"},
        {{"render", bankPath, "--drum", "0", "--note", "60", "-o", wav}, "drum tone 0 is not in the bank"},
        {{"render", bankPath, "--program", "5", "--note", "132", "-o", wav}, "--note"},
        {{"render", bankPath, "--program", "5", "-o", wav}, "--note"},
        {{"render", bankPath, "--program", "5", "--note", "60"}, "-o"},
        {{"render", dir.file("missing.zbk"), "--program", "5", "--note", "60", "-o", wav}, "cannot open"},
    };
    for (const Case& c : cases) {
        const ZbkRun run = zbk(c.args);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"bank.zbk"}) << "no output file on failure";
}

// The render thread writes the file; the full disk it meets there is reported with its
// reason, and the file that was there before stays as it was.
TEST_F(RenderCommandTest, AFullDiskDuringTheRenderLeavesTheOldFileAndSaysWhy)
{
    SKIP_UNLESS_THE_DISK_CAN_BE_FILLED();
    const std::string wav = dir.file("x.wav");
    writeBytes(wav, {1, 2, 3});
    ZbkRun run;
    {
        FileSizeLimit limit(200000);
        run = zbk({"render", bankPath, "--program", "5", "--note", "60", "--hold", "3", "-o", wav});
    }
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write " + wav + ": " + std::strerror(EFBIG)), std::string::npos) << run.err;
    EXPECT_EQ(readBytes(wav), (std::vector<std::uint8_t>{1, 2, 3}));
    auto entries = dir.entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"bank.zbk", "x.wav"})) << "no temporary file left";
}

TEST_F(RenderCommandTest, PlayReportsAMissingSoundCard)
{
    setSoundCardFactory(nullptr);
    ZbkRun run = zbk({"play", bankPath, "--program", "5", "--note", "60"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no sound output"), std::string::npos) << run.err;

    setSoundCardFactory([]() -> std::unique_ptr<WaveOut> {
        auto output = std::make_unique<OfflineWaveOut>();
        output->failNext(OfflineWaveOut::Operation::open);
        return output;
    });
    run = zbk({"play", bankPath, "--program", "5", "--note", "60"});
    setSoundCardFactory(nullptr);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot open the sound device"), std::string::npos) << run.err;
}

} // namespace
