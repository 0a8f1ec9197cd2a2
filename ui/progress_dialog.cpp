#include "progress_dialog.h"

#include "resource.h"

#include <stdio.h>

// One progress dialog runs at a time.
static BOOL gProgressActive;

static const UINT_PTR kTimerId = 6;
static const UINT kTimerPeriod = 100;

ProgressDialog::ProgressDialog(ProgressCount *progress) : CDialog(IDD_PROGRESS), m_pCounter(progress) {}

ProgressDialog::~ProgressDialog() {
    StopTimer();
    if (m_hWnd) DestroyWindow();
}

BOOL ProgressDialog::IsActive() { return gProgressActive; }

int ProgressDialog::Open(const char *title) {
    if (!Create(IDD_PROGRESS)) return 0;
    SetWindowText(title);
    return 1;
}

void ProgressDialog::StopTimer() {
    if (!m_nTimerID) return;
    KillTimer(m_hWnd, m_nTimerID);
    m_nTimerID = 0;
    gProgressActive = FALSE;
}

int ProgressDialog::Begin(TW_UINT32 first, TW_UINT32 last) {
    if (gProgressActive || !m_hWnd) return 0;
    m_nTimerID = SetTimer(m_hWnd, kTimerId, kTimerPeriod, nullptr);
    if (!m_nTimerID) {
        AfxMessageBox("Error!\nTimer NULL");
        return 0;
    }
    gProgressActive = TRUE;
    m_nFirst = first;
    m_nLast = last;
    m_nSpan = last - first;
    m_nLastPercent = 200;
    Update(m_pCounter->steps);
    return 1;
}

void ProgressDialog::Update(TW_UINT32 value) {
    if (!m_pBarDC) return;
    // Counts past the end show above 100 %;
    // an empty span shows as done.
    TW_UINT32 percent = m_nSpan ? ((value - m_nFirst) * 100u) / m_nSpan : 100u;
    if (percent == m_nLastPercent) return;
    m_nLastPercent = percent;
    TW_UINT32 split = percent * (TW_UINT32)m_nBarWidth / 100u;
    char text[16];
    int length = snprintf(text, sizeof text, "%d%%", (int)percent);

    SetBkColor(m_pBarDC, m_crDark);
    SetTextColor(m_pBarDC, m_crLight);
    m_rcDone.right = (LONG)split;
    ExtTextOutA(m_pBarDC, m_nTextX, 0, ETO_CLIPPED | ETO_OPAQUE, &m_rcDone, text, (UINT)length, nullptr);
    SetBkColor(m_pBarDC, m_crLight);
    SetTextColor(m_pBarDC, m_crDark);
    m_rcTodo.left = (LONG)split;
    ExtTextOutA(m_pBarDC, m_nTextX, 0, ETO_CLIPPED | ETO_OPAQUE, &m_rcTodo, text, (UINT)length, nullptr);
}

void ProgressDialog::End() {
    if (m_nTimerID) {
        StopTimer();
        Update(m_nLast);
    }
    DestroyWindow();
}

BOOL ProgressDialog::DestroyWindow() {
    if (m_pBarDC) {
        ::ReleaseDC(m_pBarWnd, m_pBarDC);
        m_pBarDC = nullptr;
    }
    return CDialog::DestroyWindow();
}

// Centred on the screen and above every other window.
void ProgressDialog::CentreTopmost() {
    HDC screen = ::GetDC(m_hWnd);
    int screenWidth = GetDeviceCaps(screen, HORZRES);
    int screenHeight = GetDeviceCaps(screen, VERTRES);
    ::ReleaseDC(m_hWnd, screen);
    RECT window;
    GetWindowRect(&window);
    int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(HWND_TOPMOST, (screenWidth - width) >> 1, (screenHeight - height) >> 1, width, height, SWP_SHOWWINDOW);
}

// A frame two pixels outside the bar, drawn once.
void ProgressDialog::DrawBarFrame() {
    RECT bar;
    ::GetWindowRect(m_pBarWnd, &bar);
    ScreenToClient(&bar);
    HDC dc = ::GetDC(m_hWnd);
    Rectangle(dc, bar.left - 2, bar.top - 2, bar.right + 2, bar.bottom + 2);
    ::ReleaseDC(m_hWnd, dc);
    m_nBarWidth = bar.right - bar.left;
    m_nTextX = m_nBarWidth / 2;
    m_nBarHeight = bar.bottom - bar.top;
    m_rcDone = {0, 0, 0, m_nBarHeight};
    m_rcTodo = {0, 0, m_nBarWidth, m_nBarHeight};
}

BOOL ProgressDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    CentreTopmost();
    m_pBarWnd = GetDlgItem(IDC_PROGRESS_BAR);
    if (m_pBarWnd) {
        DrawBarFrame();
        m_pBarDC = ::GetDC(m_pBarWnd);
    }
    if (m_pBarDC) {
        SetROP2(m_pBarDC, R2_XORPEN);
        SelectObject(m_pBarDC, GetStockObject(WHITE_BRUSH));
        SetTextAlign(m_pBarDC, TA_CENTER | TA_TOP);
    }
    m_crLight = 0xFFFFFF;
    m_crDark = 0xFF0000;
    m_btnCancel.SubclassDlgItem(IDCANCEL, this);
    // Every click of the application comes here: only Cancel can be pressed.
    SetCapture();
    return TRUE;
}

void ProgressDialog::OnCancel() {
    if (m_pCounter) m_pCounter->cancelled = TRUE;
    CDialog::OnCancel();
}

void ProgressDialog::OnTimer(UINT_PTR) { Update(m_pCounter->steps); }

void ProgressDialog::OnLButtonDown(UINT flags, POINT point) {
    ClientToScreen(&point);
    m_btnCancel.OnButtonDown(flags, point);
    Default();
}

void CancelButton::OnButtonDown(UINT, POINT point) {
    RECT button;
    GetWindowRect(&button);
    if (point.x < button.left || point.x >= button.right || point.y < button.top || point.y >= button.bottom) return;
    ReleaseCapture();
    Default();
}

void CancelButton::OnLButtonDown(UINT flags, POINT point) {
    ClientToScreen(&point);
    OnButtonDown(flags, point);
}

void CancelButton::OnLButtonUp(UINT, POINT point) {
    RECT button;
    GetWindowRect(&button);
    ClientToScreen(&point);
    HWND dialog = ::GetParent(m_hWnd);
    Default();  // releases the capture; a release over the button clicks it
    bool outside = point.x < button.left || point.x >= button.right || point.y < button.top || point.y >= button.bottom;
    if (outside && IsWindow(dialog)) ::SetCapture(dialog);
}
