// The import of a SoundFont's General MIDI presets into a bank. Each tone is made from
// one zone of its preset; waves and drum tones are shared wherever tones would
// otherwise hold the same data twice, and every addition is checked against the
// bank's capacities first, so a font too large for the bank is cut, never stored in a
// form the bank cannot hold.

#include "soundfont/SoundFontImport.h"

#include "soundfont/EnvelopeMapping.h"
#include "soundfont/PlayedZone.h"
#include "soundfont/ZoneSample.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <tuple>

namespace {

constexpr std::uint16_t melodicBank = 0;
constexpr std::uint16_t drumBank = 128;
constexpr int importKey = 60;
constexpr int importVelocity = 100;
constexpr double referenceRate = 22050;
// A drum speed of this plays one sample per output sample at the reference rate.
constexpr double drumSpeedUnit = 65536;
// Rounding a cycle size may cost this much before the wave is resampled instead.
constexpr double toleratedCents = 2;
// The largest cycle size whose step the voice computes without overflow at the
// highest note (cycle size x frequency x 2^25 must stay below 2^64).
constexpr std::uint32_t largestCycleSize = 342000;
// What a bank file stores beside its waves and drum tones: the size field counts it.
constexpr std::uint64_t fixedFileBytes = 9224;
constexpr std::uint64_t largestFileBytes = 0xFFFFFFFFu;

const std::string tooManyZones =
    "only the first " + std::to_string(playedZoneLimit) + " pairs of preset and instrument zones looked at";

double centsBetween(double to, double from)
{
    return 1200.0 * std::log2(to / from);
}

std::string decibels(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dB", value);
    return text;
}

// What a zone does that a tone of this bank cannot do.
void noteDroppedFeatures(const PlayedZone& zone, std::vector<std::string>& notes)
{
    if (zone[generator::initialFilterFc] < 13500 || zone[generator::initialFilterQ] > 0 ||
        zone[generator::modEnvToFilterFc] != 0 || zone[generator::modLfoToFilterFc] != 0)
        notes.push_back("filter dropped");
    if (zone[generator::modLfoToPitch] != 0 || zone[generator::vibLfoToPitch] != 0 ||
        zone[generator::modLfoToVolume] != 0)
        notes.push_back("LFOs dropped");
    if (zone[generator::modEnvToPitch] != 0)
        notes.push_back("pitch envelope dropped");
    if (zone.modulatorCount > 0)
        notes.push_back(std::to_string(zone.modulatorCount) + " modulators dropped");
    if (zone[generator::chorusEffectsSend] > 0 || zone[generator::reverbEffectsSend] > 0)
        notes.push_back("chorus and reverb dropped");
    if (zone[generator::pan] != 0)
        notes.push_back("pan dropped");
}

void noteOtherZones(const SoundFont& font, const ZoneChoice& choice, std::vector<std::string>& notes)
{
    const std::uint16_t type = font.samples[choice.zone.sample].type;
    if (type & SoundFontSample::leftType)
        notes.push_back("stereo: left side kept");
    else if (type & SoundFontSample::rightType)
        notes.push_back("stereo: right side kept");
    if (choice.others > 0)
        notes.push_back(std::to_string(choice.others) + " more zones at this key dropped");
}

class BankFiller {
public:
    BankFiller(const SoundFont& font, ToneBank& bank, const SoundFontImportOptions& options)
        : font_(font), bank_(bank), options_(options)
    {
        fileBytes_ =
            fixedFileBytes + 72ull * bank.drumToneCount() + 512ull * bank.drumSetCount() + 4ull * bank.waveCount();
        for (std::uint32_t w = 0; w < bank.waveCount(); ++w)
            fileBytes_ += bank.waveSize(w);
        report_.fontName = font.name;
    }

