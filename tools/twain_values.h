// TWAIN's names for the values of the enumerated capabilities (TWPT_GRAY,
// TWSX_MEMORY, ...), both ways, for --set and for listing capabilities.
#ifndef QR_TWAIN_VALUES_H
#define QR_TWAIN_VALUES_H

#include <stdint.h>

// The name of `value` for capability `cap`, or null when it has none.
const char *TwainValueName(uint16_t cap, uint32_t value);
// The value of `name` (any case) for capability `cap`; false when unknown.
bool TwainValueByName(uint16_t cap, const char *name, uint32_t *value);

#endif
