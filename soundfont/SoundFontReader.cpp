// The SoundFont 2 reader: the RIFF "sfbk" form with its three lists, INFO (version and
// name), sdta (the 16-bit samples; 24-bit extensions are ignored) and pdta, the "hydra"
// of nine record lists that describe presets, instruments and samples through indexes
// into each other. Each index is checked against the list it points into.

#include "soundfont/SoundFontReader.h"

#include "framework/BufferedFile.h"
#include "framework/File.h"
#include "framework/RiffChunks.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// A refusal on the way; its text is the cause.
struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr std::size_t presetHeaderSize = 38;
constexpr std::size_t bagSize = 4;
constexpr std::size_t modulatorSize = 10;
constexpr std::size_t generatorSize = 4;
constexpr std::size_t instrumentHeaderSize = 22;
constexpr std::size_t sampleHeaderSize = 46;
constexpr std::size_t nameSize = 20;

std::string quoted(const char* id)
{
    return std::string("\"") + std::string(id, 4) + "\"";
}

void refuseWalk(RiffChunkWalker::Result result, const std::string& what)
{
    switch (result) {
    case RiffChunkWalker::Result::found: return;
    case RiffChunkWalker::Result::missing: throw Refused("the file has no " + what);
    case RiffChunkWalker::Result::truncated: throw Refused("the file is truncated (a chunk runs past its end)");
    case RiffChunkWalker::Result::readFailed: throw Refused("reading the file failed");
    }
}

std::vector<unsigned char> readBody(RiffChunkWalker& walker, const RiffChunk& chunk)
{
    // The walker has checked the body against the file's length.
    std::vector<unsigned char> body(chunk.size);
    if (!walker.readAt(chunk.body, body.data(), body.size()))
        throw Refused("reading the file failed");
    return body;
}

// The "LIST" chunk of the top level whose form is `form`.
RiffChunk findList(File& file, const char* form)
{
    RiffChunkWalker walker(file);
    if (!walker.start("sfbk"))
        throw Refused("the file is not a SoundFont (no RIFF \"sfbk\" header)");
    for (;;) {
        RiffChunk chunk;
        refuseWalk(walker.find("LIST", chunk), quoted(form) + " list");
        unsigned char id[4];
        if (chunk.size >= 4 && walker.readAt(chunk.body, id, 4) && std::memcmp(id, form, 4) == 0)
            return chunk;
    }
}

// The body of sub-chunk `name` of a list, or nothing when the list has none.
bool readSubChunk(File& file, const RiffChunk& list, const char* name, std::vector<unsigned char>& body)
{
    RiffChunkWalker walker(file, list);
    RiffChunk chunk;
    const RiffChunkWalker::Result result = walker.find(name, chunk);
    if (result == RiffChunkWalker::Result::missing)
        return false;
    refuseWalk(result, quoted(name) + " chunk");
    body = readBody(walker, chunk);
    return true;
}

std::string nameOf(const unsigned char* bytes, std::size_t size)
{
    const auto* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, std::find(text, text + size, '\0'));
}

void readInfo(File& file, SoundFont& font)
{
    const RiffChunk info = findList(file, "INFO");
    std::vector<unsigned char> body;
    if (!readSubChunk(file, info, "ifil", body) || body.size() < 4)
        throw Refused("the file has no version (\"ifil\" chunk)");
    font.versionMajor = loadU16(body.data());
    font.versionMinor = loadU16(body.data() + 2);
    if (font.versionMajor == 3)
        throw Refused("compressed samples (SoundFont 3) are not supported");
    if (font.versionMajor != 2)
        throw Refused("SoundFont version " + std::to_string(font.versionMajor) + "." +
                      std::to_string(font.versionMinor) + " is not supported (only version 2)");
    if (readSubChunk(file, info, "INAM", body))
        font.name = nameOf(body.data(), body.size());
}

