#include "framework/DctBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace {

// A transform that copies, so that the output holds values a test chose.
class CopyBuffer : public TransformBuffer {
public:
    void transform() override
    {
        for (std::int32_t i = 0; i < outputCount() && i < inputCount(); ++i)
            outputData()[i] = input()[i];
    }
};

void fill(TransformBuffer& buffer, const std::vector<float>& values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        buffer.setInput(static_cast<std::int32_t>(i), values[i]);
}

// The transforms' cosine basis: cos(pi * k * (2n + 1) / (2N)) with the program's pi.
double basis(std::int64_t k, std::int64_t n, std::int64_t count)
{
    return std::cos(static_cast<double>(3.1415927f) * static_cast<double>(k * (2 * n + 1)) /
                    (2.0 * static_cast<double>(count)));
}

} // namespace

TEST(DctBuffer, ForwardOfOneToFourMatchesHandValues)
{
    // out[0] = 10 / 2; out[1] = sqrt(1/2) * (cos(pi/8) * (1 - 4) + cos(3pi/8) * (2 - 3));
    // out[2] = 0.5 * (1 - 2 - 3 + 4); out[3] = sqrt(1/2) * (cos(3pi/8) * (1 - 4) + cos(pi/8) * (3 - 2)).
    ForwardDctBuffer buffer;
    ASSERT_TRUE(buffer.allocate(4));
    fill(buffer, {1, 2, 3, 4});
    buffer.transform();
    EXPECT_NEAR(buffer.getOutput(0), 5.0f, 1e-5);
    EXPECT_NEAR(buffer.getOutput(1), -2.2304425f, 1e-5);
    EXPECT_NEAR(buffer.getOutput(2), 0.0f, 1e-5);
    EXPECT_NEAR(buffer.getOutput(3), -0.1585127f, 1e-5);
}

TEST(DctBuffer, ConstantInputConcentratesInTheFirstElement)
{
    struct Case {
        std::int32_t count;
        float value;
        float first;
    };
    // c * sqrt(N): 3 * 4, -2 * 10, 127 * 16.
    for (const Case& c : {Case{16, 3.0f, 12.0f}, Case{100, -2.0f, -20.0f}, Case{256, 127.0f, 2032.0f}}) {
        ForwardDctBuffer buffer;
        ASSERT_TRUE(buffer.allocate(c.count));
        for (std::int32_t i = 0; i < c.count; ++i)
            buffer.setInput(i, c.value);
        buffer.transform();
        EXPECT_NEAR(buffer.getOutput(0), c.first, std::fabs(c.first) * 1e-5) << c.count;
        for (std::int32_t k = 1; k < c.count; ++k)
            ASSERT_NEAR(buffer.getOutput(k), 0.0f, std::fabs(c.first) * 1e-4) << c.count << " k=" << k;
    }
}

TEST(DctBuffer, InverseOfFirstBasisIsFlat)
{
    // sqrt(2/4) * (1/sqrt(2)) * 1 = 0.5 everywhere.
    InverseDctBuffer buffer;
    ASSERT_TRUE(buffer.allocate(4));
    buffer.setInput(0, 1.0f);
    buffer.transform();
    for (std::int32_t n = 0; n < 4; ++n)
        EXPECT_NEAR(buffer.getOutput(n), 0.5f, 1e-6) << n;
}

TEST(DctBuffer, InverseUndoesForward)
{
    const std::int32_t count = 97;
    std::vector<float> samples;
    for (std::int32_t i = 0; i < count; ++i)
        samples.push_back(static_cast<float>((i * 37 + 11) % 256 - 128));

    ForwardDctBuffer forward;
    InverseDctBuffer inverse;
    ASSERT_TRUE(forward.allocate(count));
    ASSERT_TRUE(inverse.allocate(count));
    fill(forward, samples);
    forward.transform();
    for (std::int32_t k = 0; k < count; ++k)
        inverse.setInput(k, forward.getOutput(k));
    inverse.transform();
    for (std::int32_t n = 0; n < count; ++n)
        ASSERT_NEAR(inverse.getOutput(n), samples[n], 2e-3) << n;
}

TEST(DctBuffer, ElementsBeyond32768AreExact)
{
    // The index product of the last elements passes 2^31 here.
    const std::int32_t count = 40000;
    const std::int32_t k = count - 1;
    std::vector<float> input(count);
    for (std::int32_t n = 0; n < count; ++n)
        input[n] = static_cast<float>(basis(k, n, count));

    // A basis vector transforms to sqrt(2/N) * N/2 = sqrt(N/2) at its own index and 0
    // elsewhere; the float running sum of 40000 terms drifts by about 0.1%. A wrapped
    // 32-bit product gives 98.5 and 72.4 here.
    EXPECT_NEAR(forwardDctElement(input.data(), count, count, k), std::sqrt(count / 2.0), 0.5);
    EXPECT_NEAR(forwardDctElement(input.data(), count, count, k - 1), 0.0, 0.5);

    std::vector<float> impulse(count, 0.0f);
    impulse[k] = 1.0f;
    for (std::int32_t n : {count - 1, count - 2, 30000}) {
        const double expected = std::sqrt(2.0 / count) * basis(k, n, count);
        EXPECT_NEAR(inverseDctElement(impulse.data(), count, count, n), expected, 1e-6) << n;
    }
}

