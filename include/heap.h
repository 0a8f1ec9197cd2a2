// The process heap, for the data source's own small records. Through the
// platform's heap so that tests can count and fail its allocations.
#ifndef QR_IMAGE_HEAP_H
#define QR_IMAGE_HEAP_H

#include "win32.h"

inline void *HeapAllocate(size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
inline void HeapRelease(void *data) {
    if (data) HeapFree(GetProcessHeap(), 0, data);
}

#endif
