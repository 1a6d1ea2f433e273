#include "soundfont/ZoneSample.h"

#include "bank/SampleConversion.h"
#include "framework/BufferedFile.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int64_t coarseOffsetUnit = 32768;

std::int64_t offset(const PlayedZone& zone, std::uint16_t fine, std::uint16_t coarse)
{
    return zone[fine] + coarseOffsetUnit * zone[coarse];
}

} // namespace

std::optional<SampleSpan> spanOf(const SoundFont& font, const PlayedZone& zone, std::vector<std::string>& notes,
                                 std::string& whyNot)
{
    const SoundFontSample& sample = font.samples[zone.sample];
    if (sample.type & SoundFontSample::romBit) {
        whyNot = "its sample \"" + sample.name + "\" lies in a sound ROM the font does not carry";
        return std::nullopt;
    }
    const std::int64_t start =
        sample.start + offset(zone, generator::startAddrsOffset, generator::startAddrsCoarseOffset);
    const std::int64_t end = sample.end + offset(zone, generator::endAddrsOffset, generator::endAddrsCoarseOffset);
    if (start < 0 || end <= start || end > static_cast<std::int64_t>(font.sampleCount())) {
        whyNot = "its sample \"" + sample.name + "\" does not lie within the font's sample data";
        return std::nullopt;
    }
    SampleSpan span;
    span.start = static_cast<std::uint32_t>(start);
    span.end = static_cast<std::uint32_t>(end);
    const std::int32_t mode = zone[generator::sampleModes] & 3;
    if (mode == 1 || mode == 3) {
        const std::int64_t loopStart =
            sample.loopStart + offset(zone, generator::startloopAddrsOffset, generator::startloopAddrsCoarseOffset);
        const std::int64_t loopEnd =
            sample.loopEnd + offset(zone, generator::endloopAddrsOffset, generator::endloopAddrsCoarseOffset);
        if (loopStart >= start && loopStart < loopEnd && loopEnd <= end) {
            span.loops = true;
            span.loopStart = static_cast<std::uint32_t>(loopStart);
            span.loopEnd = static_cast<std::uint32_t>(loopEnd);
            if (mode == 3 && loopEnd < end)
                notes.push_back("the part after the loop, played on release, is dropped");
        } else {
            notes.push_back("its loop does not lie within the sample: played once");
        }
    }
    return span;
}

int rootKeyOf(const SoundFont& font, const PlayedZone& zone)
{
    const std::int32_t overriding = zone[generator::overridingRootKey];
    if (overriding >= 0 && overriding <= 127)
        return overriding;
    const std::uint8_t original = font.samples[zone.sample].originalPitch;
    // 255 marks a sample without pitch.
    return original <= 127 ? original : 60;
}

double centsAt(const SoundFont& font, const PlayedZone& zone, int key)
{
    return (key - rootKeyOf(font, zone)) * static_cast<double>(zone[generator::scaleTuning]) +
           100.0 * zone[generator::coarseTune] + zone[generator::fineTune] + font.samples[zone.sample].pitchCorrection;
}

std::uint32_t resampledLength(std::uint32_t length, double ratio)
{
    return static_cast<std::uint32_t>(std::ceil(length * ratio));
}

WaveRef waveOfSpan(const SoundFont& font, std::uint32_t start, std::uint32_t end, double ratio)
{
    const std::uint32_t length = end - start;
    const unsigned char* bytes = font.sampleBytes.data() + 2 * static_cast<std::size_t>(start);
    if (ratio == 1) {
        auto wave = std::make_shared<WaveBlock>(length);
        takeHighBytes<2>(bytes, wave->samples.data(), length);
        return wave;
    }
    // Resampled in 16 bits, then converted as the samples that came straight from the
    // file are.
    const std::uint32_t newLength = resampledLength(length, ratio);
    std::vector<unsigned char> resampled(2 * static_cast<std::size_t>(newLength));
    for (std::uint32_t j = 0; j < newLength; ++j) {
        const double position = j / ratio;
        const auto before = std::min<std::uint32_t>(static_cast<std::uint32_t>(position), length - 1);
        const std::uint32_t after = std::min(before + 1, length - 1);
        const double fraction = std::clamp(position - before, 0.0, 1.0);
        const double a = static_cast<std::int16_t>(loadU16(bytes + 2 * before));
        const double b = static_cast<std::int16_t>(loadU16(bytes + 2 * after));
        const auto value =
            static_cast<std::int16_t>(std::clamp<std::int64_t>(std::llround(a + (b - a) * fraction), -32768, 32767));
        storeU16(resampled.data() + 2 * j, static_cast<std::uint16_t>(value));
    }
    auto wave = std::make_shared<WaveBlock>(newLength);
    takeHighBytes<2>(resampled.data(), wave->samples.data(), newLength);
    return wave;
}
