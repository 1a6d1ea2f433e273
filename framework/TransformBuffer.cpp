#include "framework/TransformBuffer.h"

#include <cstdlib>

TransformBuffer::~TransformBuffer()
{
    // Not the virtual call: a derived part is already gone here.
    TransformBuffer::release();
}

bool TransformBuffer::replaceArray(float*& array, std::int32_t& count, std::int32_t newCount)
{
    std::free(array);
    array = nullptr;
    count = 0;
    // A negative count would have asked the heap for an impossible size; it fails the
    // same way, without handing the request to the allocator.
    if (newCount < 0) {
        status = errorOutOfMemory;
        return false;
    }
    if (newCount == 0)
        return true;
    array = static_cast<float*>(std::calloc(static_cast<std::size_t>(newCount), sizeof(float)));
    if (array == nullptr) {
        status = errorOutOfMemory;
        return false;
    }
    count = newCount;
    return true;
}

bool TransformBuffer::allocate(std::int32_t count)
{
    return replaceArray(input_, inputCount_, count);
}

bool TransformBuffer::allocateOutput(std::int32_t count)
{
    return replaceArray(output_, outputCount_, count);
}

bool TransformBuffer::allocateBoth(std::int32_t count)
{
    return replaceArray(input_, inputCount_, count) && replaceArray(output_, outputCount_, count);
}

void TransformBuffer::release()
{
    std::free(input_);
    input_ = nullptr;
    inputCount_ = 0;
    std::free(output_);
    output_ = nullptr;
    outputCount_ = 0;
}

void TransformBuffer::setInput(std::int32_t index, float value)
{
    if (index >= 0 && index < inputCount_)
        input_[index] = value;
}

float TransformBuffer::getOutput(std::int32_t index)
{
    if (outputCount_ == 0)
        return 0.0f;
    // The remainder in 64 bits, so that the most negative index wraps like any other.
    std::int64_t wrapped = static_cast<std::int64_t>(index) % outputCount_;
    if (wrapped < 0)
        wrapped += outputCount_;
    return output_[wrapped];
}
