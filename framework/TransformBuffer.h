#pragma once

#include <cstdint>

// Owns an input and an output array of floats and computes the output from the input
// with a transform that each concrete class defines. Arrays are zero-filled when
// allocated and belong to the buffer alone.
class TransformBuffer {
public:
    static constexpr std::uint32_t errorOutOfMemory = 0x80000004u;

    TransformBuffer() = default;
    virtual ~TransformBuffer();
    TransformBuffer(const TransformBuffer&) = delete;
    TransformBuffer& operator=(const TransformBuffer&) = delete;

    // Replaces the input array with `count` zeros.
    virtual bool allocate(std::int32_t count);
    // Replaces the output array with `count` zeros.
    virtual bool allocateOutput(std::int32_t count);
    virtual void release();
    virtual void transform() = 0;
    // Indices outside the input array are ignored.
    virtual void setInput(std::int32_t index, float value);
    // Reads the output cyclically: any index names an element, 0.0 when there is none.
    virtual float getOutput(std::int32_t index);

    std::int32_t inputCount() const { return inputCount_; }
    std::int32_t outputCount() const { return outputCount_; }
    const float* input() const { return input_; }
    const float* output() const { return output_; }

    // 0, or errorOutOfMemory once any allocation has failed; never cleared.
    std::uint32_t status = 0;

protected:
    // Both arrays, input first; the output is left alone when the input fails.
    bool allocateBoth(std::int32_t count);
    float* inputData() { return input_; }
    float* outputData() { return output_; }

private:
    bool replaceArray(float*& array, std::int32_t& count, std::int32_t newCount);

    std::int32_t inputCount_ = 0;
    float* input_ = nullptr;
    std::int32_t outputCount_ = 0;
    float* output_ = nullptr;
};
