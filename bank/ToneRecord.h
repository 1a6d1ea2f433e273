#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// One waveform: signed 8-bit samples, one byte each, so its size is its sample count.
// Tones refer to a block by identity; the table that owns the block is the bank's.
struct WaveBlock {
    explicit WaveBlock(std::size_t size) : samples(size, 0) {}
    std::vector<std::int8_t> samples;
};

// A tone's reference to its waveform. It is a shared owner, so a reference can never
// lead to freed memory; whether it names a wave is decided by the bank's table alone
// (ToneBank::findWave), never by the pointer being set.
using WaveRef = std::shared_ptr<WaveBlock>;

// The 18 fields of a tone, in the order the bank file stores them. Every field but
// `wave` is a 32-bit integer; the synthesizer reads some of them as unsigned.
struct ToneRecord {
    static constexpr int fieldCount = 18;
    static constexpr int waveField = 15;

    std::int32_t AR = 0;
    std::int32_t DL = 0;
    std::int32_t DR = 0;
    std::int32_t NL = 0;
    std::int32_t NR = 0;
    std::int32_t SL = 0;
    std::int32_t SR = 0;
    std::int32_t RR = 0;
    std::int32_t startDelay = 0;
    std::int32_t amplitude = 0;
    std::int32_t gainRate = 0;
    std::int32_t frequencyShift = 0;
    std::int32_t drumAlgorithm = 0;
    std::int32_t cycleSize = 0;
    std::int32_t sampleCount = 0;
    WaveRef wave;
    std::int32_t loopReturn = 0;
    std::int32_t groupNumber = 0;

    // Field i (0..17, never 15) as the 32-bit value a bank file holds.
    std::int32_t field(int i) const;
    void setField(int i, std::int32_t value);

    // The names of the 18 fields, as the program uses them.
    static const char* fieldName(int i);

    bool operator==(const ToneRecord&) const = default;
};
