// CLinkLabel: the static text of the main dialog that looks and feels like a web link: blue text
// on the dialog's own background and the hand cursor while the pointer is over it. The click
// itself reaches the dialog, which opens PROMOTION_URL.
#pragma once

#include "framework/Controls.h"
#include "framework/DC.h"

// The promotional address the link opens (a reserved example domain: no real shop).
inline constexpr const char* PROMOTION_URL = "http://shop.example.com/iphone5s";

class CLinkLabel : public CStatic {
  public:
    CLinkLabel();

  protected:
    BrushHandle CtlColor(CDC* pDC, unsigned nCtlColor);
    bool OnSetCursor(CWnd* pWnd, unsigned nHitTest, unsigned message);

    DECLARE_MESSAGE_MAP()

  private:
    CursorHandle m_hHandCursor;  // the system's, shared; null where the system has none
};
