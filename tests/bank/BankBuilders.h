#pragma once

#include "bank/ToneBank.h"

#include <cstdint>
#include <memory>
#include <random>

// A block of `size` samples whose values tell the blocks apart.
inline WaveRef makeWave(std::uint32_t size, std::int8_t first = 0)
{
    auto block = std::make_shared<WaveBlock>(size);
    for (std::uint32_t i = 0; i < size; ++i)
        block->samples[i] = static_cast<std::int8_t>(first + static_cast<std::int8_t>(i));
    return block;
}

// A tone whose every field differs, so that a field written to the wrong place shows.
inline ToneRecord makeTone(std::int32_t seed, WaveRef wave = {})
{
    ToneRecord tone;
    for (int f = 0; f < ToneRecord::fieldCount; ++f)
        if (f != ToneRecord::waveField)
            tone.setField(f, seed * 100 + f);
    tone.wave = std::move(wave);
    return tone;
}

// A bank with several waves, drum tones and drum sets, every part holding distinct values.
inline std::unique_ptr<ToneBank> makeSampleBank(std::uint32_t waves = 4, std::uint32_t drumTones = 5,
                                                std::uint32_t drumSets = 3)
{
    auto bank = std::make_unique<ToneBank>();
    for (std::uint32_t w = 0; w < waves; ++w)
        bank->appendWave(makeWave(10 + 7 * w, static_cast<std::int8_t>(w * 16)));
    for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
        bank->setInstrumentTone(p,
                                makeTone(static_cast<std::int32_t>(p), waves ? bank->waveData(p % waves) : WaveRef()));
    for (std::uint32_t d = 0; d < drumTones; ++d) {
        bank->addDrumTone();
        bank->setDrumTone(d, makeTone(static_cast<std::int32_t>(1000 + d), bank->waveData((d + 1) % waves)));
    }
    bank->setDrumSetCount(drumSets);
    for (std::uint32_t s = 0; s < drumSets; ++s)
        for (std::uint32_t n = 0; n < ToneBank::notesPerDrumMap; ++n)
            bank->drumMaps()[s][n] = static_cast<std::int32_t>((s + n) % (drumTones ? drumTones : 1));
    for (std::uint32_t p = 0; p < ToneBank::programCount; ++p)
        bank->drumSetMap()[p] = static_cast<std::int32_t>(p % drumSets);
    return bank;
}
