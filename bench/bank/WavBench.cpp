// Importing and exporting a 16 MiB WAV file, next to raw I/O of the same bytes, so
// that the ratios show.

#include "bench/support/RawWrite.h"
#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t dataBytes = 16u << 20;

// A directory for the files, removed with them when the program ends.
struct BenchDirectory {
    std::string path;
    BenchDirectory()
    {
        char pattern[] = "/tmp/zbk-wavbench-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~BenchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

const std::string& benchDirectory()
{
    static const BenchDirectory dir;
    return dir.path;
}

// A mono PCM file of `alignment`-byte samples whose data chunk is 16 MiB.
std::string makeWav(std::uint16_t alignment)
{
    const std::string path = benchDirectory() + "/in" + std::to_string(alignment) + ".wav";
    std::vector<unsigned char> bytes(44 + dataBytes);
    unsigned char* p = bytes.data();
    std::memcpy(p, "RIFF", 4);
    storeU32(p + 4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    storeU32(p + 16, 16);
    storeU16(p + 20, 1);
    storeU16(p + 22, 1);
    storeU32(p + 24, 44100);
    storeU32(p + 28, 44100u * alignment);
    storeU16(p + 32, alignment);
    storeU16(p + 34, static_cast<std::uint16_t>(8 * alignment));
    std::memcpy(p + 36, "data", 4);
    storeU32(p + 40, dataBytes);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        p[44 + i] = static_cast<unsigned char>(i * 7);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::perror(path.c_str());
    ::close(fd);
    return path;
}

void timeImport(benchmark::State& state, std::uint16_t alignment)
{
    const std::string path = makeWav(alignment);
    ToneBank bank;
    for (auto _ : state) {
        if (!bank.importWav(path.c_str()))
            state.SkipWithError("import failed");
        bank.removeLastWave();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (44 + dataBytes)));
}

void BM_ImportWav8(benchmark::State& state)
{
    timeImport(state, 1);
}

void BM_ImportWav16(benchmark::State& state)
{
    timeImport(state, 2);
}

// The whole file read in one piece into fresh memory, as an import must put the samples
// somewhere new.
void BM_RawRead(benchmark::State& state)
{
    const std::string path = makeWav(1);
    for (auto _ : state) {
        std::vector<char> bytes(44 + dataBytes);
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("read failed");
        ::close(fd);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (44 + dataBytes)));
}

void BM_ExportWav(benchmark::State& state)
{
    ToneBank bank;
    auto block = std::make_shared<WaveBlock>(dataBytes);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        block->samples[i] = static_cast<std::int8_t>(i * 7);
    bank.appendWave(block);
    const std::string path = benchDirectory() + "/out.wav";
    for (auto _ : state)
        if (!bank.exportWav(path.c_str(), 0))
            state.SkipWithError("export failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * (44 + dataBytes)));
}

// The same bytes written in one piece, flushed and renamed over the target as an
// export is.
void BM_RawWrite(benchmark::State& state)
{
    std::vector<char> bytes(44 + dataBytes, 1);
    const std::string target = benchDirectory() + "/raw.wav";
    for (auto _ : state)
        rawWriteReplacing(state, bytes, target);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

} // namespace

BENCHMARK(BM_ImportWav8)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ImportWav16)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ExportWav)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RawWrite)->Unit(benchmark::kMillisecond)->MinTime(1.0);
