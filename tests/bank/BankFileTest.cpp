#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"
#include "tests/bank/BankBuilders.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t offset)
{
    return loadU32(bytes.data() + offset);
}

// Everything a user can see of a bank, wave references as table indexes.
void expectSameBank(const ToneBank& a, const ToneBank& b)
{
    auto sameTone = [&](const ToneRecord& x, const ToneRecord& y) {
        for (int f = 0; f < ToneRecord::fieldCount; ++f)
            if (f != ToneRecord::waveField && x.field(f) != y.field(f))
                return false;
        return a.findWave(x.wave) == b.findWave(y.wave);
    };
    ASSERT_EQ(a.waveCount(), b.waveCount());
    for (std::uint32_t w = 0; w < a.waveCount(); ++w)
        ASSERT_EQ(a.waveData(w)->samples, b.waveData(w)->samples) << "wave " << w;
    for (std::uint32_t p = 0; p < 128; ++p)
        ASSERT_TRUE(sameTone(a.getInstrumentTone(p), b.getInstrumentTone(p))) << "program " << p;
    ASSERT_EQ(a.drumToneCount(), b.drumToneCount());
    for (std::uint32_t d = 0; d < a.drumToneCount(); ++d)
        ASSERT_TRUE(sameTone(a.getDrumTone(d), b.getDrumTone(d))) << "drum tone " << d;
    ASSERT_EQ(a.drumSetCount(), b.drumSetCount());
    ASSERT_EQ(a.drumMaps(), b.drumMaps());
    ASSERT_EQ(a.drumSetMap(), b.drumSetMap());
}

// A ZBK0 file written by hand: 64-byte records without loop return and group number.
std::vector<std::uint8_t> makeZbk0(std::uint32_t drumTones, const std::vector<std::uint8_t>& wave)
{
    std::vector<std::uint8_t> bytes = {'Z', 'B', 'K', '0', 0, 0, 0, 0};
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto putRecord = [&](std::uint32_t seed) {
        for (std::uint32_t f = 0; f < 16; ++f)
            put32(f == 15 ? 0 : seed * 100 + f);
    };
    for (std::uint32_t p = 0; p < 128; ++p)
        putRecord(p);
    bytes.push_back(static_cast<std::uint8_t>(drumTones));
    bytes.push_back(0);
    bytes.push_back(0); // one drum set
    bytes.push_back(0);
    for (std::uint32_t d = 0; d < drumTones; ++d)
        putRecord(1000 + d);
    for (int n = 0; n < 128; ++n)
        put32(static_cast<std::uint32_t>(n % 2));
    put32(1);
    put32(static_cast<std::uint32_t>(wave.size()));
    bytes.insert(bytes.end(), wave.begin(), wave.end());
    return bytes;
}

} // namespace

TEST(BankFile, SizesOfTheStoredParts)
{
    TempDir dir;
    ToneBank empty;
    ASSERT_TRUE(empty.saveBank(dir.file("empty.zbk").c_str()));
    const auto bytes = readBytes(dir.file("empty.zbk"));
    ASSERT_EQ(bytes.size(), 9744u);
    EXPECT_EQ(std::memcmp(bytes.data(), "ZBK1", 4), 0);
    EXPECT_EQ(u32At(bytes, 4), 9736u);
    EXPECT_TRUE(std::all_of(bytes.begin() + 8, bytes.end(), [](std::uint8_t b) { return b == 0; }));

    ToneBank bank;
    for (std::uint32_t size : {100u, 200u, 300u})
        bank.appendWave(makeWave(size));
    bank.addDrumTone();
    bank.addDrumTone();
    ASSERT_TRUE(bank.saveBank(dir.file("one-set.zbk").c_str()));
    const auto one = readBytes(dir.file("one-set.zbk"));
    EXPECT_EQ(one.size(), 10500u);
    EXPECT_EQ(u32At(one, 4), 10492u);

    bank.setDrumSetCount(2);
    bank.drumSetMap()[127] = 1;
    ASSERT_TRUE(bank.saveBank(dir.file("two-sets.zbk").c_str()));
    const auto two = readBytes(dir.file("two-sets.zbk"));
    EXPECT_EQ(two.size(), 11524u);
    EXPECT_EQ(u32At(two, 4), 11004u);
    EXPECT_EQ(u32At(two, 11524 - 4), 1u) << "the drum-set map is the last 512 bytes";
}

