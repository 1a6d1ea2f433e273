#pragma once

#include <portaudio.h>

// The sound library's functions, from the library loaded when a program first opens the
// card: commands that never play neither wait for it and the libraries it brings (ALSA,
// JACK and theirs) to load, nor need it installed.
struct PortAudioLibrary {
    decltype(&Pa_Initialize) initialize;
    decltype(&Pa_Terminate) terminate;
    decltype(&Pa_GetDefaultOutputDevice) defaultOutputDevice;
    decltype(&Pa_GetDeviceInfo) deviceInfo;
    decltype(&Pa_OpenStream) openStream;
    decltype(&Pa_CloseStream) closeStream;
    decltype(&Pa_StartStream) startStream;
    decltype(&Pa_StopStream) stopStream;
    decltype(&Pa_AbortStream) abortStream;
    decltype(&Pa_GetStreamInfo) streamInfo;
};

// The library, loaded on the first call (from any thread); nullptr when it cannot be
// loaded or lacks a function.
const PortAudioLibrary* portAudio();
