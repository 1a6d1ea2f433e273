#include "framework/DctBuffer.h"

#include <cmath>

namespace {

// The program has always used single-precision pi and float scales; the angle and its
// cosine are taken in double precision and the running sum is kept as a float.
constexpr float pi = 3.1415927f;

double dctAngle(std::int64_t k, std::int64_t n, std::int32_t inputCount)
{
    const std::int64_t product = k * (2 * n + 1);
    return static_cast<double>(pi) * static_cast<double>(product) / (2.0 * static_cast<double>(inputCount));
}

float scaleA(std::int32_t outputCount)
{
    return static_cast<float>(std::sqrt(2.0 / static_cast<double>(outputCount)));
}

const float scaleB = static_cast<float>(std::sqrt(2.0));

} // namespace

float forwardDctElement(const float* input, std::int32_t inputCount, std::int32_t outputCount, std::int32_t k)
{
    float sum = 0.0f;
    for (std::int32_t n = 0; n < inputCount; ++n)
        sum = static_cast<float>(sum + input[n] * std::cos(dctAngle(k, n, inputCount)));
    const float a = scaleA(outputCount);
    const float scale = k == 0 ? a / scaleB : a;
    return scale * sum;
}

float inverseDctElement(const float* input, std::int32_t inputCount, std::int32_t outputCount, std::int32_t n)
{
    const float firstWeight = 1.0f / scaleB;
    float sum = 0.0f;
    for (std::int32_t k = 0; k < inputCount; ++k) {
        const float weighted = k == 0 ? firstWeight * input[k] : input[k];
        sum = static_cast<float>(sum + weighted * std::cos(dctAngle(k, n, inputCount)));
    }
    return scaleA(outputCount) * sum;
}

void ForwardDctBuffer::transform()
{
    if (inputCount() == 0)
        return;
    for (std::int32_t k = 0; k < outputCount(); ++k)
        outputData()[k] = forwardDctElement(input(), inputCount(), outputCount(), k);
}

void InverseDctBuffer::transform()
{
    if (inputCount() == 0)
        return;
    for (std::int32_t n = 0; n < outputCount(); ++n)
        outputData()[n] = inverseDctElement(input(), inputCount(), outputCount(), n);
}
