#include "framework/Menu.h"

#include "framework/WindowBackend.h"

bool CMenu::AppendMenu(MenuFlag flag, unsigned id, const std::string& text) {
    return window_backend::AppendSystemMenuEntry(m_window, static_cast<unsigned>(flag), id, text);
}
