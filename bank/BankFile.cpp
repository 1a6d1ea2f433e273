// The ZBK bank file: the bank's parts one after the other, with counts so that only
// the parts in use are stored, and wave references stored as wave indexes.

#include "bank/ToneBank.h"
#include "framework/BufferedFile.h"
#include "framework/ReplacingFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

namespace {

constexpr unsigned char magicZbk0[4] = {'Z', 'B', 'K', '0'};
constexpr unsigned char magicZbk1[4] = {'Z', 'B', 'K', '1'};
constexpr std::size_t recordSizeZbk0 = 64;
constexpr std::size_t recordSizeZbk1 = 72;
constexpr std::size_t drumMapBytes = ToneBank::notesPerDrumMap * 4;
constexpr std::size_t drumSetMapBytes = ToneBank::programCount * 4;

// Decodes one stored record. A ZBK0 record stops after the wave field; the two fields
// it lacks take the defaults given.
ToneRecord decodeRecord(const unsigned char* bytes, std::size_t recordSize, std::int32_t defaultGroup,
                        std::uint32_t& waveIndex)
{
    ToneRecord tone;
    tone.groupNumber = defaultGroup;
    const int fields = static_cast<int>(recordSize / 4);
    for (int f = 0; f < fields; ++f) {
        const std::uint32_t value = loadU32(bytes + 4 * f);
        if (f == ToneRecord::waveField)
            waveIndex = value;
        else
            tone.setField(f, static_cast<std::int32_t>(value));
    }
    return tone;
}

void encodeRecord(const ToneRecord& tone, std::uint32_t waveIndex, unsigned char* bytes)
{
    for (int f = 0; f < ToneRecord::fieldCount; ++f) {
        const auto value = f == ToneRecord::waveField ? waveIndex : static_cast<std::uint32_t>(tone.field(f));
        storeU32(bytes + 4 * f, value);
    }
}

void loadDrumMaps(const unsigned char* bytes, std::uint32_t sets, ToneBank::DrumMaps& maps)
{
    for (std::uint32_t s = 0; s < sets; ++s)
        for (std::uint32_t n = 0; n < ToneBank::notesPerDrumMap; ++n)
            maps[s][n] = static_cast<std::int32_t>(loadU32(bytes + (s * ToneBank::notesPerDrumMap + n) * 4));
}

} // namespace

// Reads a whole bank file into a fresh bank. Any failure leaves `bank` half-built, so the
// caller discards it and the user's bank is never touched.
class BankFileReader {
public:
    BankFileReader(File& file, BankLoadResult& result) : in_(file), result_(result) {}

