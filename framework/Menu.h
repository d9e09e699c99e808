// CMenu: a window's system menu, to which a program appends its own entries.
#pragma once

#include <string>

#include "framework/WindowTypes.h"

// Numbered as the system numbers them.
enum class MenuFlag : unsigned { string = 0x0000, separator = 0x0800 };

class CMenu {
  public:
    explicit CMenu(WindowHandle window) : m_window(window) {}

    // Appends an entry; text may mark its access key with &. A separator takes no id or text.
    bool AppendMenu(MenuFlag flag, unsigned id = 0, const std::string& text = {});

  private:
    WindowHandle m_window;
};
