#pragma once

#include "audio/Wrapping.h"
#include "bank/ToneRecord.h"
#include "synth/VoiceState.h"

// Silences a voice for good: it adds nothing more until the next note-on.
inline void endVoice(VoiceState& voice)
{
    voice.stage = attackStage;
    voice.envRate = 0;
    voice.envTarget = endedTarget;
    voice.active = false;
}

// Sets up the stage after the one whose target was just reached, or ends the voice
// after the sustain and release stages. False when the voice has ended. Inline, like
// everything the render loop calls: a voice whose address reached a function of another
// file would have to live in memory, every field read again after each store into the mix.
inline bool enterNextStage(VoiceState& voice, const ToneRecord& tone)
{
    switch (voice.stage) {
    case attackStage:
        voice.stage = secondStage;
        voice.envRate = wrapNeg(tone.DR);
        voice.envTarget = tone.NL;
        return true;
    case secondStage:
        voice.stage = thirdStage;
        voice.envRate = wrapNeg(tone.NR);
        voice.envTarget = tone.SL;
        return true;
    case thirdStage:
        voice.stage = sustainStage;
        voice.envRate = wrapNeg(tone.SR);
        voice.envTarget = 0;
        return true;
    default: // the sustain and release stages end at level 0, and so does the voice
        endVoice(voice);
        return false;
    }
}

// One output sample of the five-stage envelope; false when the voice has ended.
// A stage ends when (level - target) XOR rate is not negative: a rising stage at or
// above its target, a falling one strictly below it, and a stage whose rate points
// away from its target at once.
inline bool stepEnvelope(VoiceState& voice, const ToneRecord& tone)
{
    if (voice.envRate == 0)
        return true;
    voice.envLevel = wrapAdd(voice.envLevel, voice.envRate);
    if ((wrapSub(voice.envLevel, voice.envTarget) ^ voice.envRate) < 0)
        return true;
    voice.envLevel = voice.envTarget;
    return enterNextStage(voice, tone);
}