TEST(BankFile, RoundTripKeepsEveryPart)
{
    TempDir dir;
    const auto bank = makeSampleBank();
    ASSERT_TRUE(bank->saveBank(dir.file("b.zbk").c_str()));
    ToneBank loaded;
    ASSERT_TRUE(loaded.loadBank(dir.file("b.zbk").c_str()));
    expectSameBank(*bank, loaded);

    // Saving what was loaded gives the same bytes.
    ASSERT_TRUE(loaded.saveBank(dir.file("c.zbk").c_str()));
    EXPECT_EQ(readBytes(dir.file("b.zbk")), readBytes(dir.file("c.zbk")));
}

// An empty data chunk imports as a wave of 0 bytes, so a bank may hold such waves
// anywhere in its table; they are stored as a size of 0 and nothing else.
TEST(BankFile, EmptyWavesFirstInTheMiddleAndLastSurviveTheRoundTrip)
{
    TempDir dir;
    ToneBank bank;
    for (std::uint32_t size : {0u, 10u, 0u, 20u, 0u})
        ASSERT_TRUE(bank.appendWave(makeWave(size)));
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
        bank.setInstrumentTone(p, makeTone(static_cast<std::int32_t>(p), bank.waveData(p % 5)));
    ASSERT_TRUE(bank.saveBank(dir.file("e.zbk").c_str()));
    const auto bytes = readBytes(dir.file("e.zbk"));
    ASSERT_EQ(bytes.size(), 9744u + 5 * 4 + 30);

    ToneBank loaded;
    ASSERT_TRUE(loaded.loadBank(dir.file("e.zbk").c_str()));
    expectSameBank(bank, loaded);
    EXPECT_EQ(loaded.waveData(3)->samples, makeWave(20)->samples);
    ASSERT_TRUE(loaded.saveBank(dir.file("f.zbk").c_str()));
    EXPECT_EQ(readBytes(dir.file("f.zbk")), bytes);
}

TEST(BankFile, VoidReferencesAreStoredAsWaveZeroAndComeBackAsWaveZero)
{
    TempDir dir;
    ToneBank bank;
    bank.appendWave(makeWave(10));
    bank.appendWave(makeWave(20));
    bank.setInstrumentTone(0, makeTone(1, bank.waveData(1)));
    bank.setInstrumentTone(1, makeTone(2, makeWave(5))); // a block that is not in the table
    ASSERT_TRUE(bank.saveBank(dir.file("v.zbk").c_str()));
    const auto bytes = readBytes(dir.file("v.zbk"));
    EXPECT_EQ(u32At(bytes, 8 + 15 * 4), 1u);
    EXPECT_EQ(u32At(bytes, 8 + 72 + 15 * 4), 0u);
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(1).wave), -1) << "the bank's own record is not changed";

    // A bank saved without waves stores index 0 everywhere; it loads with void references.
    ToneBank empty;
    ASSERT_TRUE(empty.saveBank(dir.file("e.zbk").c_str()));
    ASSERT_TRUE(bank.loadBank(dir.file("e.zbk").c_str()));
    EXPECT_EQ(bank.waveCount(), 0u);
    EXPECT_FALSE(bank.getInstrumentTone(0).wave);
}

