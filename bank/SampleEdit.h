#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// An edit that changes a wave's samples where they are and keeps its length: the
// amplitude change, the smoothing filter, one drawn sample. It changes the positions
// [begin, end) in ascending order and is computed a stretch of them at a time, so a wave
// that a note is playing can take the new values one short stretch after another and
// end with the same bytes as the edit made in one go.
struct SampleEdit {
    using Samples = std::vector<std::int8_t>;
    // Writes the new values of positions [from, to) to `out`, reading `samples` in which
    // the positions [begin, from) already hold their new values and every other position
    // its old one. `out` may be samples.data() + from: the edit then works in place.
    using Compute = std::function<void(const Samples& samples, std::size_t from, std::size_t to, std::int8_t* out)>;

    std::size_t begin = 0;
    std::size_t end = 0;
    Compute compute;
};

// Positions a to b of a wave of `size` samples as the edits take them: ends beyond the
// wave are lowered to its size, and the two may come in either order.
struct SampleRange {
    std::size_t begin;
    std::size_t end;
    bool empty() const { return begin == end; }
};
SampleRange sampleRangeWithin(std::uint32_t a, std::uint32_t b, std::size_t size);

// Scales the range so that its largest magnitude becomes `peak`; nothing when the range
// is silent. The largest magnitude is taken from `samples` now.
SampleEdit amplitudeEdit(const SampleEdit::Samples& samples, std::uint32_t a, std::uint32_t b, std::int32_t peak);
// The 7-tap 1-2-4-8-4-2-1 smoothing filter over the range, in ascending order, with the
// wave taken as circular: a position reads the new values of those before it.
SampleEdit smoothingEdit(const SampleEdit::Samples& samples, std::uint32_t a, std::uint32_t b);
// Sample `index` becomes `value`.
SampleEdit sampleWrite(std::size_t index, std::int8_t value);

// Makes the whole edit at once, in place; its positions must lie within `samples`.
void applyInPlace(SampleEdit::Samples& samples, const SampleEdit& edit);
