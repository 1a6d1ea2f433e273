#include "platform/portaudio/QuietSoundSystem.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <dlfcn.h>

#include <mutex>

namespace {

void ignoreAlsa(const char*, int, const char*, int, const char*, ...) {}

void ignoreJack(const char*) {}

// A function of a library the sound library brought in, or nullptr when it did not.
template <class Function> Function loadedFunction(const char* library, const char* name)
{
    void* handle = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
    return handle != nullptr ? reinterpret_cast<Function>(dlsym(handle, name)) : nullptr;
}

} // namespace

void silenceSoundSystemMessages()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (auto setAlsaHandler =
                loadedFunction<decltype(&snd_lib_error_set_handler)>("libasound.so.2", "snd_lib_error_set_handler"))
            setAlsaHandler(&ignoreAlsa);
        if (auto setJackError =
                loadedFunction<decltype(&jack_set_error_function)>("libjack.so.0", "jack_set_error_function"))
            setJackError(&ignoreJack);
        if (auto setJackInfo =
                loadedFunction<decltype(&jack_set_info_function)>("libjack.so.0", "jack_set_info_function"))
            setJackInfo(&ignoreJack);
    });
}
