#pragma once

// Marks a function whose loops the compiler puts on vector registers: it is
// compiled once per x86-64 level (baseline SSE2, AVX2, AVX-512) and the
// widest the processor has is chosen when the program loads. No result
// changes: every lane performs the IEEE operations the scalar code would, in
// the same order (no fused multiply-add: -ffp-contract=off holds for each
// clone). Elsewhere it marks nothing.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__linux__)
#define VEXTAL_VECTOR_CLONES                                                                       \
    __attribute__((target_clones("default", "arch=x86-64-v3", "arch=x86-64-v4")))
#else
#define VEXTAL_VECTOR_CLONES
#endif

// Before a loop whose arrays never overlap: the compiler need not check at
// run time that they do not (GCC gives up on a loop that would need more
// than ten such checks).
#if defined(__GNUC__) && !defined(__clang__)
#define VEXTAL_NO_OVERLAP_LOOP _Pragma("GCC ivdep")
#else
#define VEXTAL_NO_OVERLAP_LOOP
#endif
