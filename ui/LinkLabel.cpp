#include "ui/LinkLabel.h"

#include "framework/Cursor.h"

BEGIN_MESSAGE_MAP(CLinkLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CLinkLabel::CLinkLabel() : m_hHandCursor(LoadStandardCursor(StandardCursor::hand)) {}

BrushHandle CLinkLabel::CtlColor(CDC* pDC, unsigned) {
    pDC->SetTextColor(RgbColor(0, 0, 255));
    pDC->SetBkMode(BackgroundMode::transparent);
    return GetHollowBrush();
}

bool CLinkLabel::OnSetCursor(CWnd* pWnd, unsigned nHitTest, unsigned message) {
    if (m_hHandCursor) {
        SetPointerCursor(m_hHandCursor);
        return true;
    }
    return CStatic::OnSetCursor(pWnd, nHitTest, message);
}
