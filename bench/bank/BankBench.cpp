// A full bank (128 instrument tones, 16384 drum tones, 128 drum sets, 16512 waves of
// 4096 samples) saved, loaded and cleaned up, next to raw I/O of the same bytes, so
// that the ratios show.

#include "bank/ToneBank.h"
#include "framework/File.h"
#include "bench/support/RawWrite.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t waveLength = 4096;

const std::string& benchDirectory()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/zbk-bench-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    return dir;
}

std::vector<WaveRef> makeBlocks()
{
    std::vector<WaveRef> blocks;
    for (std::uint32_t w = 0; w < ToneBank::waveCapacity; ++w) {
        auto block = std::make_shared<WaveBlock>(waveLength);
        for (std::uint32_t i = 0; i < waveLength; ++i)
            block->samples[i] = static_cast<std::int8_t>(i * 7 + w);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

// Every other wave and every other drum tone is in use, so each removal has work.
void fillBank(ToneBank& bank, const std::vector<WaveRef>& blocks)
{
    for (const WaveRef& block : blocks)
        bank.appendWave(block);
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p) {
        ToneRecord tone = bank.getInstrumentTone(p);
        tone.wave = blocks[2 * p];
        tone.sampleCount = waveLength;
        bank.setInstrumentTone(p, tone);
    }
    for (std::uint32_t d = 0; d < ToneBank::drumToneCapacity; ++d) {
        bank.addDrumTone();
        ToneRecord tone;
        tone.wave = blocks[2 * (128 + d) % ToneBank::waveCapacity];
        tone.groupNumber = static_cast<std::int32_t>(d);
        bank.setDrumTone(d, tone);
    }
    bank.setDrumSetCount(ToneBank::drumSetCapacity);
    for (std::uint32_t s = 0; s < ToneBank::drumSetCapacity; ++s)
        for (std::uint32_t n = 0; n < ToneBank::notesPerDrumMap; ++n)
            bank.drumMaps()[s][n] = static_cast<std::int32_t>(2 * (s * 128 + n) % ToneBank::drumToneCapacity);
}

struct FullBank {
    std::vector<WaveRef> blocks = makeBlocks();
    ToneBank bank;
    std::string path = benchDirectory() + "/full.zbk";
    std::size_t fileSize = 0;
    FullBank()
    {
        fillBank(bank, blocks);
        bank.saveBank(path.c_str());
        File file;
        file.open(path.c_str(), File::genericRead);
        fileSize = static_cast<std::size_t>(file.size());
    }
};

FullBank& fullBank()
{
    static FullBank full;
    return full;
}

void BM_SaveBank(benchmark::State& state)
{
    FullBank& full = fullBank();
    for (auto _ : state)
        if (!full.bank.saveBank(full.path.c_str()))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * full.fileSize));
}

// The same bytes written in one piece, flushed and renamed over the target as a save is.
void BM_RawWrite(benchmark::State& state)
{
    FullBank& full = fullBank();
    std::vector<char> bytes(full.fileSize, 1);
    for (auto _ : state)
        rawWriteReplacing(state, bytes, full.path + ".copy");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * full.fileSize));
}

void BM_LoadBank(benchmark::State& state)
{
    FullBank& full = fullBank();
    full.bank.saveBank(full.path.c_str());
    ToneBank bank;
    for (auto _ : state)
        if (!bank.loadBank(full.path.c_str()))
            state.SkipWithError("load failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * full.fileSize));
}

// Reads the bank file in one piece into `bytes`.
void readWholeFile(benchmark::State& state, const FullBank& full, std::vector<char>& bytes)
{
    const int fd = ::open(full.path.c_str(), O_RDONLY);
    if (::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        state.SkipWithError("read failed");
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
}

void BM_RawRead(benchmark::State& state)
{
    FullBank& full = fullBank();
    full.bank.saveBank(full.path.c_str());
    std::vector<char> bytes(full.fileSize);
    for (auto _ : state)
        readWholeFile(state, full, bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * full.fileSize));
}

// The same read into fresh memory, as a load must put the samples somewhere new: this
// pays the kernel's page faults for the 67 MB just as the load does.
void BM_RawReadFresh(benchmark::State& state)
{
    FullBank& full = fullBank();
    full.bank.saveBank(full.path.c_str());
    for (auto _ : state) {
        std::vector<char> bytes(full.fileSize);
        readWholeFile(state, full, bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * full.fileSize));
}

// Runs `removal` on a freshly filled bank each iteration, timing only the removal.
template <typename Removal> void timeRemoval(benchmark::State& state, Removal removal)
{
    FullBank& full = fullBank();
    for (auto _ : state) {
        state.PauseTiming();
        ToneBank bank;
        fillBank(bank, full.blocks);
        state.ResumeTiming();
        removal(bank);
    }
}

void BM_RemoveUnusedWaves(benchmark::State& state)
{
    timeRemoval(state, [](ToneBank& bank) { benchmark::DoNotOptimize(bank.removeUnusedWaves()); });
}

void BM_RemoveUnusedDrumTones(benchmark::State& state)
{
    timeRemoval(state, [](ToneBank& bank) {
        bank.removeUnusedDrumTones();
        benchmark::DoNotOptimize(bank.drumToneCount());
    });
}

} // namespace

BENCHMARK(BM_SaveBank)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadBank)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RawReadFresh)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RemoveUnusedWaves)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RemoveUnusedDrumTones)->Unit(benchmark::kMillisecond)->Iterations(10);
