// The control classes a program binds to controls of its dialogs.
#pragma once

#include <string>

#include "framework/Wnd.h"

class CStatic : public CWnd {};

// A drop-down list. Items keep the order they were added in.
class CComboBox : public CWnd {
  public:
    static constexpr int error = -1;

    // Returns the new item's index.
    int AddString(const std::string& text);
    // Selects item index (-1 clears the selection); returns index, or error when there is none.
    int SetCurSel(int index);
    // The selected item's index; error when nothing is selected.
    int GetCurSel() const;
    // Copies item index's text into text and returns its length in bytes; leaves text alone and
    // returns error when there is no such item.
    int GetLBText(int index, std::string& text) const;
    int GetCount() const;
};
