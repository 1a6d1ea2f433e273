#pragma once

#include "soundfont/SoundFont.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// What a preset plays for one range of keys and velocities: one instrument zone inside
// one preset zone, with the generators of both (and of their global zones) combined the
// way a SoundFont synthesizer combines them: the instrument's value (its zone's, else
// its global zone's, else the default) plus the preset's offset to it where the
// generator may be offset at preset level; key and velocity ranges intersect.
struct PlayedZone {
    std::uint32_t instrument = 0;
    std::uint32_t sample = 0;
    std::array<std::int32_t, generatorCount> value{};
    ByteRange keys;
    ByteRange velocities;
    std::uint32_t modulatorCount = 0;

    std::int32_t operator[](std::uint16_t oper) const { return value[oper]; }
};

// A preset may pair each of its zones with each of its instrument's: no more pairs than
// this are looked at, so that a hostile file of a few megabytes cannot ask for
// gigabytes.
constexpr std::size_t playedZoneLimit = 16384;

// Every zone the preset plays, in the order of its zones and then of its instrument's,
// up to playedZoneLimit; `cut` (when given) is set when there were more.
std::vector<PlayedZone> playedZones(const SoundFont& font, const SoundFontPreset& preset, bool* cut = nullptr);

// The zone that plays `key` at `velocity`, or the one nearest to them (key first, then
// velocity) when none does; among equals, a mono or left sample rather than a right
// one, then the loudest (the quieter layers of a sound are mostly accents of the main
// one), then the first. `chosenKey` takes the key the zone then plays (`key` itself or
// the nearest end of the zone's key range); `others` how many more zones play that key
// and velocity alongside it (layers and the other side of a stereo pair).
struct ZoneChoice {
    PlayedZone zone;
    int key = 60;
    int velocity = 100;
    std::uint32_t others = 0;
};
std::optional<ZoneChoice> chooseZone(const std::vector<PlayedZone>& zones, const SoundFont& font, int key,
                                     int velocity);
// The zone that plays exactly `key` at `velocity`, as chooseZone picks among several; none
// when no zone does.
std::optional<ZoneChoice> zoneAtKey(const std::vector<PlayedZone>& zones, const SoundFont& font, int key, int velocity);