TEST(DctBuffer, OutputReadsWrapAround)
{
    CopyBuffer buffer;
    ASSERT_TRUE(buffer.allocate(8));
    ASSERT_TRUE(buffer.allocateOutput(8));
    fill(buffer, {10, 11, 12, 13, 14, 15, 16, 17});
    buffer.transform();
    EXPECT_EQ(buffer.getOutput(-1), 17.0f);
    EXPECT_EQ(buffer.getOutput(-8), 10.0f);
    EXPECT_EQ(buffer.getOutput(-9), 17.0f);
    EXPECT_EQ(buffer.getOutput(8), 10.0f);
    EXPECT_EQ(buffer.getOutput(19), 13.0f);
    EXPECT_EQ(buffer.getOutput(INT_MIN), 10.0f); // -2^31 is a multiple of 8
    EXPECT_EQ(buffer.getOutput(INT_MIN + 1), 11.0f);
    EXPECT_EQ(buffer.getOutput(INT_MAX), 17.0f); // 2^31 - 1 = 7 mod 8

    CopyBuffer empty;
    EXPECT_EQ(empty.getOutput(0), 0.0f);
    EXPECT_EQ(empty.getOutput(-3), 0.0f);
}

TEST(DctBuffer, InputOutsideTheArrayIsIgnored)
{
    CopyBuffer buffer;
    ASSERT_TRUE(buffer.allocate(3));
    ASSERT_TRUE(buffer.allocateOutput(4));
    buffer.setInput(3, 9.0f);
    buffer.setInput(-1, 9.0f);
    buffer.setInput(1, 5.0f);
    buffer.transform();
    EXPECT_EQ(buffer.getOutput(0), 0.0f);
    EXPECT_EQ(buffer.getOutput(1), 5.0f);
    EXPECT_EQ(buffer.getOutput(2), 0.0f);
    EXPECT_EQ(buffer.getOutput(3), 0.0f);
}

TEST(DctBuffer, FailedAllocationIsRememberedAndLeavesTheOutput)
{
    ForwardDctBuffer buffer;
    EXPECT_EQ(buffer.status, 0u);
    ASSERT_TRUE(buffer.allocate(4));
    EXPECT_FALSE(buffer.allocate(-1));
    EXPECT_EQ(buffer.status, 0x80000004u);
    EXPECT_EQ(buffer.inputCount(), 0);
    EXPECT_EQ(buffer.input(), nullptr);
    EXPECT_EQ(buffer.outputCount(), 4); // the output was not reached

    ASSERT_TRUE(buffer.allocate(6));
    EXPECT_EQ(buffer.status, 0x80000004u);
    EXPECT_EQ(buffer.inputCount(), 6);
    EXPECT_EQ(buffer.outputCount(), 6);

    CopyBuffer base;
    EXPECT_FALSE(base.allocateOutput(-5));
    EXPECT_EQ(base.status, 0x80000004u);
    EXPECT_EQ(base.outputCount(), 0);
}

TEST(DctBuffer, AllocationReplacesWithZerosAndOnlyTheBaseSplitsTheArrays)
{
    InverseDctBuffer buffer;
    ASSERT_TRUE(buffer.allocate(5));
    fill(buffer, {1, 2, 3, 4, 5});
    buffer.transform();
    ASSERT_NE(buffer.getOutput(0), 0.0f);

    // Emptying only the input: a transform then leaves the output as it was.
    const float before = buffer.getOutput(2);
    ASSERT_TRUE(buffer.TransformBuffer::allocate(0));
    EXPECT_EQ(buffer.outputCount(), 5);
    buffer.transform();
    EXPECT_EQ(buffer.getOutput(2), before);

    // The concrete classes always renew both arrays, zero-filled.
    ASSERT_TRUE(buffer.allocateOutput(3));
    EXPECT_EQ(buffer.inputCount(), 3);
    EXPECT_EQ(buffer.outputCount(), 3);
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(buffer.input()[i], 0.0f);
        EXPECT_EQ(buffer.output()[i], 0.0f);
    }

    buffer.release();
    EXPECT_EQ(buffer.inputCount(), 0);
    EXPECT_EQ(buffer.outputCount(), 0);
    EXPECT_EQ(buffer.getOutput(1), 0.0f);
}
