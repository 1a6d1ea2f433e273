#pragma once

#include "framework/TransformBuffer.h"

#include <cstdint>

// The orthonormal discrete cosine transform as direct sums, one output element at a
// time. The index product k * (2n + 1) is formed in 64 bits, so transforms longer
// than 32768 elements stay exact.
float forwardDctElement(const float* input, std::int32_t inputCount, std::int32_t outputCount, std::int32_t k);
float inverseDctElement(const float* input, std::int32_t inputCount, std::int32_t outputCount, std::int32_t n);

// DCT-II from input to output; both arrays always have the same length.
class ForwardDctBuffer : public TransformBuffer {
public:
    bool allocate(std::int32_t count) override { return allocateBoth(count); }
    bool allocateOutput(std::int32_t count) override { return allocateBoth(count); }
    void transform() override;
};

// DCT-III, the inverse of ForwardDctBuffer's transform.
class InverseDctBuffer : public TransformBuffer {
public:
    bool allocate(std::int32_t count) override { return allocateBoth(count); }
    bool allocateOutput(std::int32_t count) override { return allocateBoth(count); }
    void transform() override;
};
