#include "scaling.h"

#include "afx.h"

int MinDivable(TW_INT32 &num, TW_INT32 &den) {
    if (num < den || den <= 0) {
        AfxMessageBox("Error!\nMinDivable");
        return 0;
    }
    TW_INT32 a = num, b = den, r = a % b;
    while (r != 0) {
        a = b;
        b = r;
        r = a % b;
    }
    num /= b;
    den /= b;
    return 1;
}

TW_UINT32 ScaledSize(TW_INT32 num, TW_INT32 den, TW_UINT32 value) {
    if (den <= 0 || num < 0) return 0;
    return (TW_UINT32)((uint64_t)value * (uint32_t)num / (uint32_t)den);
}

// Output pixel i shows source pixel floor((2i + 1) m / 2n), the one under its
// centre; the ruler holds the steps between neighbours and repeats every n.
int EvaluateScaleRuler(TW_INT32 *ruler, TW_INT32 n, TW_INT32 m, TW_INT32 total) {
    if (n < m || m <= 0) {
        AfxMessageBox("Error!\nEvaluateScaleRuler");
        return 0;
    }
    int64_t previous = 0;
    for (TW_INT32 i = 0; i < total; ++i) {
        if (i >= n) {
            ruler[i] = ruler[i - n];
            continue;
        }
        int64_t shown = ((2 * (int64_t)i + 1) * m) / (2 * (int64_t)n);
        ruler[i] = i == 0 ? 1 : (TW_INT32)(shown - previous);
        previous = shown;
    }
    return 1;
}

LineScaler ScalerForDepth(int bitsPerPixel, bool blueFirst, TW_INT32 num, TW_INT32 den) {
    // A doubling's ruler is known in advance: its replicators need not read it.
    bool doubling = num == 2 && den == 1;
    switch (bitsPerPixel) {
    case 24:
        if (doubling) return blueFirst ? DoubleLine24BGR : DoubleLine24;
        return blueFirst ? ScaleLine24BGR : ScaleLine24;
    case 8:
        return doubling ? DoubleLine8 : ScaleLine8;
    case 1:
        return doubling ? DoubleLine1 : ScaleLine1;
    default:
        return nullptr;
    }
}
