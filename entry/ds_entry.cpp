// DS_Entry: the data source's one TWAIN entry point.
#include "dispatch.h"

static const DispatchEntry kControlTable[] = {
    {DAT_IDENTITY, IdentityHandler},           {DAT_USERINTERFACE, UserInterfaceHandler},
    {DAT_CAPABILITY, CapabilityHandler},       {DAT_STATUS, StatusHandler},
    {DAT_PENDINGXFERS, PendingXfersHandler},   {DAT_SETUPMEMXFER, SetupMemXferHandler},
    {DAT_SETUPFILEXFER, SetupFileXferHandler}, {DAT_XFERGROUP, XferGroupHandler},
    {DAT_ENTRYPOINT, EntryPointHandler},       {0, nullptr},
};

static const DispatchEntry kImageTable[] = {
    {DAT_IMAGEINFO, ImageInfoHandler},
    {DAT_IMAGELAYOUT, ImageLayoutHandler},
    {DAT_IMAGEMEMXFER, ImageMemXferHandler},
    {DAT_IMAGENATIVEXFER, ImageNativeXferHandler},
    {DAT_IMAGEFILEXFER, ImageFileXferHandler},
    {DAT_EXTIMAGEINFO, ExtImageInfoHandler},
    {0, nullptr},
};

TW_UINT16 Dispatch(TripletArgs *args, const DispatchEntry *table, TW_UINT16 DAT) {
    for (const DispatchEntry *row = table; row->Handler; ++row)
        if (row->DAT == DAT) return row->Handler(args);
    return FailWith(TWCC_BADPROTOCOL);
}

// The application offers each window message while the source is enabled;
// the scan module's dialog takes the ones that belong to it. Neither the
// condition code nor the state is looked at.
static TW_UINT16 ProcessEvent(TW_MEMREF pData) {
    pTW_EVENT event = static_cast<pTW_EVENT>(pData);
    if (!event) return TWRC_NOTDSEVENT;
    TW_UINT16 rc = TWRC_NOTDSEVENT;
    if (gUIWindow && event->pEvent && IsDialogMessageA(gUIWindow, static_cast<LPMSG>(event->pEvent))) rc = TWRC_DSEVENT;
    // MSG_XFERREADY and MSG_CLOSEDSREQ travel through the Source Manager.
    event->TWMessage = MSG_NULL;
    return rc;
}

QR_EXPORT TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                             TW_MEMREF pData) {
    if (MSG == MSG_PROCESSEVENT) return ProcessEvent(pData);

    // DG_CONTROL handlers clear it themselves; DAT_STATUS must still see the
    // code of the operation before it.
    if (DG != DG_CONTROL && DAT != DAT_STATUS) gConditionCode = TWCC_SUCCESS;

    TripletArgs args = {pOrigin, DG, DAT, MSG, pData};
    if (DG == DG_CONTROL) return Dispatch(&args, kControlTable, DAT);
    if (DG == DG_IMAGE) return Dispatch(&args, kImageTable, DAT);
    return FailWith(TWCC_BADPROTOCOL);
}