TEST(BankFile, OlderVersionGetsDefaultLoopReturnAndGroupNumbers)
{
    TempDir dir;
    writeBytes(dir.file("old.zbk"), makeZbk0(4, {1, 2, 3, 4, 5}));
    ToneBank bank;
    ASSERT_TRUE(bank.loadBank(dir.file("old.zbk").c_str()));
    EXPECT_EQ(bank.getInstrumentTone(5).groupNumber, 5);
    EXPECT_EQ(bank.getInstrumentTone(5).loopReturn, 0);
    EXPECT_EQ(bank.getInstrumentTone(5).sampleCount, 514);
    EXPECT_EQ(bank.getDrumTone(3).groupNumber, 131);
    EXPECT_EQ(bank.getDrumTone(3).loopReturn, 0);
    EXPECT_EQ(bank.getDrumTone(3).AR, 100300);
    EXPECT_EQ(bank.drumMaps()[0][3], 1);
    EXPECT_EQ(bank.waveData(0)->samples, (std::vector<std::int8_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(bank.findWave(bank.getDrumTone(3).wave), 0);

    ASSERT_TRUE(bank.saveBank(dir.file("new.zbk").c_str()));
    const auto bytes = readBytes(dir.file("new.zbk"));
    EXPECT_EQ(std::memcmp(bytes.data(), "ZBK1", 4), 0);
    EXPECT_EQ(u32At(bytes, 8 + 5 * 72 + 17 * 4), 5u);
}

TEST(BankFile, LoadingOneDrumSetClearsTheDrumSetMap)
{
    TempDir dir;
    ToneBank one;
    ASSERT_TRUE(one.saveBank(dir.file("one.zbk").c_str()));
    const auto bank = makeSampleBank();
    bank->drumMaps()[100][5] = 77; // a map the file does not store keeps its value
    ASSERT_TRUE(bank->loadBank(dir.file("one.zbk").c_str()));
    EXPECT_TRUE(
        std::all_of(bank->drumSetMap().begin(), bank->drumSetMap().end(), [](std::int32_t e) { return e == 0; }));
    EXPECT_EQ(bank->drumMaps()[100][5], 77);
    EXPECT_EQ(bank->drumSetCount(), 1u);
}

TEST(BankFile, RefusedFilesLeaveTheBankAsItWas)
{
    TempDir dir;
    const auto original = makeSampleBank();
    ASSERT_TRUE(original->saveBank(dir.file("good.zbk").c_str()));
    const auto good = readBytes(dir.file("good.zbk"));
    ToneBank bank;
    ASSERT_TRUE(bank.loadBank(dir.file("good.zbk").c_str()));

    auto refused = [&](std::vector<std::uint8_t> bytes, const char* why) {
        writeBytes(dir.file("bad.zbk"), bytes);
        EXPECT_FALSE(bank.loadBank(dir.file("bad.zbk").c_str())) << why;
        expectSameBank(*original, bank);
    };
    EXPECT_FALSE(bank.loadBank(dir.file("missing.zbk").c_str()));
    expectSameBank(*original, bank);

    auto bytes = good;
    bytes[3] = '2';
    refused(bytes, "unknown magic");

    const std::size_t counts = 8 + 128 * 72;
    bytes = good;
    storeU16(bytes.data() + counts, 16385);
    refused(bytes, "more drum tones than a bank holds");
    bytes = good;
    storeU16(bytes.data() + counts + 2, 128);
    refused(bytes, "129 drum sets");

    const std::size_t waveCountAt = counts + 4 + 5 * 72 + 3 * 512;
    ASSERT_EQ(u32At(good, waveCountAt), 4u);
    bytes = good;
    storeU32(bytes.data() + waveCountAt, 16513);
    refused(bytes, "more waves than a bank holds");
    bytes = good;
    storeU32(bytes.data() + waveCountAt + 4, 0xFFFFFFF0u);
    refused(bytes, "a wave larger than the file");

    bytes = good;
    bytes.resize(good.size() - 1);
    refused(bytes, "the drum-set map cut short");
}

TEST(BankFile, BytesAfterTheDataAndOutOfRangeIndexesAreHarmless)
{
    TempDir dir;
    const auto original = makeSampleBank();
    ASSERT_TRUE(original->saveBank(dir.file("b.zbk").c_str()));
    auto bytes = readBytes(dir.file("b.zbk"));
    storeU32(bytes.data() + 8 + 15 * 4, 4); // program 0 names wave 4 of 4
    bytes.insert(bytes.end(), 100, 0xAB);
    writeBytes(dir.file("b.zbk"), bytes);
    ToneBank bank;
    ASSERT_TRUE(bank.loadBank(dir.file("b.zbk").c_str()));
    EXPECT_FALSE(bank.getInstrumentTone(0).wave);
    EXPECT_EQ(bank.findWave(bank.getInstrumentTone(1).wave), 1);
}

// Every truncation and thousands of seeded corruptions of a real file: each load either
// succeeds with a bank that holds together or fails with the previous bank untouched.
TEST(BankFile, DamagedFilesNeverHurtTheBank)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "one thread only: the release and address-sanitizer builds run it";
#endif
    TempDir dir;
    const auto original = makeSampleBank(5, 6, 3);
    ASSERT_TRUE(original->saveBank(dir.file("good.zbk").c_str()));
    const auto good = readBytes(dir.file("good.zbk"));
    const std::string path = dir.file("damaged.zbk");

    ToneBank bank;
    ASSERT_TRUE(bank.loadBank(dir.file("good.zbk").c_str()));
    auto tryLoad = [&](const std::vector<std::uint8_t>& bytes) {
        writeBytes(path, bytes);
        if (!bank.loadBank(path.c_str())) {
            expectSameBank(*original, bank);
            return;
        }
        // Loaded: it must hold together, and then it is the new "previous" bank.
        ASSERT_LE(bank.drumToneCount(), ToneBank::drumToneCapacity);
        ASSERT_GE(bank.drumSetCount(), 1u);
        ASSERT_LE(bank.drumSetCount(), ToneBank::drumSetCapacity);
        for (std::uint32_t w = 0; w < bank.waveCount(); ++w)
            ASSERT_TRUE(bank.waveData(w));
        for (std::uint32_t p = 0; p < 128; ++p) {
            const WaveRef& wave = bank.getInstrumentTone(p).wave;
            ASSERT_TRUE(!wave || bank.findWave(wave) >= 0);
        }
        ASSERT_TRUE(bank.loadBank(dir.file("good.zbk").c_str()));
    };

    for (std::size_t length = 0; length < good.size(); ++length) {
        tryLoad(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        ASSERT_FALSE(HasFatalFailure()) << "truncated to " << length;
    }

    std::mt19937 random(20261208);
    // Corruptions aimed at the header and counts, where they matter most, and anywhere.
    const std::size_t countsEnd = 8 + 128 * 72 + 4;
    for (int round = 0; round < 3000; ++round) {
        auto bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c) {
            const std::size_t at =
                round % 2 ? random() % bytes.size() : countsEnd - 4 + random() % (bytes.size() - countsEnd + 4);
            bytes[at] = static_cast<std::uint8_t>(random());
        }
        tryLoad(bytes);
        ASSERT_FALSE(HasFatalFailure()) << "round " << round;
    }
}

TEST(BankFile, AFailedSaveLeavesTheOldFile)
{
    SKIP_UNLESS_THE_DISK_CAN_BE_FILLED();
    TempDir dir;
    const std::string path = dir.file("bank.zbk");
    ToneBank small;
    ASSERT_TRUE(small.saveBank(path.c_str()));
    const auto before = readBytes(path);

    const auto big = makeSampleBank(50, 5, 3);
    for (std::uint32_t w = 0; w < 50; ++w)
        big->replaceWaveData(w, makeWave(1000));
    {
        FileSizeLimit diskFull(20000);
        EXPECT_FALSE(big->saveBank(path.c_str()));
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"bank.zbk"}) << "no temporary file is left";

    EXPECT_FALSE(big->saveBank(dir.file("no/such/dir.zbk").c_str()));
}
