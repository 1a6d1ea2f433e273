#include "soundfont/PlayedZone.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The value a generator has when no zone gives it.
std::int32_t defaultOf(std::uint16_t oper)
{
    switch (oper) {
    case generator::initialFilterFc: return 13500;
    case 21: // delayModLFO
    case 23: // delayVibLFO
    case 25: // delayModEnv
    case 26: // attackModEnv
    case 27: // holdModEnv
    case 28: // decayModEnv
    case 30: // releaseModEnv
    case generator::delayVolEnv:
    case generator::attackVolEnv:
    case generator::holdVolEnv:
    case generator::decayVolEnv:
    case generator::releaseVolEnv: return -12000;
    case generator::keyRange:
    case generator::velRange: return 0x7F00;
    case generator::keynum:
    case generator::velocity:
    case generator::overridingRootKey: return -1;
    case generator::scaleTuning: return 100;
    default: return 0;
    }
}

// Generators a preset zone may not offset: where the sample lies, how it loops, what it
// is, and the ranges (which intersect instead).
bool isInstrumentOnly(std::uint16_t oper)
{
    switch (oper) {
    case generator::startAddrsOffset:
    case generator::endAddrsOffset:
    case generator::startloopAddrsOffset:
    case generator::endloopAddrsOffset:
    case generator::startAddrsCoarseOffset:
    case generator::endAddrsCoarseOffset:
    case generator::startloopAddrsCoarseOffset:
    case generator::endloopAddrsCoarseOffset:
    case generator::keynum:
    case generator::velocity:
    case generator::sampleModes:
    case generator::exclusiveClass:
    case generator::overridingRootKey:
    case generator::instrument:
    case generator::sampleID:
    case generator::keyRange:
    case generator::velRange: return true;
    default: return false;
    }
}

std::optional<ByteRange> intersect(ByteRange a, ByteRange b)
{
    const ByteRange both{std::max(a.low, b.low), std::min(a.high, b.high)};
    if (both.low > both.high)
        return std::nullopt;
    return both;
}

int distance(ByteRange range, int value)
{
    if (range.contains(value))
        return 0;
    return std::min(std::abs(value - range.low), std::abs(value - range.high));
}

int nearestIn(ByteRange range, int value)
{
    return std::clamp(value, static_cast<int>(range.low), static_cast<int>(range.high));
}

bool isRightSide(const SoundFont& font, const PlayedZone& zone)
{
    return (font.samples[zone.sample].type & SoundFontSample::rightType) != 0;
}

} // namespace

std::vector<PlayedZone> playedZones(const SoundFont& font, const SoundFontPreset& preset, bool* cut)
{
    std::vector<PlayedZone> zones;
    if (cut)
        *cut = false;
    const GeneratorSet noGlobal;
    const GeneratorSet& presetGlobal = preset.hasGlobalZone ? preset.globalZone.generators : noGlobal;
    for (const SoundFontZone& presetZone : preset.zones) {
        const SoundFontLayer& instrument = font.instruments[presetZone.target];
        const GeneratorSet& instrumentGlobal = instrument.hasGlobalZone ? instrument.globalZone.generators : noGlobal;
        const std::uint32_t globalModulators = (preset.hasGlobalZone ? preset.globalZone.modulatorCount : 0) +
                                               (instrument.hasGlobalZone ? instrument.globalZone.modulatorCount : 0);
        for (const SoundFontZone& instrumentZone : instrument.zones) {
            if (zones.size() == playedZoneLimit) {
                if (cut)
                    *cut = true;
                return zones;
            }
            PlayedZone zone;
            zone.instrument = presetZone.target;
            zone.sample = instrumentZone.target;
            zone.modulatorCount = globalModulators + presetZone.modulatorCount + instrumentZone.modulatorCount;
            for (std::uint16_t oper = 0; oper < generatorCount; ++oper) {
                zone.value[oper] = instrumentZone.generators.valueOr(oper, instrumentGlobal, defaultOf(oper));
                if (!isInstrumentOnly(oper))
                    zone.value[oper] += presetZone.generators.valueOr(oper, presetGlobal, 0);
            }
            const auto rangeOf = [&](std::uint16_t oper) {
                return intersect(ByteRange::of(static_cast<std::int16_t>(zone.value[oper])),
                                 ByteRange::of(static_cast<std::int16_t>(
                                     presetZone.generators.valueOr(oper, presetGlobal, defaultOf(oper)))));
            };
            const std::optional<ByteRange> keys = rangeOf(generator::keyRange);
            const std::optional<ByteRange> velocities = rangeOf(generator::velRange);
            if (!keys || !velocities)
                continue;
            zone.keys = *keys;
            zone.velocities = *velocities;
            zones.push_back(zone);
        }
    }
    return zones;
}

namespace {

// The choice among the zones `admits` lets through.
template <typename Admits> std::optional<ZoneChoice> choose(const std::vector<PlayedZone>& zones, const SoundFont& font,
                                                            int key, int velocity, Admits admits)
{
    const PlayedZone* best = nullptr;
    auto rank = [&](const PlayedZone& zone) {
        return std::array<int, 4>{distance(zone.keys, key), distance(zone.velocities, velocity),
                                  isRightSide(font, zone) ? 1 : 0, zone[generator::initialAttenuation]};
    };
    for (const PlayedZone& zone : zones)
        if (admits(zone) && (!best || rank(zone) < rank(*best)))
            best = &zone;
    if (!best)
        return std::nullopt;
    ZoneChoice choice{*best, nearestIn(best->keys, key), nearestIn(best->velocities, velocity), 0};
    for (const PlayedZone& zone : zones)
        if (&zone != best && admits(zone) && zone.keys.contains(choice.key) &&
            zone.velocities.contains(choice.velocity))
            ++choice.others;
    return choice;
}

} // namespace

std::optional<ZoneChoice> chooseZone(const std::vector<PlayedZone>& zones, const SoundFont& font, int key, int velocity)
{
    return choose(zones, font, key, velocity, [](const PlayedZone&) { return true; });
}

std::optional<ZoneChoice> zoneAtKey(const std::vector<PlayedZone>& zones, const SoundFont& font, int key, int velocity)
{
    return choose(zones, font, key, velocity, [&](const PlayedZone& zone) { return zone.keys.contains(key); });
}
