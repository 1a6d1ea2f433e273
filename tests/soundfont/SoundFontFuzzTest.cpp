// Mutated fonts: each is refused with a cause or read, and a font that is read imports
// into a bank that stays consistent. ZBK_FUZZ_COUNT sets how many.
#include "tests/soundfont/ImportedFont.h"

#include <cstdlib>
#include <random>

using namespace fontwriter;

namespace {

std::size_t fuzzCount(std::size_t fallback)
{
    const char* text = std::getenv("ZBK_FUZZ_COUNT");
    return text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10)) : fallback;
}

// A font of every kind of part the import reads: loops, offsets, global zones in
// presets and instruments, a stereo pair, key ranges, envelopes, a kit.
Font seedFont()
{
    Font font;
    Sample left{"left", sine(600, 50), 100, 500, 44100, 64, 3, 1, 4};
    Sample right{"right", sine(600, 50), 100, 500, 44100, 64, 3, 0, 2};
    Sample drum{"drum", sine(300, 7), 0, 0, 22050, 36};
    font.samples = {left, right, drum};
    font.instruments.push_back(
        {"piano",
         {Zone{{{48, 30}, {34, -3000}, {36, 1000}, {37, 300}, {38, -1000}}, -1},
          Zone{{{43, keyRange(0, 70)}, {54, 1}, {0, 4}, {2, 8}, {3, -8}, {58, 60}, {51, 1}, {52, -20}}, 0, 1},
          Zone{{{43, keyRange(0, 70)}, {54, 3}, {35, -2000}, {39, 50}, {40, -30}}, 1},
          Zone{{{43, keyRange(71, 127)}, {44, keyRange(0, 90)}, {8, 3000}}, 1}}});
    font.instruments.push_back({"kit", {Zone{{{43, keyRange(35, 50)}, {56, 50}, {57, 1}, {37, 1000}}, 2}}});
    font.presets.push_back({"piano", 0, 0, {Zone{{{52, 5}}, -1}, Zone{{{43, keyRange(20, 100)}}, 0}}});
    font.presets.push_back({"kit", 0, 128, {Zone{{}, 1}}});
    font.presets.push_back({"room", 8, 128, {Zone{{{51, 2}}, 1}}});
    return font;
}

std::vector<std::uint8_t> mutate(std::vector<std::uint8_t> bytes, std::mt19937& random)
{
    auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    switch (pick(4)) {
    case 0: // a few bytes anywhere
        for (std::size_t i = 0, n = 1 + pick(8); i < n; ++i)
            bytes[pick(bytes.size())] = static_cast<std::uint8_t>(random());
        break;
    case 1: { // a 16- or 32-bit field set to an extreme
        const std::uint32_t extremes[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0xFFFFFFFF};
        const std::uint32_t value = pick(3) == 0 ? static_cast<std::uint32_t>(random()) : extremes[pick(10)];
        const std::size_t at = pick(bytes.size() - 3) & ~std::size_t{1};
        for (std::size_t i = 0, width = pick(2) ? 2 : 4; i < width; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        break;
    }
    case 2: // cut short
        bytes.resize(pick(bytes.size()));
        break;
    default: // a run of bytes repeated over another place
    {
        const std::size_t from = pick(bytes.size()), to = pick(bytes.size());
        const std::size_t length = std::min({pick(64) + 1, bytes.size() - from, bytes.size() - to});
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(from), length,
                    bytes.begin() + static_cast<std::ptrdiff_t>(to));
    }
    }
    return bytes;
}

} // namespace

// Reads and imports mutations of `seed`; gives how many were read.
std::size_t fuzzFont(const std::vector<std::uint8_t>& seed, std::size_t count, std::uint32_t randomSeed)
{
    TempDir dir;
    const std::string path = dir.file("fuzz.sf2");
    std::mt19937 random(randomSeed);
    std::size_t read = 0;
    for (std::size_t i = 0; i < count; ++i) {
        writeBytes(path, mutate(seed, random));
        SoundFont font;
        std::string refusal;
        if (!readSoundFont(path.c_str(), font, refusal)) {
            EXPECT_FALSE(refusal.empty());
            continue;
        }
        ++read;
        ToneBank bank;
        importSoundFont(font, bank, {});
        expectConsistent(bank);
        if (::testing::Test::HasFailure())
            break;
    }
    return read;
}

TEST(SoundFontFuzz, MutatedFontsAreRefusedOrImportConsistently)
{
    const std::size_t count = fuzzCount(200);
    const std::size_t read = fuzzFont(seedFont().bytes(), count, 20261209);
    // Most mutations leave a font that is still read, so the import is exercised too.
    EXPECT_GT(read, count / 4);
}

TEST(SoundFontFuzzOnHost, MutatedTimGm6mb)
{
    const std::string path = "/usr/share/sounds/sf2/TimGM6mb.sf2";
    const std::vector<std::uint8_t> seed = readBytes(path);
    if (seed.empty())
        GTEST_SKIP() << path << " is not installed";
    // A whole import of 6 MB each: a few in a normal run.
    fuzzFont(seed, std::max<std::size_t>(1, fuzzCount(200) / 100), 7);
}
