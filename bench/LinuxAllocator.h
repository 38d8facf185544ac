#pragma once
// Keeps glibc's malloc from handing large freed blocks back to the kernel, for benchmarks
// that allocate and free tens of megabytes per iteration.
//
// By default malloc decides from the history of earlier frees whether a block of ten
// megabytes comes from the heap or from a fresh mapping, and whether freed memory is
// returned; a fresh mapping costs a page fault per page, which on a virtual machine can
// outweigh the work measured. The same code then runs ten times faster or slower depending
// on what ran before it. With both thresholds pinned, every case of a comparison reuses
// memory the same way and the figures measure the work, not the kernel.

#include <malloc.h>

namespace Nimbrel::Bench {

inline void KeepFreedMemory()
{
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
}

}  // namespace Nimbrel::Bench
