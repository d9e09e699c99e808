// CWnd: a window object of the framework, attached to a dialog or a control of the window system.
// Messages reach it through its class's message map; what no entry handles goes to the default
// processing. All members are for the window's own thread, except PostMessage and the poster.
//
// Sources of the Windows backend include windows.h, which turns several of the names below
// (MessageBox, SetWindowText, PostMessage, ...) into macros; they therefore include only the
// backend interface (WindowBackend.h), never this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "framework/MessageMap.h"
#include "framework/Messages.h"
#include "framework/WindowTypes.h"

class CMenu;
struct PostChannel;

// Posts messages to one window from any thread. Copies may outlive the window object: once the
// window is gone, posting does nothing and says so, and messages still queued are dropped.
class MessagePoster {
  public:
    MessagePoster() = default;
    // Queues the message for the window's thread; false when the window no longer exists.
    bool Post(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) const;

  private:
    friend class CWnd;
    explicit MessagePoster(std::shared_ptr<PostChannel> channel) : m_channel(std::move(channel)) {}
    std::shared_ptr<PostChannel> m_channel;
};

class CWnd {
  public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    WindowHandle m_hWnd = nullptr;
    WindowHandle GetSafeHwnd() const { return m_hWnd; }

    // Runs the message through the message map now, on this thread, and returns the handler's
    // result. An exception that escapes the handler is reported in a message box.
    std::intptr_t SendMessage(unsigned message, std::uintptr_t wParam = 0,
                              std::intptr_t lParam = 0);
    // Callable from any thread while this object exists; the message is delivered later on the
    // window's thread. False when there is no window.
    bool PostMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) const;
    // For threads that may outlive this object.
    MessagePoster GetMessagePoster() const { return MessagePoster(m_postChannel); }

    // The message map's dispatch: the first matching entry of this class or a base class, else
    // the default processing.
    virtual std::intptr_t WindowProc(const Message& message);

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    // Returns whether the window was disabled before.
    bool EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    bool IsIconic() const;
    void GetClientRect(CRect* rect) const;
    int GetDlgCtrlID() const;
    // The parent of a control; the owner of a dialog.
    CWnd* GetParent() const;
    // The dialog this window is or belongs to: the owner of what it opens.
    WindowHandle DialogHandle() const { return m_attachedTo ? m_attachedTo->m_hWnd : m_hWnd; }
    // The control with that number; null when there is none.
    CWnd* GetDlgItem(int id) const;
    void SetDlgItemText(int id, const std::string& text);

    // Starts (or restarts) timer id; every elapse milliseconds a timer message reaches the map.
    std::uintptr_t SetTimer(std::uintptr_t id, unsigned elapse,
                            std::nullptr_t noCallback = nullptr);
    bool KillTimer(std::uintptr_t id);

    // A modal message box owned by this window; an empty caption means the application's name.
    // Returns IDOK or IDCANCEL.
    int MessageBox(const std::string& text, const std::string& caption = {},
                   MessageBoxButtons buttons = MessageBoxButtons::ok,
                   MessageBoxIcon icon = MessageBoxIcon::none);

    // Returns the icon set before.
    IconHandle SetIcon(IconHandle icon, bool bigIcon);

    // The window's system menu; revert drops entries added to it and returns null.
    CMenu* GetSystemMenu(bool revert);

    // Attaches this object to the control with that number on parent, so that the control's
    // messages reach this object's map. False when parent has no such control.
    bool SubclassDlgItem(int id, CWnd* parent);

  protected:
    // The default processing of the message being handled.
    std::intptr_t Default();
    virtual std::intptr_t DefWindowProc(const Message& message);

    // Handlers that derived classes name in their maps and call for the default processing.
    void OnTimer(std::uintptr_t id);
    void OnSysCommand(unsigned id, std::intptr_t lParam);
    void OnPaint();
    IconHandle OnQueryDragIcon();
    bool OnSetCursor(CWnd* window, unsigned hitTest, unsigned mouseMessage);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    void Attach(WindowHandle window);
    void Detach();  // also detaches the objects of the controls of this window

  private:
    void AttachToControl(WindowHandle control, CWnd* parent);
    void ReleaseFromParent();

    std::shared_ptr<PostChannel> m_postChannel;
    std::unique_ptr<CMenu> m_systemMenu;
    IconHandle m_icons[2] = {nullptr, nullptr};     // small, big
    CWnd* m_attachedTo = nullptr;                   // the window whose control this object is
    mutable std::vector<CWnd*> m_attachedControls;  // objects attached to this window's controls
    mutable std::vector<std::unique_ptr<CWnd>> m_itemObjects;  // made by GetDlgItem
};
