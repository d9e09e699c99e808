// Device contexts: where a window paints, and what a colour request records for a control.
#pragma once

#include "framework/WindowTypes.h"

class CWnd;

enum class BackgroundMode { transparent = 1, opaque = 2 };

class CDC {
  public:
    explicit CDC(DeviceContextHandle handle) : m_hDC(handle) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() = default;

    DeviceContextHandle GetSafeHdc() const { return m_hDC; }

    // Each returns the value set before.
    ColorValue SetTextColor(ColorValue color);
    ColorValue SetBkColor(ColorValue color);
    BackgroundMode SetBkMode(BackgroundMode mode);
    ColorValue GetTextColor() const;
    ColorValue GetBkColor() const;
    BackgroundMode GetBkMode() const;

    // Draws icon at its system size with its top left corner at (x, y).
    bool DrawIcon(int x, int y, IconHandle icon);

  protected:
    DeviceContextHandle m_hDC;
};

// The device context of the paint in progress on a window, for its paint handler.
class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

  private:
    CWnd* m_window;
};

// The stock brush that paints nothing.
BrushHandle GetHollowBrush();

enum class SystemMetric { iconWidth, iconHeight };
int GetSystemMetric(SystemMetric metric);
