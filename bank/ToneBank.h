#pragma once

#include "bank/BankLoadResult.h"
#include "bank/ToneRecord.h"
#include "bank/WavRefusal.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The document the editor edits: 128 instrument tones, the drum tones, the drum sets
// with their maps, the drum-set map and the table of waveforms the tones play.
//
// The big parts live on the heap so that a bank is cheap to move and safe to keep on
// the stack; the capacities are those the file format can store.
class ToneBank {
public:
    static constexpr std::uint32_t instrumentToneCount = 128;
    static constexpr std::uint32_t drumToneCapacity = 16384;
    static constexpr std::uint32_t drumSetCapacity = 128;
    static constexpr std::uint32_t notesPerDrumMap = 128;
    static constexpr std::uint32_t programCount = 128;
    static constexpr std::uint32_t waveCapacity = 16512;
    // A drum-map entry left empty: the note plays nothing. Songs and imports leave the
    // notes a kit does not have so; the check counts them as empty, not as faults.
    static constexpr std::int32_t noDrumTone = -1;
    // Shorter than this a wave cannot be played: resize and stretch refuse it.
    static constexpr std::uint32_t shortestWave = 4;

    using DrumMap = std::array<std::int32_t, notesPerDrumMap>;
    using DrumMaps = std::array<DrumMap, drumSetCapacity>;
    using DrumSetMap = std::array<std::int32_t, programCount>;

    ToneBank();
    ToneBank(ToneBank&&) noexcept = default;
    ToneBank& operator=(ToneBank&&) noexcept = default;
    // Copying would make two tables own the same blocks; copy records and maps instead.
    ToneBank(const ToneBank&) = delete;
    ToneBank& operator=(const ToneBank&) = delete;

    // --- waves --------------------------------------------------------------------
    std::uint32_t waveCount() const { return static_cast<std::uint32_t>(waves_.size()); }
    // Byte size (= sample count) of wave i; 0 when i is not below waveCount.
    std::uint32_t waveSize(std::uint32_t i) const;
    // Block of wave i; an empty reference when i is not below waveCount.
    WaveRef waveData(std::uint32_t i) const;
    // First index below waveCount whose block is `block`, or -1 (a void reference).
    std::int32_t findWave(const WaveRef& block) const;
    // The reference to follow for `block`: the block itself when it is in the table,
    // otherwise empty, so that nobody reads the samples of a void reference.
    WaveRef resolveWave(const WaveRef& block) const;
    bool isWaveUsed(std::uint32_t i) const;
    bool redirectWave(std::uint32_t dst, std::uint32_t src);
    bool removeLastWave();
    void clear();
    std::uint32_t removeUnusedWaves();
    // Puts `block` in place of wave i and moves every tone of the old block onto it,
    // setting sampleCount to the new size and clamping cycleSize to it.
    void replaceWaveData(std::uint32_t i, WaveRef block);
    // Appends a block at the end of the table; false when the table is full or the
    // block is missing.
    bool appendWave(WaveRef block);

    // --- tones --------------------------------------------------------------------
    ToneRecord getInstrumentTone(std::uint32_t program) const;
    void setInstrumentTone(std::uint32_t program, const ToneRecord& tone);
    std::uint32_t drumToneCount() const { return drumToneCount_; }
    // Drum tone i below drumToneCount; an all-zero record otherwise.
    ToneRecord getDrumTone(std::uint32_t i) const;
    void setDrumTone(std::uint32_t i, const ToneRecord& tone);
    bool isDrumToneUsed(std::uint32_t i) const;
    bool addDrumTone();
    void removeUnusedDrumTones();

    // --- drum sets ----------------------------------------------------------------
    std::uint32_t drumSetCount() const { return drumSetCount_; }
    // Stores a count of 1..128; other values are refused and change nothing.
    void setDrumSetCount(std::uint32_t count);
    DrumMaps& drumMaps() { return *drumMaps_; }
    const DrumMaps& drumMaps() const { return *drumMaps_; }
    DrumSetMap& drumSetMap() { return drumSetMap_; }
    const DrumSetMap& drumSetMap() const { return drumSetMap_; }
    // The drum set program p of the drum channel plays: its DrumSetMap entry, or set 0
    // when the entry names no set in use.
    std::uint32_t drumSetOfProgram(std::uint32_t program) const
    {
        const std::int32_t set = drumSetMap_[program % programCount];
        return set >= 0 && static_cast<std::uint32_t>(set) < drumSetCount_ ? static_cast<std::uint32_t>(set) : 0;
    }

    // --- files (BankFile.cpp) -----------------------------------------------------
    // Reads a ZBK0 or ZBK1 file. On any failure the bank is left exactly as it was.
    // `result` (when given) takes the file's format, or why it was not loaded.
    bool loadBank(const char* fileName, BankLoadResult* result = nullptr);
    // Writes the bank as ZBK1. The target is replaced only once the whole file is on
    // disk; on failure the old file is untouched.
    bool saveBank(const char* fileName) const;

