#pragma once

#include <atomic>

// What the processor running the program can do beyond what the build assumes: the
// render loops have forms for AVX2 and AVX-512, chosen at run time, so that one program
// runs fast where it can and everywhere else too.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZBK_HAS_AVX2_FORMS 1
#define ZBK_HAS_AVX512_FORMS 1
#endif

// The vector forms of the render loops, narrowest first.
enum class VectorForms { plain, avx2, avx512 };

// The widest forms the loops may take: a test or a benchmark lowers it to compare the
// forms on one machine. Every form renders the same samples.
inline std::atomic<VectorForms> widestVectorFormsAllowed{VectorForms::avx512};

// The widest forms the processor runs, as far as allowed.
inline VectorForms vectorForms()
{
    VectorForms has = VectorForms::plain;
#ifdef ZBK_HAS_AVX2_FORMS
    // The AVX-512 loops use byte permutes (VBMI) and the 256-bit forms of its instructions.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512vbmi"))
        has = VectorForms::avx512;
    else if (__builtin_cpu_supports("avx2"))
        has = VectorForms::avx2;
#endif
    const VectorForms allowed = widestVectorFormsAllowed.load(std::memory_order_relaxed);
    return has < allowed ? has : allowed;
}

inline bool processorHasAvx2()
{
    return vectorForms() >= VectorForms::avx2;
}
