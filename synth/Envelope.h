#pragma once

#include "bank/ToneRecord.h"
#include "synth/VoiceState.h"
#include "audio/Wrapping.h"

// Silences a voice for good: it adds nothing more until the next note-on.
void endVoice(VoiceState& voice);

// Sets up the stage after the one whose target was just reached, or ends the voice
// after the sustain and release stages. False when the voice has ended.
bool enterNextStage(VoiceState& voice, const ToneRecord& tone);

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
