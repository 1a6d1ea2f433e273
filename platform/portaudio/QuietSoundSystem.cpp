#include "platform/portaudio/QuietSoundSystem.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <mutex>

namespace {

void ignoreAlsa(const char*, int, const char*, int, const char*, ...) {}

void ignoreJack(const char*) {}

} // namespace

void silenceSoundSystemMessages()
{
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(&ignoreAlsa);
        jack_set_error_function(&ignoreJack);
        jack_set_info_function(&ignoreJack);
    });
}
