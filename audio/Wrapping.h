#pragma once

#include <cstdint>

// Signed 32-bit audio arithmetic that wraps modulo 2^32, as the fixed-point formulas
// of the voice are defined. Bank files may carry any values, so every sum, product
// and negation that could leave the 32-bit range goes through unsigned arithmetic
// here instead of relying on signed overflow.

inline std::int32_t wrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

inline std::int32_t wrapSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

inline std::int32_t wrapMul(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

inline std::int32_t wrapNeg(std::int32_t a)
{
    return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(a));
}

inline std::int32_t wrapDouble(std::int32_t a)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) << 1);
}
