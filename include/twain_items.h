// Bytes of one item of each TWAIN item type, as containers store it (the
// strings with their terminator and TWAIN's padding). 0 for a type TWAIN
// does not define; each caller decides what an unknown type means to it.
#ifndef QR_TWAIN_ITEMS_H
#define QR_TWAIN_ITEMS_H

#include "twain.h"

inline TW_UINT16 TwainItemBytes(TW_UINT16 itemType) {
    switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
        return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
        return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
        return 4;
    case TWTY_FRAME:
        return 16;
    case TWTY_STR32:
        return 34;
    case TWTY_STR64:
        return 66;
    case TWTY_STR128:
        return 130;
    case TWTY_STR255:
        return 256;
    default:
        return 0;
    }
}

#endif
