#include "player/VoicePool.h"

#include "audio/SoundDevice.h"

#include <algorithm>

namespace {

// How loud a sounding voice is, to find the quietest: an instrument by its volume times
// its envelope level, a drum (which has no envelope) as if at full level.
std::int64_t loudness(const VoiceState& voice, bool drum)
{
    return static_cast<std::int64_t>(voice.volume) * (drum ? fullScaleLevel : voice.envLevel);
}

} // namespace

VoicePool::VoicePool(std::uint32_t noteVoices) : noteVoices_(std::max(noteVoices, 1u))
{
    const std::uint32_t total = noteVoices_ + std::max(noteVoices_ / 4, 4u);
    for (std::uint32_t i = 0; i < total; ++i)
        slots_.push_back(std::make_unique<Slot>());
}

bool VoicePool::connect(SoundDevice& device)
{
    blockFrames_ = static_cast<std::uint32_t>(device.blockFrames());
    for (auto& slot : slots_)
        if (!slot->synth.connect(device, 0))
            return false;
    return true;
}

VoicePool::Slot& VoicePool::take(RenderLockHeld)
{
    Slot* free = nullptr;
    Slot* fading = nullptr;
    Slot* quietestReleased = nullptr;
    Slot* oldest = nullptr;
    std::int64_t quietest = 0;
    std::uint32_t busy = 0;
    for (auto& pointer : slots_) {
        Slot& slot = *pointer;
        const VoiceState& voice = slot.synth.state(renderLockHeld);
        if (!voice.active) {
            slot.channel = noChannel;
            slot.drumFadeLeft = 0;
            if (free == nullptr)
                free = &slot;
            continue;
        }
        if (slot.channel == noChannel) {
            if (fading == nullptr)
                fading = &slot;
            continue;
        }
        ++busy;
        if (slot.keyState == Key::released) {
            const std::int64_t level = loudness(voice, slot.synth.tone(renderLockHeld).drumAlgorithm != 0);
            if (quietestReleased == nullptr || level < quietest) {
                quietestReleased = &slot;
                quietest = level;
            }
        }
        if (oldest == nullptr || slot.started < oldest->started)
            oldest = &slot;
    }
    if (busy >= noteVoices_) {
        Slot& victim = quietestReleased != nullptr ? *quietestReleased : *oldest;
        fadeOut(victim);
        if (fading == nullptr)
            fading = &victim;
    }
    if (free != nullptr)
        return *free;
    // Every spare voice is still fading: one of them stops at once.
    fading->synth.silence(renderLockHeld);
    fading->drumFadeLeft = 0;
    return *fading;
}

void VoicePool::fadeOut(Slot& slot)
{
    slot.channel = noChannel;
    if (slot.synth.fadeOut(fadeBlocks * blockFrames_, renderLockHeld))
        return;
    slot.drumFadeVolume = static_cast<std::uint32_t>(slot.synth.state(renderLockHeld).volume);
    slot.drumFadeLeft = drumFadeBlocks;
}

void VoicePool::advanceFades(RenderLockHeld)
{
    for (auto& slot : slots_) {
        if (slot->drumFadeLeft == 0)
            continue;
        --slot->drumFadeLeft;
        if (slot->drumFadeLeft == 0)
            slot->synth.silence(renderLockHeld);
        else
            slot->synth.setVolume(slot->drumFadeVolume * slot->drumFadeLeft / drumFadeBlocks, renderLockHeld);
    }
}

bool VoicePool::fading(RenderLockHeld) const
{
    return std::any_of(slots_.begin(), slots_.end(), [](const auto& slot) { return slot->drumFadeLeft > 0; });
}

bool VoicePool::anySounding(RenderLockHeld) const
{
    return std::any_of(slots_.begin(), slots_.end(),
                       [](const auto& slot) { return slot->synth.state(renderLockHeld).active; });
}

void VoicePool::silenceAll(RenderLockHeld)
{
    for (auto& slot : slots_) {
        slot->synth.silence(renderLockHeld);
        slot->channel = noChannel;
        slot->drumFadeLeft = 0;
    }
}
