#pragma once

// Why a WAV file was not imported.
enum class WavRefusal {
    none,
    tableFull, // the bank already holds the most waves it can
    cannotOpen,
    notRiffWave,    // no "RIFF" ... "WAVE" header
    truncated,      // the file ends inside a header, or a chunk runs past its end
    noFormat,       // no "fmt " chunk
    formatTooShort, // a "fmt " chunk too short to describe the samples
    notPcm,         // a format tag (or extensible sub-format) other than integer PCM
    notMono,
    unsupportedSampleSize, // a block alignment other than 1 to 4 bytes
    noData,                // no "data" chunk after the "fmt " chunk
    readFailed,
    outOfMemory,
};

// A short English phrase for messages: "the file is not mono", ...
const char* describeWavRefusal(WavRefusal refusal);
