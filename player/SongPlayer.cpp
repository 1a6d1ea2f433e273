#include "player/SongPlayer.h"

#include "audio/SoundDevice.h"
#include "synth/NoteTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

enum Message : std::uint8_t {
    noteOffMessage = 0x80,
    noteOnMessage = 0x90,
    controlChangeMessage = 0xB0,
    programChangeMessage = 0xC0,
    pitchBendMessage = 0xE0,
};

enum Controller : std::uint8_t {
    modulationWheel = 1,
    dataEntry = 6,
    channelVolume = 7,
    panController = 10,
    expressionController = 11,
    dataEntryFine = 38,
    sustainPedal = 64,
    nonRegisteredFine = 98,
    nonRegistered = 99,
    registeredFine = 100,
    registered = 101,
    allSoundOffController = 120,
    resetAllControllers = 121,
    allNotesOffController = 123, // and the four mode messages after it, which end notes too
};

} // namespace

SongPlayer::SongPlayer(midi::Song song, const ToneBank& bank, const Options& options)
    : song_(std::move(song)), tempo_(song_), tones_(bank), pool_(options.voices), options_(options)
{
    pitchRatios_.fill(unitPitchRatio);
}

SongPlayer::~SongPlayer()
{
    // The render routine reads this object's fields: leave the device before they go.
    if (device != nullptr)
        device->removeSource(this);
}

bool SongPlayer::connect(SoundDevice& target, std::int32_t channelCount)
{
    // The base class's render routine plays nothing here, so the render thread reads none
    // of the fields below until the song's own routine is stored, after the voices joined.
    if (!SoundSource::connect(target, channelCount))
        return false;
    const auto rate = static_cast<std::uint32_t>(sampleRate);
    endFrame_ = tempo_.frameAt(song_.endTick, rate);
    const double tail = std::min(std::max(options_.tailSeconds, 0.0) * rate, 1e15);
    tailFrames_ = static_cast<std::uint64_t>(std::llround(tail));
    next_ = 0;
    nextFrame_ = frameOf(0);
    blockFrames_ = static_cast<std::uint64_t>(target.blockFrames());
    if (!pool_.connect(target))
        return false;
    renderRoutine.store(&countFrames);
    spanRoutine.store(&startSpan);
    return true;
}

std::uint64_t SongPlayer::frameOf(std::size_t event)
{
    if (event >= song_.events.size())
        return std::numeric_limits<std::uint64_t>::max();
    // Events of one tick share a frame; the tempo map is asked once for them.
    if (event > 0 && song_.events[event].tick == song_.events[event - 1].tick)
        return nextFrame_;
    return tempo_.frameAt(song_.events[event].tick, static_cast<std::uint32_t>(sampleRate));
}

std::int32_t SongPlayer::startSpan(SoundSource& source, std::int32_t most)
{
    return static_cast<SongPlayer&>(source).playBlock(most);
}

void SongPlayer::countFrames(SoundSource& source, std::int32_t*, std::int32_t frames)
{
    auto& player = static_cast<SongPlayer&>(source);
    if (frames > 0 && !player.finished_.load())
        player.rendered_.store(player.rendered_.load() + static_cast<std::uint64_t>(frames));
}

std::int32_t SongPlayer::playBlock(std::int32_t most)
{
    if (finished_.load())
        return most;
    const std::uint64_t start = rendered_.load();
    if (next_ == song_.events.size() && start >= endFrame_ &&
        (start - endFrame_ >= tailFrames_ || !pool_.anySounding(renderLockHeld))) {
        pool_.silenceAll(renderLockHeld);
        finishFrame_.store(start);
        finished_.store(true);
        return most;
    }
    pool_.advanceFades(renderLockHeld);
    const std::uint64_t end = start + blockFrames_;
    while (next_ < song_.events.size() && nextFrame_ < end) {
        apply(song_.events[next_]);
        ++next_;
        nextFrame_ = frameOf(next_);
    }
    // The blocks before the one with the next event render in one go. The song's end is
    // looked for block by block, and a stolen drum's fade steps once a block.
    if (next_ == song_.events.size() || pool_.fading(renderLockHeld))
        return 1;
    return static_cast<std::int32_t>(std::min<std::uint64_t>((nextFrame_ - start) / blockFrames_, most));
}

void SongPlayer::apply(const midi::ChannelEvent& event)
{
    const std::uint8_t channel = event.channel();
    const std::uint8_t data1 = event.data1 & 0x7F;
    const std::uint8_t data2 = event.data2 & 0x7F;
    switch (event.kind()) {
    case noteOffMessage: noteOff(channel, data1); break;
    case noteOnMessage:
        if (data2 == 0)
            noteOff(channel, data1);
        else
            noteOn(channel, data1, data2);
        break;
    case controlChangeMessage: controlChange(channel, data1, data2); break;
    case programChangeMessage: channels_[channel].program = data1; break;
    case pitchBendMessage:
        channels_[channel].bend = static_cast<std::int32_t>(data2 << 7 | data1) - 8192;
        followBend(channel);
        break;
    default: // key and channel pressure are not played
        break;
    }
}

