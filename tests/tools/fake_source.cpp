// A tiny data source for the Source Manager's tests. It answers the triplets
// a session needs and sends its application messages through the manager:
// MSG_XFERREADY from inside MSG_ENABLEDS (what FAKE_DS_ON_ENABLE says:
// "xferready", the default, "closedsreq" or "none"), and MSG_CLOSEDSREQ from
// inside MSG_PROCESSEVENT when it is offered the window message WM_USER+77.
// With FAKE_DS_TWAIN2 ("1", or "refuse") its identity says DF_DS2 and it
// takes (or refuses) the manager's DAT_ENTRYPOINT, whose DSM_Entry it then
// sends through.
#include <stdlib.h>
#include <string.h>

#include "twain.h"
#include "win32.h"

#ifndef FAKE_PRODUCT_NAME
#define FAKE_PRODUCT_NAME "Fake Source"
#endif

namespace {

TW_IDENTITY gSelf;
TW_IDENTITY gApp;
TW_UINT16 gCondition = TWCC_SUCCESS;
TW_UINT32 gLastOriginId = 0;
TW_ENTRYPOINT gEntryPoint;

void Send(TW_UINT16 msg) {
    HMODULE dsm = GetModuleHandleA("TWAIN_32.DLL");
    DSMENTRYPROC entry =
        dsm ? reinterpret_cast<DSMENTRYPROC>(reinterpret_cast<void (*)(void)>(GetProcAddress(dsm, "DSM_Entry")))
            : nullptr;
    if (gEntryPoint.DSM_Entry) entry = gEntryPoint.DSM_Entry;
    if (entry) entry(&gSelf, &gApp, DG_CONTROL, DAT_NULL, msg, nullptr);
}

const char *Twain2() { return getenv("FAKE_DS_TWAIN2"); }

TW_UINT16 Fail(TW_UINT16 cc) {
    gCondition = cc;
    return TWRC_FAILURE;
}

void FillIdentity(TW_IDENTITY *id) {
    memset(id, 0, sizeof *id);
    id->Version.MajorNum = 2;
    id->Version.MinorNum = 1;
    strcpy(id->Version.Info, "fake 2.1");
    id->ProtocolMajor = 1;
    id->ProtocolMinor = 5;
    id->SupportedGroups = DG_CONTROL | DG_IMAGE | (Twain2() ? DF_DS2 : 0);
    strcpy(id->Manufacturer, "Test Works");
    strcpy(id->ProductFamily, "Fakes");
    strcpy(id->ProductName, FAKE_PRODUCT_NAME);
}

TW_UINT16 Identity(pTW_IDENTITY origin, TW_UINT16 msg, pTW_IDENTITY data) {
    switch (msg) {
    case MSG_GET:
        FillIdentity(data);
        return TWRC_SUCCESS;
    case MSG_OPENDS:
        if (getenv("FAKE_DS_REFUSE_OPEN")) return Fail(TWCC_OPERATIONERROR);
        gSelf = *data;
        gApp = *origin;
        return TWRC_SUCCESS;
    case MSG_CLOSEDS:
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 Enable() {
    const char *action = getenv("FAKE_DS_ON_ENABLE");
    if (!action || strcmp(action, "xferready") == 0)
        Send(MSG_XFERREADY);
    else if (strcmp(action, "closedsreq") == 0)
        Send(MSG_CLOSEDSREQ);
    return TWRC_SUCCESS;
}

TW_UINT16 ProcessEvent(pTW_EVENT event) {
    const MSG *message = (const MSG *)event->pEvent;
    event->TWMessage = MSG_NULL;
    if (message && message->message == WM_USER + 77) {
        Send(MSG_CLOSEDSREQ);
        return TWRC_DSEVENT;
    }
    return TWRC_NOTDSEVENT;
}

TW_UINT16 Control(pTW_IDENTITY origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    switch (dat) {
    case DAT_IDENTITY:
        return Identity(origin, msg, (pTW_IDENTITY)data);
    case DAT_USERINTERFACE:
        return msg == MSG_ENABLEDS ? Enable() : TWRC_SUCCESS;
    case DAT_EVENT:
        return ProcessEvent((pTW_EVENT)data);
    case DAT_STATUS:
        ((pTW_STATUS)data)->ConditionCode = gCondition;
        gCondition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    case DAT_XFERGROUP:
        if (msg != MSG_GET) return Fail(TWCC_BADVALUE);
        *(TW_UINT32 *)data = DG_IMAGE;
        return TWRC_SUCCESS;
    case DAT_PENDINGXFERS:
        ((pTW_PENDINGXFERS)data)->Count = 0;
        return TWRC_SUCCESS;
    case DAT_ENTRYPOINT:
        if (!Twain2() || strcmp(Twain2(), "refuse") == 0) return Fail(TWCC_BADPROTOCOL);
        gEntryPoint = *(pTW_ENTRYPOINT)data;
        return TWRC_SUCCESS;
    default:
        return Fail(TWCC_BADPROTOCOL);
    }
}

TW_UINT16 Image(TW_UINT16 dat, TW_MEMREF data) {
    if (dat != DAT_IMAGEINFO) return Fail(TWCC_BADPROTOCOL);
    pTW_IMAGEINFO info = (pTW_IMAGEINFO)data;
    memset(info, 0, sizeof *info);
    info->XResolution.Whole = info->YResolution.Whole = 100;
    info->ImageWidth = 120;
    info->ImageLength = 80;
    info->SamplesPerPixel = 1;
    info->BitsPerSample[0] = 8;
    info->BitsPerPixel = 8;
    info->PixelType = TWPT_GRAY;
    return TWRC_SUCCESS;
}

}  // namespace

QR_EXPORT TW_UINT16 TW_CALLINGSTYLE DS_Entry(pTW_IDENTITY origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                                             TW_MEMREF data) {
    gLastOriginId = origin ? origin->Id : 0;
    if (dg == DG_CONTROL) return Control(origin, dat, msg, data);
    if (dg == DG_IMAGE) return Image(dat, data);
    return Fail(TWCC_BADPROTOCOL);
}

// For the tests: what the source saw.
QR_EXPORT TW_UINT32 FakeDS_SelfId(void) { return gSelf.Id; }
QR_EXPORT TW_UINT32 FakeDS_LastOriginId(void) { return gLastOriginId; }
QR_EXPORT const TW_ENTRYPOINT *FakeDS_EntryPoint(void) { return &gEntryPoint; }