    bool read(ToneBank& bank)
    {
        unsigned char header[8];
        if (!take(header, sizeof header))
            return false;
        std::size_t recordSize;
        if (std::memcmp(header, magicZbk1, 4) == 0) {
            recordSize = recordSizeZbk1;
            result_.format = "ZBK1";
        } else if (std::memcmp(header, magicZbk0, 4) == 0) {
            recordSize = recordSizeZbk0;
            result_.format = "ZBK0";
        } else {
            return refuse(BankLoadResult::notZbk);
        }
        // The size field that follows the magic is not trusted: the counts are.

        std::vector<unsigned char> bytes(ToneBank::instrumentToneCount * recordSize);
        if (!take(bytes.data(), bytes.size()))
            return false;
        std::vector<std::uint32_t> instrumentWaves(ToneBank::instrumentToneCount);
        for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
            bank.instrumentTones_[p] = decodeRecord(bytes.data() + p * recordSize, recordSize,
                                                    static_cast<std::int32_t>(p), instrumentWaves[p]);

        unsigned char counts[4];
        if (!take(counts, sizeof counts))
            return false;
        const std::uint32_t drumTones = loadU16(counts);
        const std::uint32_t drumSets = loadU16(counts + 2) + 1u;
        if (drumTones > ToneBank::drumToneCapacity)
            return refuse(BankLoadResult::tooManyDrumTones, drumTones);
        if (drumSets > ToneBank::drumSetCapacity)
            return refuse(BankLoadResult::tooManyDrumSets, drumSets);

        bytes.resize(drumTones * recordSize);
        if (!take(bytes.data(), bytes.size()))
            return false;
        std::vector<std::uint32_t> drumWaves(drumTones);
        bank.drumTones_.resize(std::max(drumTones, 1u));
        for (std::uint32_t i = 0; i < drumTones; ++i)
            bank.drumTones_[i] = decodeRecord(bytes.data() + i * recordSize, recordSize,
                                              static_cast<std::int32_t>(128 + i), drumWaves[i]);
        bank.drumToneCount_ = drumTones;
        bank.drumSetCount_ = drumSets;

        bytes.resize(drumSets * drumMapBytes);
        if (!take(bytes.data(), bytes.size()))
            return false;
        loadDrumMaps(bytes.data(), drumSets, *bank.drumMaps_);

        unsigned char waveCountBytes[4];
        if (!take(waveCountBytes, 4))
            return false;
        const std::uint32_t waveCount = loadU32(waveCountBytes);
        if (waveCount > ToneBank::waveCapacity)
            return refuse(BankLoadResult::tooManyWaves, waveCount);
        bytes.resize(std::size_t{waveCount} * 4);
        if (!take(bytes.data(), bytes.size()))
            return false;
        std::vector<std::uint32_t> sizes(waveCount);
        std::uint64_t totalSize = 0;
        for (std::uint32_t i = 0; i < waveCount; ++i) {
            sizes[i] = loadU32(bytes.data() + 4 * i);
            totalSize += sizes[i];
        }
        // A size that claims more than the file holds is refused before anything of
        // that size is allocated.
        const std::int64_t left = in_.remaining();
        if (left < 0)
            return refuse(BankLoadResult::readFailed);
        if (totalSize > static_cast<std::uint64_t>(left))
            return refuse(BankLoadResult::wavesPastEnd);

        bank.waves_.clear();
        bank.waves_.reserve(waveCount);
        for (std::uint32_t i = 0; i < waveCount; ++i) {
            auto block = std::make_shared<WaveBlock>(sizes[i]);
            if (!take(block->samples.data(), sizes[i]))
                return false;
            bank.waves_.push_back(std::move(block));
        }

        if (drumSets > 1) {
            bytes.resize(drumSetMapBytes);
            if (!take(bytes.data(), bytes.size()))
                return false;
            for (std::uint32_t p = 0; p < ToneBank::programCount; ++p)
                bank.drumSetMap_[p] = static_cast<std::int32_t>(loadU32(bytes.data() + 4 * p));
        } else {
            bank.drumSetMap_.fill(0);
        }

        // Stored indexes become references; an index with no wave becomes void.
        auto waveFor = [&](std::uint32_t index) { return index < waveCount ? bank.waves_[index] : WaveRef(); };
        for (std::uint32_t p = 0; p < ToneBank::instrumentToneCount; ++p)
            bank.instrumentTones_[p].wave = waveFor(instrumentWaves[p]);
        for (std::uint32_t i = 0; i < drumTones; ++i)
            bank.drumTones_[i].wave = waveFor(drumWaves[i]);
        return true;
    }

private:
    // An exact read. One that fails with nothing left to read ran into the end of the
    // file, which is then truncated; otherwise reading failed.
    bool take(void* buffer, std::size_t count)
    {
        if (in_.read(buffer, count))
            return true;
        return refuse(in_.remaining() == 0 ? BankLoadResult::truncated : BankLoadResult::readFailed);
    }

    bool refuse(BankLoadResult::Reason reason, std::uint32_t count = 0)
    {
        result_.reason = reason;
        result_.count = count;
        return false;
    }

    BufferedReader in_;
    BankLoadResult& result_;
};

