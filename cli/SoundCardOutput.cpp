#include "cli/SoundCard.h"
#include "platform/SoundCardWaveOut.h"

// Built into the zbk program only, so that `zbk play` reaches the sound card while the
// command library stays free of the sound library (its tests run without one).
namespace {

const bool registered = [] {
    setSoundCardFactory(makeSoundCardWaveOut);
    return true;
}();

} // namespace
