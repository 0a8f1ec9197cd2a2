// Little-endian fields in byte buffers: TWAIN containers, TIFF headers and
// the scan module's files, read and written without alignment assumptions.
#ifndef QR_LITTLE_ENDIAN_H
#define QR_LITTLE_ENDIAN_H

#include <stdint.h>

inline uint16_t GetLE16(const uint8_t *at) { return (uint16_t)(at[0] | at[1] << 8); }
inline uint32_t GetLE32(const uint8_t *at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}
inline void PutLE16(uint8_t *at, uint16_t v) {
    at[0] = (uint8_t)v;
    at[1] = (uint8_t)(v >> 8);
}
inline void PutLE32(uint8_t *at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = (uint8_t)(v >> (8 * i));
}

#endif
