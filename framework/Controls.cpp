#include "framework/Controls.h"

#include "framework/WindowBackend.h"

int CComboBox::AddString(const std::string& text) {
    return m_hWnd ? window_backend::ComboAddItem(m_hWnd, text) : error;
}

int CComboBox::SetCurSel(int index) {
    return m_hWnd ? window_backend::ComboSelect(m_hWnd, index) : error;
}

int CComboBox::GetCurSel() const {
    return m_hWnd ? window_backend::ComboSelection(m_hWnd) : error;
}

int CComboBox::GetLBText(int index, std::string& text) const {
    if (!m_hWnd || !window_backend::ComboItemText(m_hWnd, index, text)) {
        return error;
    }
    return static_cast<int>(text.size());
}

int CComboBox::GetCount() const {
    return m_hWnd ? window_backend::ComboCount(m_hWnd) : 0;
}
