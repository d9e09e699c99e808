// Message maps: each window class lists the messages and commands it handles in a table, and a
// message goes to the first entry that matches it, searching the class's own table and then its
// base classes' tables. Entries hold a plain function made from the handler's member pointer by a
// template, so a handler of the wrong signature does not compile.
//
//   BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
//       ON_WM_TIMER()
//       ON_BN_CLICKED(IDC_GO, &CMyDialog::OnGo)
//   END_MESSAGE_MAP()
#pragma once

#include <cstdint>
#include <type_traits>

#include "framework/Messages.h"
#include "framework/WindowTypes.h"

class CWnd;

using MessageHandlerThunk = std::intptr_t (*)(CWnd& target, const Message& message);

struct MessageMapEntry {
    unsigned message;
    unsigned code;                // commands: the notification code
    int id;                       // commands: the control or command number
    MessageHandlerThunk handler;  // null ends the table
};

struct MessageMap {
    const MessageMap* (*base)();  // the base class's map; null for the root
    const MessageMapEntry* entries;
};

namespace message_map_detail {

template <class Target>
Target& TargetOf(CWnd& window) {
    static_assert(std::is_base_of_v<CWnd, Target>, "message map entries belong to window classes");
    return static_cast<Target&>(window);
}

template <class Target, auto handler>
std::intptr_t CommandThunk(CWnd& window, const Message&) {
    void (Target::*member)() = handler;  // handler signature: void ()
    (TargetOf<Target>(window).*member)();
    return 0;
}

template <class Target, auto handler>
std::intptr_t TimerThunk(CWnd& window, const Message& message) {
    void (Target::*member)(std::uintptr_t) = handler;  // void OnTimer(std::uintptr_t id)
    (TargetOf<Target>(window).*member)(message.wParam);
    return 0;
}

template <class Target, auto handler>
std::intptr_t SysCommandThunk(CWnd& window, const Message& message) {
    // void OnSysCommand(unsigned id, std::intptr_t lParam)
    void (Target::*member)(unsigned, std::intptr_t) = handler;
    (TargetOf<Target>(window).*member)(static_cast<unsigned>(message.wParam), message.lParam);
    return 0;
}

template <class Target, auto handler>
std::intptr_t PaintThunk(CWnd& window, const Message&) {
    void (Target::*member)() = handler;  // void OnPaint()
    (TargetOf<Target>(window).*member)();
    return 0;
}

template <class Target, auto handler>
std::intptr_t QueryDragIconThunk(CWnd& window, const Message&) {
    IconHandle (Target::*member)() = handler;  // IconHandle OnQueryDragIcon()
    return reinterpret_cast<std::intptr_t>((TargetOf<Target>(window).*member)());
}

template <class Target, auto handler>
std::intptr_t SetCursorThunk(CWnd& window, const Message& message) {
    // bool OnSetCursor(CWnd* window, unsigned hitTest, unsigned mouseMessage)
    bool (Target::*member)(CWnd*, unsigned, unsigned) = handler;
    const auto hitTest = static_cast<unsigned>(message.lParam & 0xFFFF);
    const auto mouseMessage = static_cast<unsigned>((message.lParam >> 16) & 0xFFFF);
    return (TargetOf<Target>(window).*member)(message.window, hitTest, mouseMessage) ? 1 : 0;
}

template <class Target, auto handler>
std::intptr_t CtlColorReflectThunk(CWnd& window, const Message& message) {
    // BrushHandle CtlColor(CDC* dc, unsigned ctlColor)
    BrushHandle (Target::*member)(CDC*, unsigned) = handler;
    const auto kind = static_cast<unsigned>(message.wParam);
    return reinterpret_cast<std::intptr_t>((TargetOf<Target>(window).*member)(message.dc, kind));
}

template <class Target, auto handler>
std::intptr_t UserMessageThunk(CWnd& window, const Message& message) {
    // std::intptr_t OnMyMessage(std::uintptr_t wParam, std::intptr_t lParam)
    std::intptr_t (Target::*member)(std::uintptr_t, std::intptr_t) = handler;
    return (TargetOf<Target>(window).*member)(message.wParam, message.lParam);
}

}  // namespace message_map_detail

// clang-format off
// In the class body.
#define DECLARE_MESSAGE_MAP()                                                           \
  protected:                                                                            \
    static const MessageMap* GetThisMessageMap();                                       \
    const MessageMap* GetMessageMap() const override;

// In the class's source file.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
    const MessageMap* theClass::GetMessageMap() const {                                 \
        return GetThisMessageMap();                                                     \
    }                                                                                   \
    const MessageMap* theClass::GetThisMessageMap() {                                   \
        using ThisClass [[maybe_unused]] = theClass;                                    \
        using TheBaseClass = baseClass;                                                 \
        static constexpr MessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                               \
            {0, 0, 0, nullptr}};                                                        \
        static constexpr MessageMap map{&TheBaseClass::GetThisMessageMap, entries};     \
        return &map;                                                                    \
    }
// clang-format on

#define ON_WM_TIMER() \
    {wm::timer, 0, 0, &message_map_detail::TimerThunk<ThisClass, &ThisClass::OnTimer>},
#define ON_WM_SYSCOMMAND() \
    {wm::sysCommand, 0, 0, \
     &message_map_detail::SysCommandThunk<ThisClass, &ThisClass::OnSysCommand>},
#define ON_WM_PAINT() \
    {wm::paint, 0, 0, &message_map_detail::PaintThunk<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() \
    {wm::queryDragIcon, 0, 0, \
     &message_map_detail::QueryDragIconThunk<ThisClass, &ThisClass::OnQueryDragIcon>},
#define ON_WM_SETCURSOR() \
    {wm::setCursor, 0, 0, &message_map_detail::SetCursorThunk<ThisClass, &ThisClass::OnSetCursor>},
#define ON_WM_CTLCOLOR_REFLECT()  \
    {wm::reflectedCtlColor, 0, 0, \
     &message_map_detail::CtlColorReflectThunk<ThisClass, &ThisClass::CtlColor>},
// A command with the given notification code from the control or command id.
#define ON_CONTROL(notificationCode, id, memberFn) \
    {wm::command, (notificationCode), (id), &message_map_detail::CommandThunk<ThisClass, memberFn>},
#define ON_COMMAND(id, memberFn) ON_CONTROL(0, id, memberFn)
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(bn::clicked, id, memberFn)
#define ON_STN_CLICKED(id, memberFn) ON_CONTROL(stn::clicked, id, memberFn)
#define ON_STN_DBLCLK(id, memberFn) ON_CONTROL(stn::dblClk, id, memberFn)
#define ON_MESSAGE(message, memberFn) \
    {(message), 0, 0, &message_map_detail::UserMessageThunk<ThisClass, memberFn>},
