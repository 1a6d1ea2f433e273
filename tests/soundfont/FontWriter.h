#pragma once

// SoundFont 2 files written by the tests, small enough that every value in them is
// known: samples, instruments and presets given as plain lists, laid out in the
// file as the format wants them (terminal records, each zone's key range first and
// the generator that names its instrument or sample last).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fontwriter {

struct Sample {
    std::string name = "sample";
    std::vector<std::int16_t> data;
    std::uint32_t loopStart = 0; // from the sample's own start
    std::uint32_t loopEnd = 0;
    std::uint32_t rate = 22050;
    std::uint8_t pitch = 60;
    std::int8_t correction = 0;
    std::uint16_t link = 0;
    std::uint16_t type = 1;
};

struct Zone {
    std::vector<std::pair<std::uint16_t, std::int16_t>> generators;
    int target = -1; // sample (instrument zones) or instrument (preset zones); -1: a global zone
    std::uint16_t modulators = 0;
};

struct Instrument {
    std::string name = "instrument";
    std::vector<Zone> zones;
};

struct Preset {
    std::string name = "preset";
    std::uint16_t program = 0;
    std::uint16_t bank = 0;
    std::vector<Zone> zones;
};

inline std::int16_t keyRange(int low, int high)
{
    return static_cast<std::int16_t>(low | (high << 8));
}

class Bytes {
public:
    void u8(std::uint8_t v) { bytes.push_back(v); }
    void u16(std::uint16_t v)
    {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    // Byte by byte: GCC 12 at -O2 takes a range insert into an empty vector for an overflow.
    void id(const char* four)
    {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<std::uint8_t>(four[i]));
    }
    void name(const std::string& text, std::size_t size = 20)
    {
        for (std::size_t i = 0; i < size; ++i)
            u8(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
    }
    void chunk(const char* four, const Bytes& body)
    {
        id(four);
        u32(static_cast<std::uint32_t>(body.bytes.size()));
        bytes.insert(bytes.end(), body.bytes.begin(), body.bytes.end());
        if (body.bytes.size() % 2)
            u8(0);
    }
    void list(const char* form, const Bytes& body)
    {
        Bytes inner;
        inner.id(form);
        inner.bytes.insert(inner.bytes.end(), body.bytes.begin(), body.bytes.end());
        chunk("LIST", inner);
    }
    std::vector<std::uint8_t> bytes;
};

struct Font {
    std::string name = "test font";
    std::uint16_t major = 2;
    std::uint16_t minor = 1;
    std::vector<Sample> samples;
    std::vector<Instrument> instruments;
    std::vector<Preset> presets;
    bool withSm24 = false;

    std::vector<std::uint8_t> bytes() const
    {
        Bytes info;
        Bytes version;
        version.u16(major);
        version.u16(minor);
        info.chunk("ifil", version);
        Bytes title;
        title.name(name, name.size() + 1);
        info.chunk("INAM", title);

        // Each sample is followed by 46 zero samples, as the format asks.
        Bytes smpl;
        std::vector<std::uint32_t> starts;
        for (const Sample& sample : samples) {
            starts.push_back(static_cast<std::uint32_t>(smpl.bytes.size() / 2));
            for (const std::int16_t value : sample.data)
                smpl.u16(static_cast<std::uint16_t>(value));
            for (int i = 0; i < 46; ++i)
                smpl.u16(0);
        }
        Bytes sdta;
        sdta.chunk("smpl", smpl);
        if (withSm24) {
            Bytes sm24;
            for (std::size_t i = 0; i < smpl.bytes.size() / 2; ++i)
                sm24.u8(0x55);
            sdta.chunk("sm24", sm24);
        }

        Bytes phdr, pbag, pmod, pgen, inst, ibag, imod, igen, shdr;
        std::uint16_t bagCount = 0, genCount = 0, modCount = 0;
        auto zones = [&](const std::vector<Zone>& list, Bytes& bag, Bytes& mod, Bytes& gen, std::uint16_t targetOper) {
            for (const Zone& zone : list) {
                bag.u16(genCount);
                bag.u16(modCount);
                ++bagCount;
                for (int m = 0; m < zone.modulators; ++m) {
                    mod.u16(0x0502); // note-on velocity, negative, concave
                    mod.u16(48);     // to the attenuation
                    mod.u16(960);
                    mod.u16(0);
                    mod.u16(0);
                    ++modCount;
                }
                auto sorted = zone.generators;
                std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
                    const auto rank = [](std::uint16_t oper) { return oper == 43 ? 0 : oper == 44 ? 1 : 2; };
                    return rank(a.first) < rank(b.first);
                });
                for (const auto& [oper, amount] : sorted) {
                    gen.u16(oper);
                    gen.u16(static_cast<std::uint16_t>(amount));
                    ++genCount;
                }
                if (zone.target >= 0) {
                    gen.u16(targetOper);
                    gen.u16(static_cast<std::uint16_t>(zone.target));
                    ++genCount;
                }
            }
        };
        for (const Preset& preset : presets) {
            phdr.name(preset.name);
            phdr.u16(preset.program);
            phdr.u16(preset.bank);
            phdr.u16(bagCount);
            phdr.u32(0);
            phdr.u32(0);
            phdr.u32(0);
            zones(preset.zones, pbag, pmod, pgen, 41);
        }
        phdr.name("EOP");
        phdr.u16(0);
        phdr.u16(0);
        phdr.u16(bagCount);
        phdr.u32(0);
        phdr.u32(0);
        phdr.u32(0);
        pbag.u16(genCount);
        pbag.u16(modCount);
        pgen.u32(0);
        pmod.bytes.resize(pmod.bytes.size() + 10, 0);

