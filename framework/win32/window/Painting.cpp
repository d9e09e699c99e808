// Win32 backend: device contexts are the system's, painted through GDI.
#include "framework/win32/window/Win32Window.h"

using namespace win32_backend;

namespace {

HDC Hdc(DeviceContextHandle dc) {
    return reinterpret_cast<HDC>(dc);
}

}  // namespace

namespace window_backend {

DeviceContextHandle BeginPaintContext(WindowHandle window) {
    WindowRecord* record = Record(Hwnd(window));
    if (!record) {
        return nullptr;
    }
    return reinterpret_cast<DeviceContextHandle>(BeginPaint(Hwnd(window), &record->paint));
}

void EndPaintContext(WindowHandle window, DeviceContextHandle dc) {
    WindowRecord* record = Record(Hwnd(window));
    if (record && dc) {
        EndPaint(Hwnd(window), &record->paint);
    }
}

ColorValue SetDeviceTextColor(DeviceContextHandle dc, ColorValue color) {
    return SetTextColor(Hdc(dc), color);
}

ColorValue SetDeviceBkColor(DeviceContextHandle dc, ColorValue color) {
    return SetBkColor(Hdc(dc), color);
}

BackgroundMode SetDeviceBkMode(DeviceContextHandle dc, BackgroundMode mode) {
    return SetBkMode(Hdc(dc), static_cast<int>(mode)) == TRANSPARENT ? BackgroundMode::transparent
                                                                     : BackgroundMode::opaque;
}

ColorValue DeviceTextColor(DeviceContextHandle dc) {
    return GetTextColor(Hdc(dc));
}

ColorValue DeviceBkColor(DeviceContextHandle dc) {
    return GetBkColor(Hdc(dc));
}

BackgroundMode DeviceBkMode(DeviceContextHandle dc) {
    return GetBkMode(Hdc(dc)) == TRANSPARENT ? BackgroundMode::transparent : BackgroundMode::opaque;
}

bool DrawIconOnDevice(DeviceContextHandle dc, int x, int y, IconHandle icon) {
    return DrawIcon(Hdc(dc), x, y, reinterpret_cast<HICON>(icon)) != FALSE;
}

BrushHandle HollowBrush() {
    return reinterpret_cast<BrushHandle>(GetStockObject(HOLLOW_BRUSH));
}

int SystemIconSize() {
    return GetSystemMetrics(SM_CXICON);
}

}  // namespace window_backend
