#pragma once

// Keeps ALSA and JACK from printing their complaints (no device, no server) to the
// console, once the sound library has brought them in. Safe to call more than once and
// from any thread.
void silenceSoundSystemMessages();