void SongPlayer::noteOn(std::uint8_t channel, std::uint8_t key, std::uint8_t velocity)
{
    // The same key again on the channel: the note sounding there is let go first.
    for (auto& slot : pool_.slots())
        if (slot->channel == channel && slot->key == key && slot->keyState != VoicePool::Key::released)
            release(*slot);

    const ChannelState& state = channels_[channel];
    const GeneralMidiTones::ToneId id =
        channel == ChannelState::drumChannel ? tones_.drum(state.program, key) : tones_.instrument(state.program);
    if (id == GeneralMidiTones::noTone)
        return;
    VoicePool::Slot& slot = pool_.take(renderLockHeld);
    Synth& synth = slot.synth;
    // In the order the audition keyboard prepares a voice: modulation, tone, volume.
    synth.setModulation(state.modulation, renderLockHeld);
    if (slot.toneId != id) {
        synth.setTone(tones_.tone(id), renderLockHeld);
        slot.toneId = id;
    }
    synth.setVolume(voiceVolume(velocity, state.volume, state.expression), renderLockHeld);
    synth.setPan(state.pan, renderLockHeld);
    synth.setPitchBend(pitchRatios_[channel], renderLockHeld);
    if (!synth.noteOn(noteFrequency(key), renderLockHeld))
        return;
    slot.channel = channel;
    slot.key = key;
    slot.velocity = velocity;
    slot.keyState = VoicePool::Key::held;
    slot.started = ++noteOns_;
}

void SongPlayer::release(VoicePool::Slot& slot)
{
    slot.synth.noteOff(renderLockHeld);
    slot.keyState = VoicePool::Key::released;
}

void SongPlayer::noteOff(std::uint8_t channel, std::uint8_t key)
{
    for (auto& slot : pool_.slots()) {
        if (slot->channel != channel || slot->key != key || slot->keyState != VoicePool::Key::held)
            continue;
        if (channels_[channel].pedal)
            slot->keyState = VoicePool::Key::sustained;
        else
            release(*slot);
    }
}

void SongPlayer::releaseSustained(std::uint8_t channel)
{
    for (auto& slot : pool_.slots())
        if (slot->channel == channel && slot->keyState == VoicePool::Key::sustained)
            release(*slot);
}

void SongPlayer::allNotesOff(std::uint8_t channel)
{
    for (auto& slot : pool_.slots())
        if (slot->channel == channel && slot->keyState == VoicePool::Key::held)
            noteOff(channel, slot->key);
}

void SongPlayer::allSoundOff(std::uint8_t channel)
{
    forEachVoice(channel, [](VoicePool::Slot& slot) {
        slot.synth.silence(renderLockHeld);
        slot.channel = VoicePool::noChannel;
    });
}

template <class Change> void SongPlayer::forEachVoice(std::uint8_t channel, Change change)
{
    for (auto& slot : pool_.slots())
        if (slot->channel == channel)
            change(*slot);
}

void SongPlayer::followVolume(std::uint8_t channel)
{
    const ChannelState& state = channels_[channel];
    forEachVoice(channel, [&state](VoicePool::Slot& slot) {
        slot.synth.setVolume(voiceVolume(slot.velocity, state.volume, state.expression), renderLockHeld);
    });
}

void SongPlayer::followModulation(std::uint8_t channel)
{
    const std::int32_t modulation = channels_[channel].modulation;
    forEachVoice(channel,
                 [modulation](VoicePool::Slot& slot) { slot.synth.setModulation(modulation, renderLockHeld); });
}

void SongPlayer::followBend(std::uint8_t channel)
{
    const PitchRatio ratio = channels_[channel].pitchRatio();
    pitchRatios_[channel] = ratio;
    forEachVoice(channel, [ratio](VoicePool::Slot& slot) { slot.synth.setPitchBend(ratio, renderLockHeld); });
}

void SongPlayer::controlChange(std::uint8_t channel, std::uint8_t controller, std::uint8_t value)
{
    ChannelState& state = channels_[channel];
    switch (controller) {
    case modulationWheel:
        state.modulation = value;
        followModulation(channel);
        break;
    case channelVolume:
    case expressionController:
        (controller == channelVolume ? state.volume : state.expression) = value;
        followVolume(channel);
        break;
    case panController:
        state.pan = value;
        forEachVoice(channel, [value](VoicePool::Slot& slot) { slot.synth.setPan(value, renderLockHeld); });
        break;
    case dataEntry:
    case dataEntryFine:
        if (state.parameter == ChannelState::bendRangeParameter) {
            (controller == dataEntry ? state.bendRangeSemitones : state.bendRangeCents) = value;
            followBend(channel);
        }
        break;
    case registered: state.parameter = static_cast<std::uint16_t>(value << 7 | (state.parameter & 0x7F)); break;
    case registeredFine: state.parameter = static_cast<std::uint16_t>((state.parameter & 0x3F80) | value); break;
    case nonRegistered:
    case nonRegisteredFine: state.parameter = ChannelState::noParameter; break;
    case sustainPedal:
        state.pedal = value >= 64;
        if (!state.pedal)
            releaseSustained(channel);
        break;
    case allSoundOffController: allSoundOff(channel); break;
    case resetAllControllers:
        state.resetControllers();
        releaseSustained(channel);
        followModulation(channel);
        followVolume(channel);
        followBend(channel);
        break;
    default:
        // Bank select and the rest are read and left alone.
        if (controller >= allNotesOffController)
            allNotesOff(channel);
        break;
    }
}
