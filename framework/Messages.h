// The messages windows receive, as the framework's message maps see them. Numbers and the packing
// of the two parameters follow the Win32 conventions, so that one backend hands them through as
// they come and the other builds them the same way.
#pragma once

#include <cstdint>

class CWnd;
class CDC;

// Message numbers.
namespace wm {
inline constexpr unsigned paint = 0x000F;
inline constexpr unsigned close = 0x0010;
inline constexpr unsigned setCursor = 0x0020;       // wParam: window under the pointer;
                                                    // lParam: hit-test code | mouse message << 16
inline constexpr unsigned iconEraseBkgnd = 0x0027;  // wParam: device context
inline constexpr unsigned queryDragIcon = 0x0037;
inline constexpr unsigned command = 0x0111;         // wParam: id | notification code << 16
inline constexpr unsigned sysCommand = 0x0112;      // wParam: command id; lParam: pointer position
inline constexpr unsigned timer = 0x0113;           // wParam: timer id
inline constexpr unsigned ctlColorStatic = 0x0138;  // sent to the parent; wParam: device context
inline constexpr unsigned mouseMove = 0x0200;
inline constexpr unsigned app = 0x8000;  // first number free for a program's own messages
// The parent's colour request handed back to the control it is about.
inline constexpr unsigned reflectedCtlColor = 0xBC19;
}  // namespace wm

// Notification codes of commands from controls.
namespace bn {
inline constexpr unsigned clicked = 0;
inline constexpr unsigned doubleClicked = 5;
}  // namespace bn
namespace stn {
inline constexpr unsigned clicked = 0;
inline constexpr unsigned dblClk = 1;
}  // namespace stn
namespace cbn {
inline constexpr unsigned selChange = 1;
}  // namespace cbn

// System commands (the low four bits are the system's own and are masked off when compared).
namespace sc {
inline constexpr unsigned close = 0xF060;
}  // namespace sc

// Control kinds of a colour request.
inline constexpr unsigned ctlColorStaticKind = 6;

// Hit-test code of the client area, as a cursor request carries it.
inline constexpr unsigned hitClient = 1;

// One message on its way to a window. The pointers are the decoded parameters for the handlers;
// they are null where the message has none.
struct Message {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    CWnd* window = nullptr;  // the control a command or colour request is about, or the window
                             // under the pointer of a cursor request
    CDC* dc = nullptr;       // the device context of a colour request
};

constexpr std::uintptr_t MakeCommandParam(int id, unsigned code) {
    return (static_cast<std::uintptr_t>(id) & 0xFFFF) | (static_cast<std::uintptr_t>(code) << 16);
}
constexpr int CommandIdOf(const Message& message) {
    return static_cast<int>(message.wParam & 0xFFFF);
}
constexpr unsigned CommandCodeOf(const Message& message) {
    return static_cast<unsigned>((message.wParam >> 16) & 0xFFFF);
}
