#include "synth/Envelope.h"

void endVoice(VoiceState& voice)
{
    voice.stage = attackStage;
    voice.envRate = 0;
    voice.envTarget = endedTarget;
    voice.active = false;
}

bool enterNextStage(VoiceState& voice, const ToneRecord& tone)
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
