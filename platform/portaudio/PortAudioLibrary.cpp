#include "platform/portaudio/PortAudioLibrary.h"

#include "platform/portaudio/QuietSoundSystem.h"

#include <dlfcn.h>

namespace {

template <class Function> bool find(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

bool load(PortAudioLibrary& pa)
{
    // Kept loaded for the rest of the program: its threads may outlive any one stream.
    void* library = dlopen("libportaudio.so.2", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return false;
    // Before the library first looks for devices, which is where ALSA and JACK complain.
    silenceSoundSystemMessages();
    return find(library, "Pa_Initialize", pa.initialize) && find(library, "Pa_Terminate", pa.terminate) &&
           find(library, "Pa_GetDefaultOutputDevice", pa.defaultOutputDevice) &&
           find(library, "Pa_GetDeviceInfo", pa.deviceInfo) && find(library, "Pa_OpenStream", pa.openStream) &&
           find(library, "Pa_CloseStream", pa.closeStream) && find(library, "Pa_StartStream", pa.startStream) &&
           find(library, "Pa_StopStream", pa.stopStream) && find(library, "Pa_AbortStream", pa.abortStream) &&
           find(library, "Pa_GetStreamInfo", pa.streamInfo);
}

} // namespace

const PortAudioLibrary* portAudio()
{
    static PortAudioLibrary library{};
    static const bool loaded = load(library);
    return loaded ? &library : nullptr;
}