    // --- WAV files (WavImport.cpp, WavExport.cpp) ---------------------------------
    // Appends the samples of a mono PCM WAV file (8, 16, 24 or 32-bit integer) as a
    // new wave, each sample's high byte as a signed 8-bit sample. The bank's first wave
    // becomes the wave of every instrument tone and drum-tone slot. On failure the
    // bank is unchanged, and `refusal` (when given) says why; for a file that cannot be
    // opened, `openError` (when given) takes File::openError.
    bool importWav(const char* fileName, WavRefusal* refusal = nullptr, int* openError = nullptr);
    // Writes wave i as an 8-bit mono PCM file at 44100 Hz. The target is replaced
    // only once the whole file is on disk; on failure the old file is untouched.
    bool exportWav(const char* fileName, std::uint32_t waveIndex) const;

    // --- waveform editing (WaveEditing.cpp) ---------------------------------------
    // A range a, b means samples a to b - 1; positions beyond the wave are lowered to
    // its size and the two are swapped when b is below a.
    //
    // Removes samples a to b - 1. False, changing nothing, when i is not a wave or
    // fewer than 4 samples would remain; an empty range succeeds and changes nothing.
    bool deleteWaveRange(std::uint32_t i, std::uint32_t a, std::uint32_t b);
    // Scales the range so that its largest magnitude becomes `peak`, with clamping.
    void normalizeRange(std::uint32_t i, std::uint32_t a, std::uint32_t b, std::int32_t peak);
    // The 7-tap 1-2-4-8-4-2-1 smoothing filter over the range, in place and in
    // ascending order, with the wave taken as circular.
    void smoothRange(std::uint32_t i, std::uint32_t a, std::uint32_t b);
    // How a wave gets a new length: cut or padded with silence at its end, or resampled
    // by repeating or dropping samples (no interpolation).
    enum class LengthChange { resize, stretch };
    // Which tones a stretch carries over to the new length: none (their cycle size is
    // only kept within the wave; the editor rescales the tone it shows itself), or every
    // tone that plays the wave (cycleSize, kept within the wave, and loopReturn rescaled
    // by stretchedPosition).
    enum class ToneRescaling { none, everyToneOfTheWave };
    enum class LengthResult { changed, sameLength, refused, outOfMemory };
    // Gives wave i `length` samples in one new block; every tone of the wave then plays
    // it with `length` samples (as replaceWaveData does). Refused, changing nothing, when
    // i is not a wave or `length` is below shortestWave; the same length changes nothing.
    LengthResult changeWaveLength(std::uint32_t i, std::uint32_t length, LengthChange how,
                                  ToneRescaling rescaling = ToneRescaling::none);
    // A new block of the first `length` samples of `samples`, padded with silence.
    // Throws std::bad_alloc.
    static WaveRef resizedWave(const std::vector<std::int8_t>& samples, std::uint32_t length);
    // A new block of `length` samples holding `samples` stretched as stretchWaveData
    // stretches a wave. Throws std::bad_alloc.
    static WaveRef stretchedWave(const std::vector<std::int8_t>& samples, std::uint32_t length);
    // A sample position (a cycle size, a loop return) carried over to a wave stretched
    // from `oldLength` to `newLength`: floor(position x newLength / oldLength),
    // saturated at the largest 32-bit value.
    static std::uint32_t stretchedPosition(std::uint32_t position, std::uint32_t oldLength, std::uint32_t newLength);

private:
    friend class BankFileReader;

    template <typename Visit> void forEachToneInUse(Visit visit);
    template <typename Visit> void forEachToneInUse(Visit visit) const;

    std::array<ToneRecord, instrumentToneCount> instrumentTones_;
    // The drum tones in use; the format's capacity is drumToneCapacity.
    std::vector<ToneRecord> drumTones_;
    std::uint32_t drumToneCount_ = 0;
    std::unique_ptr<DrumMaps> drumMaps_;
    std::uint32_t drumSetCount_ = 1;
    DrumSetMap drumSetMap_{};
    // The wave table: entry i is wave i. Entries at and above waveCount do not exist,
    // which is the "empty" state of the fixed-size table.
    std::vector<WaveRef> waves_;
};

// Every tone a bank file stores: the instrument tones and the drum tones in use.
template <typename Visit> inline void ToneBank::forEachToneInUse(Visit visit)
{
    for (ToneRecord& tone : instrumentTones_)
        visit(tone);
    for (std::uint32_t i = 0; i < drumToneCount_; ++i)
        visit(drumTones_[i]);
}

template <typename Visit> inline void ToneBank::forEachToneInUse(Visit visit) const
{
    for (const ToneRecord& tone : instrumentTones_)
        visit(tone);
    for (std::uint32_t i = 0; i < drumToneCount_; ++i)
        visit(drumTones_[i]);
}
