// TWAIN's own names for the numbers that travel through DSM_Entry, for logs
// and for messages a person reads. Unknown values come back as hex text.
#ifndef QR_TWAIN_NAMES_H
#define QR_TWAIN_NAMES_H

#include <stddef.h>
#include <stdint.h>

// Each returns a static string: the TWAIN name (e.g. "DAT_IDENTITY") or, for a
// value with no name, the number in hex in a per-call-site buffer that lives
// until the next call with an unknown value.
const char *TwainDGName(uint32_t dg);
const char *TwainDATName(uint16_t dat);
const char *TwainMSGName(uint16_t msg);
const char *TwainRCName(uint16_t rc);
const char *TwainCCName(uint16_t cc);
const char *TwainCapName(uint16_t cap);

// The capabilities that have a name here, in table order: index 0 up to
// TwainCapCount() - 1.
size_t TwainCapCount(void);
uint16_t TwainCapAt(size_t index);
// The capability whose TWAIN name is `name` (any case); false when none.
bool TwainCapByName(const char *name, uint16_t *cap);

// A sentence about a condition code, for error reports ("the source is in
// the wrong state for this operation").
const char *TwainCCText(uint16_t cc);

#endif