std::string describeBankLoadFailure(const BankLoadResult& result)
{
    const auto overCapacity = [&](const char* what, std::uint32_t capacity) {
        return "it claims " + std::to_string(result.count) + " " + what + ", more than the " +
               std::to_string(capacity) + " a bank holds";
    };
    switch (result.reason) {
    case BankLoadResult::none: return "no error";
    case BankLoadResult::cannotOpen: return describeOpenError(result.openError);
    case BankLoadResult::notZbk: return "it is not a ZBK bank (it does not start with ZBK0 or ZBK1)";
    case BankLoadResult::truncated: return "it is truncated (it ends before the parts its counts announce)";
    case BankLoadResult::tooManyDrumTones: return overCapacity("drum tones", ToneBank::drumToneCapacity);
    case BankLoadResult::tooManyDrumSets: return overCapacity("drum sets", ToneBank::drumSetCapacity);
    case BankLoadResult::tooManyWaves: return overCapacity("waves", ToneBank::waveCapacity);
    case BankLoadResult::wavesPastEnd: return "it is damaged (its waves' sizes add up to more than the file holds)";
    case BankLoadResult::readFailed: return "reading it failed";
    case BankLoadResult::outOfMemory: return "out of memory";
    }
    return "unknown error";
}

bool ToneBank::loadBank(const char* fileName, BankLoadResult* result)
{
    BankLoadResult why;
    try {
        File file;
        if (file.open(fileName, File::genericRead)) {
            auto fresh = std::make_unique<ToneBank>();
            // What the file does not store keeps its value: the drum maps beyond the
            // sets in use, and drum-tone slot 0, which the next added drum tone copies.
            *fresh->drumMaps_ = *drumMaps_;
            if (!drumTones_.empty())
                fresh->drumTones_.assign(1, drumTones_[0]);
            if (BankFileReader(file, why).read(*fresh))
                *this = std::move(*fresh);
        } else {
            why.reason = BankLoadResult::cannotOpen;
            why.openError = file.openError;
        }
    } catch (const std::bad_alloc&) {
        why.reason = BankLoadResult::outOfMemory;
    }
    if (result)
        *result = why;
    return why.reason == BankLoadResult::none;
}

bool ToneBank::saveBank(const char* fileName) const
{
    try {
        ReplacingFile target(fileName);
        if (!target.open())
            return false;
        BufferedWriter out(target.file());

        // Each block's index is its first place in the table, as findWave gives it.
        std::unordered_map<const WaveBlock*, std::uint32_t> indexOf;
        indexOf.reserve(waves_.size());
        for (std::uint32_t i = 0; i < waveCount(); ++i)
            indexOf.emplace(waves_[i].get(), i);
        auto writeTone = [&](const ToneRecord& tone) {
            const auto found = tone.wave ? indexOf.find(tone.wave.get()) : indexOf.end();
            unsigned char bytes[recordSizeZbk1];
            encodeRecord(tone, found == indexOf.end() ? 0 : found->second, bytes);
            out.write(bytes, sizeof bytes);
        };

        std::uint32_t size = 9224 + 72 * drumToneCount_ + 512 * drumSetCount_ + 4 * waveCount();
        for (const WaveRef& block : waves_)
            size += static_cast<std::uint32_t>(block->samples.size());
        out.write(magicZbk1, 4);
        out.writeU32(size);
        for (const ToneRecord& tone : instrumentTones_)
            writeTone(tone);
        out.writeU16(static_cast<std::uint16_t>(drumToneCount_));
        out.writeU16(static_cast<std::uint16_t>(drumSetCount_ - 1));
        for (std::uint32_t i = 0; i < drumToneCount_; ++i)
            writeTone(drumTones_[i]);
        for (std::uint32_t s = 0; s < drumSetCount_; ++s)
            for (std::int32_t entry : (*drumMaps_)[s])
                out.writeU32(static_cast<std::uint32_t>(entry));
        out.writeU32(waveCount());
        for (const WaveRef& block : waves_)
            out.writeU32(static_cast<std::uint32_t>(block->samples.size()));
        for (const WaveRef& block : waves_)
            out.write(block->samples.data(), block->samples.size());
        if (drumSetCount_ > 1)
            for (std::int32_t entry : drumSetMap_)
                out.writeU32(static_cast<std::uint32_t>(entry));
        return out.finish() && target.commit();
    } catch (const std::bad_alloc&) {
        return false;
    }
}