    SoundFontImportReport run()
    {
        std::vector<const SoundFontPreset*> melodic(128, nullptr), kits(128, nullptr);
        std::uint32_t otherBanks = 0;
        for (const SoundFontPreset& preset : font_.presets) {
            const bool known = preset.program < 128 && (preset.bank == melodicBank || preset.bank == drumBank);
            if (!known) {
                ++otherBanks;
                continue;
            }
            auto& slot = (preset.bank == drumBank ? kits : melodic)[preset.program];
            if (!slot)
                slot = &preset;
        }
        if (otherBanks > 0)
            report_.warnings.push_back(std::to_string(otherBanks) +
                                       " presets of banks other than 0 and 128 (variations) left out");
        for (std::uint32_t p = 0; p < 128; ++p)
            if (melodic[p] && options_.programs.test(p))
                importProgram(p, *melodic[p]);
        if (options_.drums) {
            bool first = true;
            for (std::uint32_t p = 0; p < 128; ++p)
                if (kits[p]) {
                    importKit(p, *kits[p], first);
                    first = false;
                }
        }
        return std::move(report_);
    }

private:
    void importProgram(std::uint32_t program, const SoundFontPreset& preset)
    {
        ImportedProgram entry;
        entry.program = program;
        entry.preset = preset.name;
        bool cut = false;
        const std::vector<PlayedZone> zones = playedZones(font_, preset, &cut);
        if (cut)
            entry.tone.notes.push_back(tooManyZones);
        const std::optional<ZoneChoice> choice = chooseZone(zones, font_, importKey, importVelocity);
        std::string whyNot = "the preset plays no sample";
        if (choice) {
            ToneRecord tone;
            if (instrumentTone(*choice, entry.tone, tone, whyNot)) {
                tone.groupNumber = static_cast<std::int32_t>(program);
                bank_.setInstrumentTone(program, tone);
                entry.imported = true;
            }
        }
        if (!entry.imported)
            entry.tone.notes.push_back("left out: " + whyNot);
        report_.programs.push_back(std::move(entry));
    }

    bool instrumentTone(const ZoneChoice& choice, ImportedTone& imported, ToneRecord& tone, std::string& whyNot)
    {
        const PlayedZone& zone = choice.zone;
        const SoundFontSample& sample = font_.samples[zone.sample];
        describe(choice, imported);
        const std::optional<SampleSpan> span = spanOf(font_, zone, imported.notes, whyNot);
        if (!span)
            return false;
        if (sample.sampleRate == 0) {
            whyNot = "its sample \"" + sample.name + "\" has no sample rate";
            return false;
        }
        if (zone[generator::scaleTuning] != 100)
            imported.notes.push_back("scale tuning of " + std::to_string(zone[generator::scaleTuning]) +
                                     " cents a key taken as 100");
        // One period at the root, in samples: what the voice steps through once per
        // period of the note.
        const double frequency = 440.0 * std::exp2((choice.key - 69) / 12.0);
        const double cycle = sample.sampleRate * std::exp2(centsAt(font_, zone, choice.key) / 1200.0) / frequency;
        // A period under two samples is a pitch above what the sample rate can carry.
        if (!(cycle >= 2)) {
            whyNot = "its pitch lies above what its sample rate can carry";
            return false;
        }
        if (!(cycle <= largestCycleSize)) {
            whyNot = "its period of " + std::to_string(cycle) + " samples is longer than the voice can step through";
            return false;
        }
        const double rounded = std::round(cycle);
        double ratio = 1;
        if (std::abs(centsBetween(rounded, cycle)) > toleratedCents)
            ratio = rounded / cycle;
        const auto cycleSize = static_cast<std::uint32_t>(rounded);
        imported.pitchErrorCents = centsBetween(rounded, cycle * ratio);
        if (ratio != 1) {
            char text[80];
            std::snprintf(text, sizeof text, "resampled by %.5f so that its period of %.3f samples is whole", ratio,
                          cycle);
            imported.notes.push_back(text);
        }

        const std::uint32_t length = resampledLength(span->end - span->start, ratio);
        const auto scaled = [&](std::uint32_t position) {
            return static_cast<std::uint32_t>(
                std::min<std::int64_t>(length, std::llround((position - span->start) * ratio)));
        };
        std::uint32_t sampleCount = length;
        std::uint32_t loopReturn = length;
        if (span->loops) {
            // The loop's length is rounded as a whole: a loop of a period or two sets the
            // pitch it plays at, and rounding both ends could cost a sample of it.
            loopReturn = std::min(scaled(span->loopStart), length - 1);
            const std::int64_t loopLength = std::llround((span->loopEnd - span->loopStart) * ratio);
            sampleCount = static_cast<std::uint32_t>(
                std::min<std::int64_t>(length, loopReturn + std::max<std::int64_t>(1, loopLength)));
        }
        if (cycleSize > sampleCount) {
            whyNot = "its period of " + std::to_string(cycleSize) + " samples is longer than its sample";
            return false;
        }
        imported.loops = span->loops;
        const std::int32_t wave = waveFor(span->start, span->end, ratio, whyNot);
        if (wave < 0)
            return false;
        imported.wave = wave;
        noteDroppedFeatures(zone, imported.notes);

        setEnvelopeStages(tone, volumeEnvelopeOf(zone, choice.key), imported.notes);
        tone.cycleSize = static_cast<std::int32_t>(cycleSize);
        tone.sampleCount = static_cast<std::int32_t>(sampleCount);
        tone.loopReturn = static_cast<std::int32_t>(loopReturn);
        tone.wave = bank_.waveData(static_cast<std::uint32_t>(wave));
        return true;
    }

    void describe(const ZoneChoice& choice, ImportedTone& imported) const
    {
        imported.key = choice.key;
        imported.sample = font_.samples[choice.zone.sample].name;
        imported.rootKey = rootKeyOf(font_, choice.zone);
        noteOtherZones(font_, choice, imported.notes);
    }

    // The wave of samples start..end resampled by `ratio`: one the import already added,
    // or a new one; -1 when the bank has no room for it.
    std::int32_t waveFor(std::uint32_t start, std::uint32_t end, double ratio, std::string& whyNot)
    {
        const auto key = std::make_tuple(start, end, ratio);
        if (const auto found = waves_.find(key); found != waves_.end())
            return found->second;
        const std::uint64_t size = resampledLength(end - start, ratio);
        if (bank_.waveCount() >= ToneBank::waveCapacity) {
            whyNot = "the bank's wave table is full";
            return -1;
        }
        if (fileBytes_ + 4 + size > largestFileBytes) {
            whyNot = "the bank's waves would pass the 4 GiB a bank file can hold";
            return -1;
        }
        bank_.appendWave(waveOfSpan(font_, start, end, ratio));
        fileBytes_ += 4 + size;
        ++report_.wavesAdded;
        const auto index = static_cast<std::int32_t>(bank_.waveCount() - 1);
        waves_.emplace(key, index);
        return index;
    }

    // --- drums ------------------------------------------------------------------------
    void importKit(std::uint32_t program, const SoundFontPreset& preset, bool firstKit)
    {
        ImportedDrumSet kit;
        kit.program = program;
        kit.preset = preset.name;
        const std::int32_t set = drumSetFor(program, firstKit, kit.notes);
        if (set < 0) {
            report_.drumSets.push_back(std::move(kit));
            return;
        }
        kit.drumSet = static_cast<std::uint32_t>(set);
        bank_.drumSetMap()[program] = set;
        bool cut = false;
        const std::vector<PlayedZone> zones = playedZones(font_, preset, &cut);
        if (cut)
            kit.notes.push_back(tooManyZones);
        for (int key = 0; key < 128; ++key) {
            const std::optional<ZoneChoice> choice = zoneAtKey(zones, font_, key, importVelocity);
            if (!choice)
                continue;
            ImportedTone imported;
            std::string whyNot;
            const std::int32_t drumTone = drumToneFor(*choice, imported, whyNot);
            if (drumTone < 0) {
                imported.notes.push_back("left out: " + whyNot);
            } else {
                imported.drumTone = drumTone;
                bank_.drumMaps()[static_cast<std::uint32_t>(set)][static_cast<std::uint32_t>(key)] = drumTone;
            }
            kit.keys.push_back(std::move(imported));
        }
        report_.drumSets.push_back(std::move(kit));
    }

    // The set that drum program `program` fills: the one it already selects when no
    // other program shares it (the standard kit, and a new bank's first kit, are
    // filled in place), otherwise a new set, which starts as a copy of that one in an
    // existing bank. In a new bank every key of a kit's set starts empty: the keys the
    // kit does not play stay silent.
    std::int32_t drumSetFor(std::uint32_t program, bool firstKit, std::vector<std::string>& notes)
    {
        ToneBank::DrumSetMap& setMap = bank_.drumSetMap();
        std::int32_t set = setMap[program];
        if (set < 0 || static_cast<std::uint32_t>(set) >= bank_.drumSetCount())
            set = 0;
        bool shared = false;
        for (std::uint32_t other = 0; other < ToneBank::programCount; ++other)
            shared = shared || (other != program && setMap[other] == set);
        if (program == 0 || (options_.newBank && firstKit) || !shared) {
            if (options_.newBank)
                bank_.drumMaps()[static_cast<std::uint32_t>(set)].fill(ToneBank::noDrumTone);
            return set;
        }
        const std::uint32_t count = bank_.drumSetCount();
        if (count >= ToneBank::drumSetCapacity || fileBytes_ + 512 > largestFileBytes) {
            notes.push_back("left out: the bank has no room for another drum set");
            return -1;
        }
        bank_.drumMaps()[count] = bank_.drumMaps()[static_cast<std::uint32_t>(set)];
        if (options_.newBank)
            bank_.drumMaps()[count].fill(ToneBank::noDrumTone);
        bank_.setDrumSetCount(count + 1);
        fileBytes_ += 512;
        return static_cast<std::int32_t>(count);
    }

