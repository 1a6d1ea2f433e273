#include "synth/ReferenceTone.h"

#include "synth/VibratoTable.h"
#include "synth/VoiceState.h"

#include <memory>

ToneRecord makeReferenceTone()
{
    auto block = std::make_shared<WaveBlock>(vibratoTableSize);
    for (std::uint32_t i = 0; i < vibratoTableSize; ++i)
        block->samples[i] = static_cast<std::int8_t>(vibratoTable[i]);
    ToneRecord tone;
    tone.AR = fullScaleLevel;
    tone.DL = fullScaleLevel;
    tone.RR = fullScaleLevel;
    tone.cycleSize = static_cast<std::int32_t>(vibratoTableSize);
    tone.sampleCount = static_cast<std::int32_t>(vibratoTableSize);
    tone.wave = std::move(block);
    tone.loopReturn = 0;
    tone.groupNumber = -1;
    return tone;
}
