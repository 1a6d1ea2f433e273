#include "bank/ToneRecord.h"

#include <cassert>

namespace {

// Pointers to the integer fields in file order; slot 15 (the wave) has none.
constexpr std::int32_t ToneRecord::*integerFields[ToneRecord::fieldCount] = {
    &ToneRecord::AR,
    &ToneRecord::DL,
    &ToneRecord::DR,
    &ToneRecord::NL,
    &ToneRecord::NR,
    &ToneRecord::SL,
    &ToneRecord::SR,
    &ToneRecord::RR,
    &ToneRecord::startDelay,
    &ToneRecord::amplitude,
    &ToneRecord::gainRate,
    &ToneRecord::frequencyShift,
    &ToneRecord::drumAlgorithm,
    &ToneRecord::cycleSize,
    &ToneRecord::sampleCount,
    nullptr,
    &ToneRecord::loopReturn,
    &ToneRecord::groupNumber,
};

constexpr const char* names[ToneRecord::fieldCount] = {
    "AR",
    "DL",
    "DR",
    "NL",
    "NR",
    "SL",
    "SR",
    "RR",
    "startDelay",
    "amplitude",
    "gainRate",
    "frequencyShift",
    "drumAlgorithm",
    "cycleSize",
    "sampleCount",
    "wave",
    "loopReturn",
    "groupNumber",
};

} // namespace

std::int32_t ToneRecord::field(int i) const
{
    assert(i >= 0 && i < fieldCount && i != waveField);
    return this->*integerFields[i];
}

void ToneRecord::setField(int i, std::int32_t value)
{
    assert(i >= 0 && i < fieldCount && i != waveField);
    this->*integerFields[i] = value;
}

const char* ToneRecord::fieldName(int i)
{
    assert(i >= 0 && i < fieldCount);
    return names[i];
}
