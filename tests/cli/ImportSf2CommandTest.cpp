#include "bank/ToneBank.h"
#include "soundfont/SoundFontReader.h"
#include "tests/cli/ZbkRun.h"
#include "tests/soundfont/FontWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace fontwriter;

namespace {

// Two programs (0 and 1) and a standard kit of one key.
Font smallFont()
{
    Font font;
    font.samples.push_back({"one", sine(1000, 64), 0, 0, 28160, 69});
    font.samples.push_back({"two", sine(1000, 32), 0, 0, 28160, 81});
    font.instruments.push_back({"one", {Zone{{}, 0}}});
    font.instruments.push_back({"two", {Zone{{}, 1}}});
    font.instruments.push_back({"kit", {Zone{{{43, keyRange(36, 36)}}, 0}}});
    font.presets.push_back({"First", 0, 0, {Zone{{}, 0}}});
    font.presets.push_back({"Second", 1, 0, {Zone{{}, 1}}});
    font.presets.push_back({"Standard", 0, 128, {Zone{{}, 2}}});
    return font;
}

ToneBank loaded(const std::string& path)
{
    ToneBank bank;
    EXPECT_TRUE(bank.loadBank(path.c_str()));
    return bank;
}

// The left channel of a 16-bit stereo WAV file.
std::vector<std::int16_t> leftChannel(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = readBytes(path);
    const char data[] = {'d', 'a', 't', 'a'};
    const auto at = std::search(bytes.begin(), bytes.end(), data, data + 4);
    std::vector<std::int16_t> left;
    if (at == bytes.end())
        return left;
    for (auto p = at + 8; p + 4 <= bytes.end(); p += 4)
        left.push_back(static_cast<std::int16_t>(p[0] | (p[1] << 8)));
    return left;
}

int peakOf(const std::vector<std::int16_t>& samples, std::size_t from = 0)
{
    int peak = 0;
    for (std::size_t i = from; i < samples.size(); ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

// The period in samples of a steady stretch, from the autocorrelation: the best lag of
// one period, then the best lag near twenty periods (refined between samples) divided
// by twenty.
double periodOf(const std::vector<std::int16_t>& x, std::size_t from, std::size_t length)
{
    auto correlation = [&](std::size_t lag) {
        double sum = 0;
        for (std::size_t i = from; i < from + length; ++i)
            sum += static_cast<double>(x[i]) * x[i + lag];
        return sum;
    };
    std::size_t best = 40;
    for (std::size_t lag = 40; lag < 400; ++lag)
        if (correlation(lag) > correlation(best))
            best = lag;
    std::size_t far = 20 * best;
    for (std::size_t lag = 20 * best - 20; lag <= 20 * best + 20; ++lag)
        if (correlation(lag) > correlation(far))
            far = lag;
    const double a = correlation(far - 1), b = correlation(far), c = correlation(far + 1);
    return (static_cast<double>(far) + 0.5 * (a - c) / (a - 2 * b + c)) / 20;
}

} // namespace

TEST(ImportSf2Command, WritesABankThatChecksCleanAndReportsWhatItDid)
{
    TempDir dir;
    smallFont().write(dir.file("f.sf2"));
    const ZbkRun run = zbk({"import-sf2", dir.file("f.sf2"), "-o", dir.file("b.zbk")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("2 programs (0-1), 1 drum sets with 1 keys"), std::string::npos) << run.out;
    EXPECT_EQ(zbk({"check", dir.file("b.zbk")}).status, 0);
    const ToneBank bank = loaded(dir.file("b.zbk"));
    EXPECT_EQ(bank.getInstrumentTone(0).cycleSize, 64);
    EXPECT_EQ(bank.getInstrumentTone(1).cycleSize, 32);
    EXPECT_EQ(bank.drumToneCount(), 1u);

    const ZbkRun json =
        zbk({"import-sf2", dir.file("f.sf2"), "-o", dir.file("b.zbk"), "--json", "--programs", "1", "--no-drums"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"font\":\"test font\"", 0), 0u) << json.out;
    EXPECT_NE(json.out.find("{\"program\":1,\"preset\":\"Second\",\"imported\":true,\"key\":60,\"sample\":\"two\","
                            "\"rootKey\":81,\"loops\":false,\"pitchErrorCents\":0.00,\"wave\":0,\"notes\":[]}"),
              std::string::npos)
        << json.out;
    EXPECT_EQ(json.out.find("\"program\":0,"), std::string::npos);
    EXPECT_NE(json.out.find("\"drumSets\":[]"), std::string::npos);
    const ToneBank only = loaded(dir.file("b.zbk"));
    EXPECT_EQ(only.drumToneCount(), 0u);
    EXPECT_EQ(only.getInstrumentTone(0).sampleCount, 0);
}

TEST(ImportSf2Command, IntoAnExistingBankReplacesOnlyWhatTheFontHas)
{
    TempDir dir;
    smallFont().write(dir.file("f.sf2"));
    ASSERT_EQ(zbk({"import-sf2", dir.file("f.sf2"), "-o", dir.file("b.zbk"), "--programs", "0"}).status, 0);
    Font other = smallFont();
    other.presets = {{"Fifth", 5, 0, {Zone{{}, 1}}}, {"Room", 8, 128, {Zone{{}, 2}}}};
    other.write(dir.file("o.sf2"));
    const ZbkRun run = zbk({"import-sf2", dir.file("o.sf2"), "--into", dir.file("b.zbk"), "-o", dir.file("c.zbk")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(zbk({"check", dir.file("c.zbk")}).status, 0);
    const ToneBank before = loaded(dir.file("b.zbk"));
    const ToneBank after = loaded(dir.file("c.zbk"));
    EXPECT_EQ(after.getInstrumentTone(0).cycleSize, before.getInstrumentTone(0).cycleSize);
    EXPECT_EQ(after.findWave(after.getInstrumentTone(5).wave), 1);
    // The room kit gets a set of its own, a copy of the standard kit with its key.
    ASSERT_EQ(after.drumSetCount(), 2u);
    EXPECT_EQ(after.drumSetMap()[8], 1);
    EXPECT_EQ(after.drumSetMap()[0], 0);
    EXPECT_EQ(after.drumMaps()[1][36], 1);
    EXPECT_EQ(after.drumMaps()[0][36], 0);
}

TEST(ImportSf2Command, RefusedFontsSaveNothing)
{
    TempDir dir;
    Font three = smallFont();
    three.major = 3;
    three.write(dir.file("three.sf2"));
    const ZbkRun run = zbk({"import-sf2", dir.file("three.sf2"), "-o", dir.file("b.zbk")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("compressed samples (SoundFont 3) are not supported; nothing was saved"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(pathFromUtf8(dir.file("b.zbk"))));
    EXPECT_EQ(zbk({"import-sf2", dir.file("three.sf2")}).status, 1);
    EXPECT_EQ(zbk({"import-sf2", dir.file("f.sf2"), "-o", dir.file("b.zbk"), "--programs", "3-200"}).status, 1);
    const ZbkRun help = zbk({"import-sf2", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: zbk import-sf2 FONT.sf2 -o OUT.zbk"), std::string::npos);
}

namespace {

const std::string timGm6mb = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class TimGm6mbOnHost : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!std::filesystem::exists(timGm6mb))
            return;
        directory = new TempDir;
        const ZbkRun run = zbk({"import-sf2", timGm6mb, "-o", bankPath()});
        EXPECT_EQ(run.status, 0) << run.err;
    }
    static void TearDownTestSuite()
    {
        delete directory;
        directory = nullptr;
    }
    void SetUp() override
    {
        if (!directory)
            GTEST_SKIP() << timGm6mb << " is not installed";
    }
    static std::string bankPath() { return directory->file("tim.zbk"); }
    std::vector<std::int16_t> render(const std::vector<std::string>& what, const std::string& hold = "0.5")
    {
        std::vector<std::string> args = {"render", bankPath()};
        args.insert(args.end(), what.begin(), what.end());
        args.insert(args.end(), {"--hold", hold, "--release", "0.2", "-o", directory->file("note.wav")});
        const ZbkRun run = zbk(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return leftChannel(directory->file("note.wav"));
    }

    static TempDir* directory;
};

TempDir* TimGm6mbOnHost::directory = nullptr;

} // namespace

TEST_F(TimGm6mbOnHost, TheBankChecksClean)
{
    const ZbkRun check = zbk({"check", bankPath()});
    EXPECT_EQ(check.status, 0) << check.out;
}

TEST_F(TimGm6mbOnHost, EveryProgramOfTheFontSoundsAtNote60)
{
    SoundFont font;
    std::string refusal;
    ASSERT_TRUE(readSoundFont(timGm6mb.c_str(), font, refusal)) << refusal;
    int programs = 0;
    for (const SoundFontPreset& preset : font.presets) {
        if (preset.bank != 0 || preset.program > 127)
            continue;
        ++programs;
        const int peak = peakOf(render({"--program", std::to_string(preset.program), "--note", "60"}));
        // Above 60 dB below full scale.
        EXPECT_GT(peak, 32) << "program " << preset.program << " " << preset.name;
    }
    EXPECT_EQ(programs, 128);
}

TEST_F(TimGm6mbOnHost, Program0PlaysA440AtNote69)
{
    const std::vector<std::int16_t> samples = render({"--program", "0", "--note", "69"}, "1");
    ASSERT_GT(samples.size(), 44100u);
    // After the attack, over a steady stretch of about 0.1 s.
    const double frequency = 44100 / periodOf(samples, 8820, 4410);
    EXPECT_NEAR(1200 * std::log2(frequency / 440), 0, 5) << frequency << " Hz";
}

TEST_F(TimGm6mbOnHost, EveryKeyOfTheStandardKitSounds)
{
    const ToneBank bank = loaded(bankPath());
    // The General MIDI percussion keys, 35 to 81.
    for (int key = 35; key <= 81; ++key) {
        const std::int32_t drumTone = bank.drumMaps()[0][static_cast<std::size_t>(key)];
        ASSERT_GE(drumTone, 0) << "key " << key;
        const int peak = peakOf(render({"--drum", std::to_string(drumTone), "--note", std::to_string(key)}));
        EXPECT_GT(peak, 32) << "key " << key;
    }
}

TEST_F(TimGm6mbOnHost, ASongPlaysWithoutClipping)
{
    const std::string song = "/usr/share/games/openttd/baseset/openmsx/tttheme2.mid";
    if (!std::filesystem::exists(song))
        GTEST_SKIP() << song << " is not installed";
    const ZbkRun run = zbk({"render-midi", bankPath(), song, "-o", directory->file("song.wav")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::int16_t> left = leftChannel(directory->file("song.wav"));
    ASSERT_GT(left.size(), 44100u * 60);
    const int peak = peakOf(left);
    EXPECT_LT(peak, 32767);
    EXPECT_GT(peak, 1000);
}