        bagCount = genCount = modCount = 0;
        for (const Instrument& instrument : instruments) {
            inst.name(instrument.name);
            inst.u16(bagCount);
            zones(instrument.zones, ibag, imod, igen, 53);
        }
        inst.name("EOI");
        inst.u16(bagCount);
        ibag.u16(genCount);
        ibag.u16(modCount);
        igen.u32(0);
        imod.bytes.resize(imod.bytes.size() + 10, 0);

        for (std::size_t i = 0; i < samples.size(); ++i) {
            const Sample& sample = samples[i];
            shdr.name(sample.name);
            const std::uint32_t start = starts[i];
            shdr.u32(start);
            shdr.u32(start + static_cast<std::uint32_t>(sample.data.size()));
            shdr.u32(start + sample.loopStart);
            shdr.u32(start + sample.loopEnd);
            shdr.u32(sample.rate);
            shdr.u8(sample.pitch);
            shdr.u8(static_cast<std::uint8_t>(sample.correction));
            shdr.u16(sample.link);
            shdr.u16(sample.type);
        }
        shdr.name("EOS");
        shdr.bytes.resize(shdr.bytes.size() + 26, 0);

        Bytes pdta;
        pdta.chunk("phdr", phdr);
        pdta.chunk("pbag", pbag);
        pdta.chunk("pmod", pmod);
        pdta.chunk("pgen", pgen);
        pdta.chunk("inst", inst);
        pdta.chunk("ibag", ibag);
        pdta.chunk("imod", imod);
        pdta.chunk("igen", igen);
        pdta.chunk("shdr", shdr);

        Bytes form;
        form.id("sfbk");
        form.list("INFO", info);
        form.list("sdta", sdta);
        form.list("pdta", pdta);
        Bytes file;
        file.id("RIFF");
        file.u32(static_cast<std::uint32_t>(form.bytes.size()));
        file.bytes.insert(file.bytes.end(), form.bytes.begin(), form.bytes.end());
        return file.bytes;
    }

    void write(const std::string& path) const
    {
        const std::vector<std::uint8_t> data = bytes();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
};

// A sine of `length` samples with `period` samples a cycle, at `amplitude`.
inline std::vector<std::int16_t> sine(std::size_t length, double period, double amplitude = 20000)
{
    std::vector<std::int16_t> data(length);
    for (std::size_t i = 0; i < length; ++i)
        data[i] = static_cast<std::int16_t>(amplitude * std::sin(2 * 3.14159265358979323846 * i / period));
    return data;
}

// One preset (bank 0, `program`) playing one instrument of one zone with `generators`
// on `sample`.
inline Font oneToneFont(const Sample& sample, std::vector<std::pair<std::uint16_t, std::int16_t>> generators = {},
                        std::uint16_t program = 0)
{
    Font font;
    font.samples.push_back(sample);
    font.instruments.push_back({"instrument", {Zone{std::move(generators), 0}}});
    font.presets.push_back({"preset", program, 0, {Zone{{}, 0}}});
    return font;
}

} // namespace fontwriter
