// Triplet dispatch: the arguments of one DS_Entry call and the tables that
// route it to the handler of its data argument type.
#ifndef QR_ENTRY_DISPATCH_H
#define QR_ENTRY_DISPATCH_H

#include "session.h"

// The five DS_Entry arguments, passed by pointer to every handler.
struct TripletArgs {
    pTW_IDENTITY pOrigin;
    TW_UINT32 DG;
    TW_UINT16 DAT;
    TW_UINT16 MSG;
    TW_MEMREF pData;
};

typedef TW_UINT16 (*TripletHandler)(TripletArgs *args);

// One row of a dispatch table; a table ends with a row whose handler is null.
struct DispatchEntry {
    TW_UINT16 DAT;
    TripletHandler Handler;
};

TW_UINT16 Dispatch(TripletArgs *args, const DispatchEntry *table, TW_UINT16 DAT);

// Leaves `conditionCode` for DAT_STATUS and answers TWRC_FAILURE.
inline TW_UINT16 FailWith(TW_UINT16 conditionCode) {
    gConditionCode = conditionCode;
    return TWRC_FAILURE;
}

inline bool StateIn(TW_UINT16 lowest, TW_UINT16 highest) { return gDSState >= lowest && gDSState <= highest; }

// DG_CONTROL handlers
TW_UINT16 IdentityHandler(TripletArgs *args);
TW_UINT16 UserInterfaceHandler(TripletArgs *args);
TW_UINT16 CapabilityHandler(TripletArgs *args);
TW_UINT16 StatusHandler(TripletArgs *args);
TW_UINT16 PendingXfersHandler(TripletArgs *args);
TW_UINT16 SetupMemXferHandler(TripletArgs *args);
TW_UINT16 SetupFileXferHandler(TripletArgs *args);
TW_UINT16 XferGroupHandler(TripletArgs *args);
TW_UINT16 EntryPointHandler(TripletArgs *args);

// DG_IMAGE handlers
TW_UINT16 ImageInfoHandler(TripletArgs *args);
TW_UINT16 ImageLayoutHandler(TripletArgs *args);
TW_UINT16 ImageMemXferHandler(TripletArgs *args);
TW_UINT16 ImageNativeXferHandler(TripletArgs *args);
TW_UINT16 ImageFileXferHandler(TripletArgs *args);
TW_UINT16 ExtImageInfoHandler(TripletArgs *args);

#endif
