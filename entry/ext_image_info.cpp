// DG_IMAGE / DAT_EXTIMAGEINFO (TWAIN 2.4): what an application may learn of
// the image it has just transferred, item by item. The source knows the
// image's number and where on the glass it lies; every other item is not
// supported.
#include "dispatch.h"

#include "caps/containers.h"
#include "caps/image_layout.h"
#include "caps/store.h"
#include "image/current_image.h"
#include "startup/boundary_memory.h"
#include "startup/protocol.h"

#include <string.h>

static float Fix32ToFloat(TW_FIX32 value) { return value.Whole + value.Frac / 65536.0f; }

// The image's frame in the current units: the layout's corner, and the
// image's own size from there.
static TW_FRAME ImageFrame() {
    const TW_FRAME &asked = gImageLayout.Frame;
    float perInch = gUnits == TWUN_CENTIMETERS ? 2.54f : 1.0f;
    float width = 0, length = 0;
    if (gImageInfo.XResolution.Whole > 0) width = (float)gImageInfo.ImageWidth / gImageInfo.XResolution.Whole;
    if (gImageInfo.YResolution.Whole > 0) length = (float)gImageInfo.ImageLength / gImageInfo.YResolution.Whole;
    float left = Fix32ToFloat(asked.Left), top = Fix32ToFloat(asked.Top);
    return TW_FRAME{asked.Left, asked.Top, FloatToFix32(left + width * perInch), FloatToFix32(top + length * perInch)};
}

static void Answer(TW_INFO *info, TW_UINT16 itemType, TW_UINTPTR item) {
    info->ItemType = itemType;
    info->NumItems = 1;
    info->ReturnCode = TWRC_SUCCESS;
    info->Item = item;
}

// A value wider than Item goes in a block of the application's memory.
static void AnswerFrame(TW_INFO *info) {
    TW_FRAME frame = ImageFrame();
    TW_HANDLE block = AllocBoundary(sizeof frame);
    size_t size = 0;
    void *bytes = block ? LockBoundary(block, &size) : nullptr;
    if (!bytes) {
        FreeBoundary(block);
        info->ReturnCode = TWRC_DATANOTAVAILABLE;
        return;
    }
    memcpy(bytes, &frame, sizeof frame);
    UnlockBoundary(block);
    Answer(info, TWTY_FRAME, reinterpret_cast<TW_UINTPTR>(block));
}

static void FillInfo(TW_INFO *info) {
    info->ItemType = 0;
    info->NumItems = 0;
    info->Item = 0;
    info->ReturnCode = TWRC_INFONOTSUPPORTED;
    // Each image is a document and a page of its own: the n-th since the
    // source was enabled.
    TW_UINT32 number = gImagesEnded + 1;
    switch (info->InfoID) {
    case TWEI_DOCUMENTNUMBER:
    case TWEI_PAGENUMBER:
        Answer(info, TWTY_UINT32, number);
        break;
    case TWEI_FRAMENUMBER:
        Answer(info, TWTY_UINT32, 1);
        break;
    case TWEI_FRAME:
        AnswerFrame(info);
        break;
    default:
        break;
    }
}

TW_UINT16 ExtImageInfoHandler(TripletArgs *args) {
    gConditionCode = TWCC_SUCCESS;
    if (!SpeaksTwain24() || args->MSG != MSG_GET) return FailWith(TWCC_BADPROTOCOL);
    // After the transfer, before MSG_ENDXFER.
    if (gDSState != DS_STATE_XFERRING) return FailWith(TWCC_SEQERROR);
    pTW_EXTIMAGEINFO request = static_cast<pTW_EXTIMAGEINFO>(args->pData);
    if (!request) return FailWith(TWCC_BADVALUE);
    for (TW_UINT32 i = 0; i < request->NumInfos; ++i) FillInfo(&request->Info[i]);
    return TWRC_SUCCESS;
}