void readSampleData(File& file, SoundFont& font)
{
    const RiffChunk sdta = findList(file, "sdta");
    RiffChunkWalker walker(file, sdta);
    RiffChunk chunk;
    const RiffChunkWalker::Result result = walker.find("smpl", chunk);
    if (result == RiffChunkWalker::Result::missing)
        return;
    refuseWalk(result, "\"smpl\" chunk");
    // An odd trailing byte is no sample.
    font.sampleBytes.resize(chunk.size / 2 * 2);
    if (!walker.readAt(chunk.body, font.sampleBytes.data(), font.sampleBytes.size()))
        throw Refused("reading the file failed");
}

// One record list of the hydra: its bytes and how many records of `recordSize` it holds.
struct RecordList {
    const char* name = "";
    std::vector<unsigned char> bytes;
    std::size_t recordSize = 1;

    std::size_t count() const { return bytes.size() / recordSize; }
    const unsigned char* record(std::size_t i) const { return bytes.data() + i * recordSize; }
};

RecordList readRecords(File& file, const RiffChunk& pdta, const char* name, std::size_t recordSize)
{
    RecordList list{name, {}, recordSize};
    if (!readSubChunk(file, pdta, name, list.bytes))
        throw Refused("the file has no " + quoted(name) + " chunk");
    if (list.bytes.size() % recordSize != 0)
        throw Refused("its " + quoted(name) + " chunk is not a whole number of records");
    // Every list ends with a terminal record that only closes the last range.
    if (list.count() == 0)
        throw Refused("its " + quoted(name) + " chunk lacks its terminal record");
    return list;
}

// The ranges that consecutive records open through their 16-bit index at `offset`: record
// i's range runs up to record i + 1's start. Each must lie within `limit` records.
void checkRanges(const RecordList& list, std::size_t offset, std::size_t limit, const char* what)
{
    std::size_t previous = 0;
    for (std::size_t i = 0; i < list.count(); ++i) {
        const std::size_t start = loadU16(list.record(i) + offset);
        if (start < previous || start > limit)
            throw Refused("its " + quoted(list.name) + " chunk has " + what + " indexes out of order or past the end");
        previous = start;
    }
}

// The zones of presets or instruments: the header list opens ranges of bags, and each
// bag ranges of generators and modulators. `targetOperator` is the generator that
// names what a zone plays; it must be below `targetCount`.
void readLayers(const RecordList& headers, std::size_t bagIndexOffset, const RecordList& bags,
                const RecordList& modulators, const RecordList& generators, std::uint16_t targetOperator,
                std::size_t targetCount, const char* targetName, std::vector<SoundFontLayer*> layers)
{
    checkRanges(headers, bagIndexOffset, bags.count() - 1, "bag");
    checkRanges(bags, 0, generators.count(), "generator");
    checkRanges(bags, 2, modulators.count(), "modulator");
    for (std::size_t h = 0; h + 1 < headers.count(); ++h) {
        SoundFontLayer& layer = *layers[h];
        layer.name = nameOf(headers.record(h), nameSize);
        const std::size_t firstBag = loadU16(headers.record(h) + bagIndexOffset);
        const std::size_t endBag = loadU16(headers.record(h + 1) + bagIndexOffset);
        for (std::size_t b = firstBag; b < endBag; ++b) {
            SoundFontZone zone;
            const std::size_t firstGenerator = loadU16(bags.record(b));
            const std::size_t endGenerator = loadU16(bags.record(b + 1));
            zone.modulatorCount =
                static_cast<std::uint32_t>(loadU16(bags.record(b + 1) + 2) - loadU16(bags.record(b) + 2));
            bool hasTarget = false;
            for (std::size_t g = firstGenerator; g < endGenerator; ++g) {
                const std::uint16_t oper = loadU16(generators.record(g));
                const auto amount = static_cast<std::int16_t>(loadU16(generators.record(g) + 2));
                if (oper == targetOperator) {
                    zone.target = static_cast<std::uint16_t>(amount);
                    if (zone.target >= targetCount)
                        throw Refused("\"" + layer.name + "\" names " + targetName + " " + std::to_string(zone.target) +
                                      ", but the font has " + std::to_string(targetCount));
                    hasTarget = true;
                    // Generators after the one that names the target are to be ignored.
                    break;
                }
                zone.generators.set(oper, amount);
            }
            if (hasTarget)
                layer.zones.push_back(zone);
            else if (b == firstBag && !layer.hasGlobalZone) {
                layer.hasGlobalZone = true;
                layer.globalZone = zone;
            }
        }
    }
}

