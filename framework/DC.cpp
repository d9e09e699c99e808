#include "framework/DC.h"

#include "framework/WindowBackend.h"
#include "framework/Wnd.h"

ColorValue CDC::SetTextColor(ColorValue color) {
    return window_backend::SetDeviceTextColor(m_hDC, color);
}

ColorValue CDC::SetBkColor(ColorValue color) {
    return window_backend::SetDeviceBkColor(m_hDC, color);
}

BackgroundMode CDC::SetBkMode(BackgroundMode mode) {
    return window_backend::SetDeviceBkMode(m_hDC, mode);
}

ColorValue CDC::GetTextColor() const {
    return window_backend::DeviceTextColor(m_hDC);
}

ColorValue CDC::GetBkColor() const {
    return window_backend::DeviceBkColor(m_hDC);
}

BackgroundMode CDC::GetBkMode() const {
    return window_backend::DeviceBkMode(m_hDC);
}

bool CDC::DrawIcon(int x, int y, IconHandle icon) {
    return window_backend::DrawIconOnDevice(m_hDC, x, y, icon);
}

CPaintDC::CPaintDC(CWnd* window)
    : CDC(window_backend::BeginPaintContext(window->m_hWnd)), m_window(window) {}

CPaintDC::~CPaintDC() {
    window_backend::EndPaintContext(m_window->m_hWnd, m_hDC);
}

BrushHandle GetHollowBrush() {
    return window_backend::HollowBrush();
}

int GetSystemMetric(SystemMetric) {
    return window_backend::SystemIconSize();
}