    std::int32_t drumToneFor(const ZoneChoice& choice, ImportedTone& imported, std::string& whyNot)
    {
        const PlayedZone& zone = choice.zone;
        const SoundFontSample& sample = font_.samples[zone.sample];
        describe(choice, imported);
        const std::optional<SampleSpan> span = spanOf(font_, zone, imported.notes, whyNot);
        if (!span)
            return -1;
        const double rate = sample.sampleRate * std::exp2(centsAt(font_, zone, choice.key) / 1200.0);
        const double speed = drumSpeedUnit * rate / referenceRate;
        // The speed is halved for 44100 Hz output and must stay a forward step there.
        if (!(speed >= 2 && speed <= 2147483647.0)) {
            whyNot = "its sample \"" + sample.name + "\" cannot be played at the key's speed";
            return -1;
        }
        const auto speedValue = static_cast<std::int32_t>(std::llround(speed));
        imported.pitchErrorCents = centsBetween(speedValue, speed);
        imported.loops = span->loops;
        if (span->loops)
            imported.notes.push_back("loop not played: drums play their sample once");
        const std::uint32_t length = span->end - span->start;
        std::uint32_t end = length;
        // A drum whose envelope falls silent before its sample ends stops there.
        const VolumeEnvelope envelope = volumeEnvelopeOf(zone, choice.key);
        if (envelope.sustainDecibels >= silenceDecibels) {
            const double silentAfter =
                envelope.delay + envelope.attack + envelope.hold + envelope.decay * silenceDecibels / 100.0;
            const double played = silentAfter * rate;
            if (played < length) {
                end = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(played));
                imported.notes.push_back("cut where its envelope falls silent");
            }
        }
        if (envelope.attenuationDecibels >= 0.5)
            imported.notes.push_back("attenuation of " + decibels(envelope.attenuationDecibels) + " not applied");
        noteDroppedFeatures(zone, imported.notes);

        const std::int32_t wave = waveFor(span->start, span->end, 1, whyNot);
        if (wave < 0)
            return -1;
        imported.wave = wave;
        const std::int32_t group = zone[generator::exclusiveClass];
        const auto key = std::make_tuple(wave, speedValue, end, group);
        if (const auto found = drumTones_.find(key); found != drumTones_.end())
            return found->second;
        ToneRecord tone;
        tone.drumAlgorithm = 1;
        tone.wave = bank_.waveData(static_cast<std::uint32_t>(wave));
        tone.sampleCount = static_cast<std::int32_t>(length);
        tone.loopReturn = static_cast<std::int32_t>(length);
        tone.cycleSize = static_cast<std::int32_t>(end);
        tone.gainRate = speedValue;
        tone.amplitude = speedValue;
        tone.groupNumber = group;
        const std::int32_t index = addDrumTone(tone, whyNot);
        if (index >= 0)
            drumTones_.emplace(key, index);
        return index;
    }

    std::int32_t addDrumTone(const ToneRecord& tone, std::string& whyNot)
    {
        if (bank_.drumToneCount() >= ToneBank::drumToneCapacity || fileBytes_ + 72 > largestFileBytes) {
            whyNot = "the bank's drum tones are all in use";
            return -1;
        }
        if (!bank_.addDrumTone())
            return -1;
        fileBytes_ += 72;
        ++report_.drumTonesAdded;
        const std::uint32_t index = bank_.drumToneCount() - 1;
        bank_.setDrumTone(index, tone);
        return static_cast<std::int32_t>(index);
    }

    const SoundFont& font_;
    ToneBank& bank_;
    const SoundFontImportOptions& options_;
    SoundFontImportReport report_;
    std::uint64_t fileBytes_ = 0;
    std::map<std::tuple<std::uint32_t, std::uint32_t, double>, std::int32_t> waves_;
    std::map<std::tuple<std::int32_t, std::int32_t, std::uint32_t, std::int32_t>, std::int32_t> drumTones_;
};

} // namespace

SoundFontImportReport importSoundFont(const SoundFont& font, ToneBank& bank, const SoundFontImportOptions& options)
{
    return BankFiller(font, bank, options).run();
}