void readSampleHeaders(const RecordList& headers, SoundFont& font)
{
    font.samples.resize(headers.count() - 1);
    for (std::size_t i = 0; i < font.samples.size(); ++i) {
        const unsigned char* r = headers.record(i);
        SoundFontSample& sample = font.samples[i];
        sample.name = nameOf(r, nameSize);
        sample.start = loadU32(r + 20);
        sample.end = loadU32(r + 24);
        sample.loopStart = loadU32(r + 28);
        sample.loopEnd = loadU32(r + 32);
        sample.sampleRate = loadU32(r + 36);
        sample.originalPitch = r[40];
        sample.pitchCorrection = static_cast<std::int8_t>(r[41]);
        sample.link = loadU16(r + 42);
        sample.type = loadU16(r + 44);
        if (sample.type & SoundFontSample::compressedBit)
            throw Refused("compressed samples (SoundFont 3) are not supported");
    }
}

void readHydra(File& file, SoundFont& font)
{
    const RiffChunk pdta = findList(file, "pdta");
    const RecordList phdr = readRecords(file, pdta, "phdr", presetHeaderSize);
    const RecordList pbag = readRecords(file, pdta, "pbag", bagSize);
    const RecordList pmod = readRecords(file, pdta, "pmod", modulatorSize);
    const RecordList pgen = readRecords(file, pdta, "pgen", generatorSize);
    const RecordList inst = readRecords(file, pdta, "inst", instrumentHeaderSize);
    const RecordList ibag = readRecords(file, pdta, "ibag", bagSize);
    const RecordList imod = readRecords(file, pdta, "imod", modulatorSize);
    const RecordList igen = readRecords(file, pdta, "igen", generatorSize);
    const RecordList shdr = readRecords(file, pdta, "shdr", sampleHeaderSize);

    readSampleHeaders(shdr, font);

    font.instruments.resize(inst.count() - 1);
    std::vector<SoundFontLayer*> instruments;
    for (SoundFontLayer& instrument : font.instruments)
        instruments.push_back(&instrument);
    readLayers(inst, 20, ibag, imod, igen, generator::sampleID, font.samples.size(), "sample", instruments);

    font.presets.resize(phdr.count() - 1);
    std::vector<SoundFontLayer*> presets;
    for (std::size_t p = 0; p < font.presets.size(); ++p) {
        font.presets[p].program = loadU16(phdr.record(p) + 20);
        font.presets[p].bank = loadU16(phdr.record(p) + 22);
        presets.push_back(&font.presets[p]);
    }
    readLayers(phdr, 24, pbag, pmod, pgen, generator::instrument, font.instruments.size(), "instrument", presets);
}

} // namespace

bool readSoundFont(const char* fileName, SoundFont& font, std::string& refusal)
{
    font = SoundFont{};
    try {
        File file;
        if (!file.open(fileName, File::genericRead)) {
            refusal = "the file cannot be opened: " + describeOpenError(file.openError);
            return false;
        }
        readInfo(file, font);
        readHydra(file, font);
        readSampleData(file, font);
        refusal.clear();
        return true;
    } catch (const Refused& refused) {
        refusal = refused.what();
    } catch (const std::bad_alloc&) {
        refusal = "out of memory";
    }
    font = SoundFont{};
    return false;
}
