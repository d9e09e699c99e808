#include "framework/DialogLayout.h"

#include <algorithm>
#include <cstdint>

int AverageCharWidth(int sampleWidth) {
    return (sampleWidth / 26 + 1) / 2;
}

int ScaleRounded(int number, int numerator, int denominator) {
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const std::int64_t magnitude = ((product < 0 ? -product : product) + divisor / 2) / divisor;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

CRect DialogUnitsToPixels(const CRect& dialogUnits, DialogBaseUnits base) {
    return CRect(
        ScaleRounded(dialogUnits.left, base.cx, 4), ScaleRounded(dialogUnits.top, base.cy, 8),
        ScaleRounded(dialogUnits.right, base.cx, 4), ScaleRounded(dialogUnits.bottom, base.cy, 8));
}

namespace {

int CentredStart(int size, int areaStart, int areaSize) {
    return areaStart + (areaSize - size) / 2;
}

int KeptInside(int start, int size, int areaStart, int areaSize) {
    start = std::min(start, areaStart + areaSize - size);
    return std::max(start, areaStart);
}

}  // namespace

CRect CentredWindowRect(int width, int height, const CRect* owner, const CRect& workArea) {
    const CRect& over = owner ? *owner : workArea;
    int left = CentredStart(width, over.left, over.Width());
    int top = CentredStart(height, over.top, over.Height());
    left = KeptInside(left, width, workArea.left, workArea.Width());
    top = KeptInside(top, height, workArea.top, workArea.Height());
    return CRect(left, top, left + width, top + height);
}
