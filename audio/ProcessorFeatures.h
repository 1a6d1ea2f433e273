#pragma once

// What the processor running the program can do beyond what the build assumes: the
// render loops have forms for AVX2, chosen at run time, so that one program runs fast
// where it can and everywhere else too.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ZBK_HAS_AVX2_FORMS 1

inline bool processorHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif
