#include "sim_dialog.h"

#include <stdio.h>

#include "afx.h"
#include "sim_callbacks.h"
#include "sim_resource_ids.h"
#include "sim_scanner.h"

namespace {

const char *PixelTypeName(TW_UINT16 type) {
    switch (type) {
    case TWPT_BW:
        return "black and white";
    case TWPT_GRAY:
        return "grey";
    default:
        return "colour";
    }
}

// Scan starts a job and tells the data source an image is ready; Close (the
// button, Escape or the window's close box) asks the data source to close
// us. The window itself goes only when the data source calls CloseSMUI.
class SimScanDialog : public CDialog {
public:
    explicit SimScanDialog(HWND owner) : CDialog(IDD_SIM_SCAN, &m_owner) { m_owner.m_hWnd = owner; }
    ~SimScanDialog() override { m_owner.m_hWnd = nullptr; }  // not ours to destroy
    CWnd *Owner() { return m_owner.m_hWnd ? &m_owner : nullptr; }

    void ShowStatus() {
        SimImage image;
        SimComputeImage(gSimConfig, gSimSettings, 0, &image);
        char text[128];
        snprintf(text, sizeof text, "%s\n%u dpi, %s, %d x %d pixels", gSimConfig.productName,
                 (unsigned)image.resolution, PixelTypeName(image.pixelType), (int)image.width, (int)image.length);
        SetDlgItemTextA(m_hWnd, IDC_SIM_STATUS, text);
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ShowStatus();
        return TRUE;
    }

protected:
    BOOL OnCommand(WPARAM w, LPARAM l) override {
        switch (LOWORD(w)) {
        case IDC_SIM_SCAN:
            Scan();
            return TRUE;
        case IDC_SIM_CLOSE:
            SimRequestClose();
            return TRUE;
        default:
            return CDialog::OnCommand(w, l);
        }
    }
    void OnOK() override { Scan(); }
    void OnCancel() override { SimRequestClose(); }
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
        if (message == WM_CLOSE) {
            SimRequestClose();
            return 0;
        }
        LRESULT result = CDialog::WindowProc(message, w, l);
        // A dialog nobody can see scans as soon as it is shown, so that an
        // application that enables with its dialog still gets an image.
        if (message == WM_SHOWWINDOW && w && gSimConfig.autoScan) Scan();
        return result;
    }

private:
    static void Scan() {
        SimStartJob();
        if (!SimAnnounceImage()) SimAbandonJob();
    }

    CWnd m_owner;  // the data source's window, lent for the dialog's lifetime
};

SimScanDialog *gDialog = nullptr;

}  // namespace

HWND SimOpenDialog(HWND parent) {
    if (gDialog) {
        ShowWindow(gDialog->m_hWnd, SW_SHOW);
        return gDialog->m_hWnd;
    }
    SimScanDialog *dialog = new SimScanDialog(parent);
    if (!dialog->Create(IDD_SIM_SCAN, dialog->Owner()) || !dialog->m_hWnd) {
        delete dialog;
        return nullptr;
    }
    gDialog = dialog;
    ShowWindow(dialog->m_hWnd, SW_SHOW);
    return dialog->m_hWnd;
}

void SimCloseDialog() {
    SimScanDialog *dialog = gDialog;
    gDialog = nullptr;
    if (!dialog) return;
    dialog->DestroyWindow();
    delete dialog;
}

void SimRefreshDialog() {
    if (gDialog) gDialog->ShowStatus();
}
