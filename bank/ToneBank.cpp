#include "bank/ToneBank.h"

#include <algorithm>
#include <unordered_set>

ToneBank::ToneBank() : drumMaps_(std::make_unique<DrumMaps>())
{
    for (DrumMap& map : *drumMaps_)
        map.fill(0);
    waves_.reserve(64);
}

std::uint32_t ToneBank::waveSize(std::uint32_t i) const
{
    return i < waveCount() ? static_cast<std::uint32_t>(waves_[i]->samples.size()) : 0;
}

WaveRef ToneBank::waveData(std::uint32_t i) const
{
    return i < waveCount() ? waves_[i] : WaveRef();
}

std::int32_t ToneBank::findWave(const WaveRef& block) const
{
    if (!block)
        return -1;
    auto found = std::find(waves_.begin(), waves_.end(), block);
    return found == waves_.end() ? -1 : static_cast<std::int32_t>(found - waves_.begin());
}

WaveRef ToneBank::resolveWave(const WaveRef& block) const
{
    return findWave(block) >= 0 ? block : WaveRef();
}

bool ToneBank::isWaveUsed(std::uint32_t i) const
{
    if (i >= waveCount())
        return false;
    const WaveRef& block = waves_[i];
    bool used = false;
    forEachToneInUse([&](const ToneRecord& tone) { used = used || tone.wave == block; });
    return used;
}

bool ToneBank::redirectWave(std::uint32_t dst, std::uint32_t src)
{
    if (src >= waveCount() || dst >= waveCount())
        return false;
    const WaveRef to = waves_[dst];
    const WaveRef from = waves_[src];
    forEachToneInUse([&](ToneRecord& tone) {
        if (tone.wave == from)
            tone.wave = to;
    });
    return true;
}

bool ToneBank::removeLastWave()
{
    if (waves_.empty())
        return false;
    const std::uint32_t last = waveCount() - 1;
    if (last > 0) {
        redirectWave(last - 1, last);
    } else {
        // The only wave goes: its tones are left with a void reference. Dropping the
        // reference frees the block now instead of whenever the tone is next edited.
        const WaveRef gone = waves_[0];
        forEachToneInUse([&](ToneRecord& tone) {
            if (tone.wave == gone)
                tone.wave.reset();
        });
    }
    waves_.pop_back();
    return true;
}

void ToneBank::clear()
{
    while (removeLastWave()) {
    }
}

std::uint32_t ToneBank::removeUnusedWaves()
{
    // One pass over the tones marks the blocks in use, one pass over the table keeps
    // them in order.
    std::unordered_set<const WaveBlock*> used;
    used.reserve(instrumentToneCount + drumToneCount_);
    forEachToneInUse([&](const ToneRecord& tone) {
        if (tone.wave)
            used.insert(tone.wave.get());
    });
    std::erase_if(waves_, [&](const WaveRef& block) { return !used.contains(block.get()); });
    return waveCount();
}

void ToneBank::replaceWaveData(std::uint32_t i, WaveRef block)
{
    if (i >= waveCount() || !block)
        return;
    const WaveRef old = waves_[i];
    waves_[i] = block;
    const auto size = static_cast<std::uint32_t>(block->samples.size());
    forEachToneInUse([&](ToneRecord& tone) {
        if (tone.wave != old)
            return;
        tone.wave = block;
        tone.sampleCount = static_cast<std::int32_t>(size);
        if (static_cast<std::uint32_t>(tone.cycleSize) > size)
            tone.cycleSize = static_cast<std::int32_t>(size);
    });
}

bool ToneBank::appendWave(WaveRef block)
{
    if (!block || waveCount() >= waveCapacity)
        return false;
    waves_.push_back(std::move(block));
    return true;
}

ToneRecord ToneBank::getInstrumentTone(std::uint32_t program) const
{
    return instrumentTones_[program % instrumentToneCount];
}

void ToneBank::setInstrumentTone(std::uint32_t program, const ToneRecord& tone)
{
    instrumentTones_[program % instrumentToneCount] = tone;
}

ToneRecord ToneBank::getDrumTone(std::uint32_t i) const
{
    return i < drumToneCount_ ? drumTones_[i] : ToneRecord();
}

void ToneBank::setDrumTone(std::uint32_t i, const ToneRecord& tone)
{
    if (i < drumToneCount_)
        drumTones_[i] = tone;
}

bool ToneBank::isDrumToneUsed(std::uint32_t i) const
{
    if (i >= drumToneCount_)
        return false;
    for (std::uint32_t s = 0; s < drumSetCount_; ++s) {
        const DrumMap& map = (*drumMaps_)[s];
        if (std::find(map.begin(), map.end(), static_cast<std::int32_t>(i)) != map.end())
            return true;
    }
    return false;
}

bool ToneBank::addDrumTone()
{
    if (waves_.empty() || drumToneCount_ >= drumToneCapacity)
        return false;
    // The new tone is a copy of drum tone 0; with no tones in use that is whatever slot 0
    // last held, which is kept for this when the count drops to 0.
    if (drumToneCount_ == 0)
        drumTones_.resize(1);
    else
        drumTones_.push_back(drumTones_[0]);
    ++drumToneCount_;
    return true;
}

void ToneBank::removeUnusedDrumTones()
{
    const std::uint32_t count = drumToneCount_;
    if (count == 0)
        return;

    // Mark every drum tone that a map in use names.
    std::vector<bool> used(count, false);
    for (std::uint32_t s = 0; s < drumSetCount_; ++s)
        for (std::int32_t entry : (*drumMaps_)[s])
            if (entry >= 0 && static_cast<std::uint32_t>(entry) < count)
                used[static_cast<std::uint32_t>(entry)] = true;

    // Compact the records, remembering each kept tone's new number.
    std::vector<std::int32_t> newIndex(count, 0);
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!used[i])
            continue;
        newIndex[i] = static_cast<std::int32_t>(kept);
        if (kept != i)
            drumTones_[kept] = drumTones_[i];
        ++kept;
    }
    if (kept == count)
        return;
    const std::int32_t removed = static_cast<std::int32_t>(count - kept);

    // Renumber the map entries in use: tones in range take their new number; entries
    // beyond the old count move down by the number removed, as one-by-one removal
    // would move them; negative entries stay.
    for (std::uint32_t s = 0; s < drumSetCount_; ++s) {
        for (std::int32_t& entry : (*drumMaps_)[s]) {
            if (entry < 0)
                continue;
            if (static_cast<std::uint32_t>(entry) < count)
                entry = newIndex[static_cast<std::uint32_t>(entry)];
            else
                entry -= removed;
        }
    }
    // Removal one at a time leaves the last record in slot 0 when nothing is kept.
    if (kept == 0)
        drumTones_[0] = drumTones_[count - 1];
    drumToneCount_ = kept;
    drumTones_.resize(std::max(kept, 1u));
}

void ToneBank::setDrumSetCount(std::uint32_t count)
{
    if (count >= 1 && count <= drumSetCapacity)
        drumSetCount_ = count;
}
