// The drawing-context wrapper: each call goes to the context it holds.
#include "afx.h"

COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }

COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }

UINT CDC::SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }

int CDC::SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }

HGDIOBJ CDC::SelectStockObject(int index) {
    HGDIOBJ object = ::GetStockObject(index);
    return object != nullptr ? ::SelectObject(m_hDC, object) : nullptr;
}

BOOL CDC::Rectangle(int left, int top, int right, int bottom) { return ::Rectangle(m_hDC, left, top, right, bottom); }

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT *rect, const char *text, UINT count) {
    return ::ExtTextOutA(m_hDC, x, y, options, rect, text, count, nullptr);
}

int CDC::GetDeviceCaps(int index) { return ::GetDeviceCaps(m_hDC, index); }
