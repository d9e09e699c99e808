#include "framework/Wnd.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

#include "framework/ExceptionReport.h"
#include "framework/Menu.h"
#include "framework/WinApp.h"
#include "framework/WindowBackend.h"

// What posters of one window object share with it. target is set while the object is attached to
// a window; it is written and read on the window's thread only, but under the lock so that posting
// threads see it. A drain of the queue is scheduled while messages wait, and holds the channel.
struct PostChannel : std::enable_shared_from_this<PostChannel> {
    std::mutex mutex;
    CWnd* target = nullptr;
    std::deque<Message> queue;
    std::shared_ptr<PostChannel> pendingDrain;
};

namespace {

// Delivers the oldest waiting message, after scheduling the next one, so that messages keep their
// order even when a handler runs a modal loop of its own.
void DrainOne(void* context) {
    auto* channel = static_cast<PostChannel*>(context);
    std::shared_ptr<PostChannel> keepAlive;
    CWnd* target = nullptr;
    Message message;
    {
        std::lock_guard<std::mutex> lock(channel->mutex);
        target = channel->target;
        if (target && !channel->queue.empty()) {
            message = channel->queue.front();
            channel->queue.pop_front();
        } else {
            target = nullptr;
            channel->queue.clear();
        }
        // When the next drain cannot be scheduled the rest is dropped, so that a later post
        // schedules afresh instead of waiting behind a drain that never comes.
        if (!channel->queue.empty() && !window_backend::QueueOnWindowThread(&DrainOne, channel)) {
            channel->queue.clear();
        }
        if (channel->queue.empty()) {
            keepAlive = std::move(channel->pendingDrain);
        }
    }
    if (target) {
        DeliverMessage(*target, message);
    }
}

bool PostToChannel(const std::shared_ptr<PostChannel>& channel, const Message& message) {
    if (!channel) {
        return false;
    }
    std::lock_guard<std::mutex> lock(channel->mutex);
    if (!channel->target) {
        return false;
    }
    if (!channel->pendingDrain) {
        if (!window_backend::QueueOnWindowThread(&DrainOne, channel.get())) {
            return false;
        }
        channel->pendingDrain = channel;
    }
    channel->queue.push_back(message);
    return true;
}

void SetChannelTarget(PostChannel& channel, CWnd* target) {
    std::lock_guard<std::mutex> lock(channel.mutex);
    channel.target = target;
    channel.queue.clear();
}

// The message whose handler is running on this thread, for Default().
thread_local const Message* g_currentMessage = nullptr;

class CurrentMessageScope {
  public:
    explicit CurrentMessageScope(const Message& message)
        : m_outer(std::exchange(g_currentMessage, &message)) {}
    ~CurrentMessageScope() { g_currentMessage = m_outer; }
    CurrentMessageScope(const CurrentMessageScope&) = delete;
    CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;

  private:
    const Message* m_outer;
};

bool Matches(const MessageMapEntry& entry, const Message& message) {
    if (entry.message != message.id) {
        return false;
    }
    if (message.id != wm::command) {
        return true;
    }
    return entry.id == CommandIdOf(message) && entry.code == CommandCodeOf(message);
}

constexpr MessageMapEntry kNoEntries[] = {{0, 0, 0, nullptr}};

}  // namespace

bool MessagePoster::Post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const {
    return PostToChannel(m_channel, Message{message, wParam, lParam});
}

std::intptr_t DeliverMessage(CWnd& target, const Message& message) {
    try {
        return target.WindowProc(message);
    } catch (...) {
        ReportException(std::current_exception(), target.DialogHandle());
        return 0;
    }
}

CWnd::CWnd() : m_postChannel(std::make_shared<PostChannel>()) {}

CWnd::~CWnd() {
    Detach();
}

const MessageMap* CWnd::GetThisMessageMap() {
    static constexpr MessageMap map{nullptr, kNoEntries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

std::intptr_t CWnd::WindowProc(const Message& message) {
    for (const MessageMap* map = GetMessageMap(); map != nullptr;
         map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->handler != nullptr; ++entry) {
            if (Matches(*entry, message)) {
                CurrentMessageScope scope(message);
                return entry->handler(*this, message);
            }
        }
    }
    return DefWindowProc(message);
}

std::intptr_t CWnd::Default() {
    return g_currentMessage ? DefWindowProc(*g_currentMessage) : 0;
}

std::intptr_t CWnd::DefWindowProc(const Message& message) {
    // A colour request of a control goes back to the control's own map first.
    if (message.id == wm::ctlColorStatic && message.window && message.window != this) {
        const Message reflected{wm::reflectedCtlColor, ctlColorStaticKind, 0, message.window,
                                message.dc};
        if (const std::intptr_t brush = message.window->WindowProc(reflected)) {
            return brush;
        }
    }
    return m_hWnd ? window_backend::DefaultProcessing(m_hWnd, message) : 0;
}

void CWnd::OnTimer(std::uintptr_t) {
    Default();
}

void CWnd::OnSysCommand(unsigned, std::intptr_t) {
    Default();
}

void CWnd::OnPaint() {
    Default();
}

IconHandle CWnd::OnQueryDragIcon() {
    return reinterpret_cast<IconHandle>(Default());
}

bool CWnd::OnSetCursor(CWnd*, unsigned, unsigned) {
    return Default() != 0;
}

std::intptr_t CWnd::SendMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return DeliverMessage(*this, Message{message, wParam, lParam});
}

bool CWnd::PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const {
    return PostToChannel(m_postChannel, Message{message, wParam, lParam});
}

void CWnd::SetWindowText(const std::string& text) {
    if (m_hWnd) {
        window_backend::SetText(m_hWnd, text);
    }
}

std::string CWnd::GetWindowText() const {
    return m_hWnd ? window_backend::Text(m_hWnd) : std::string();
}

bool CWnd::EnableWindow(bool enable) {
    if (!m_hWnd) {
        return false;
    }
    const bool wasDisabled = !window_backend::IsEnabled(m_hWnd);
    window_backend::Enable(m_hWnd, enable);
    return wasDisabled;
}

bool CWnd::IsWindowEnabled() const {
    return m_hWnd && window_backend::IsEnabled(m_hWnd);
}

bool CWnd::IsIconic() const {
    return m_hWnd && window_backend::IsMinimised(m_hWnd);
}

void CWnd::GetClientRect(CRect* rect) const {
    *rect = m_hWnd ? window_backend::ClientRect(m_hWnd) : CRect();
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd ? window_backend::ControlId(m_hWnd) : 0;
}

CWnd* CWnd::GetParent() const {
    const WindowHandle parent = m_hWnd ? window_backend::ParentWindow(m_hWnd) : nullptr;
    return parent ? window_backend::WindowObject(parent) : nullptr;
}

CWnd* CWnd::GetDlgItem(int id) const {
    const WindowHandle control = m_hWnd ? window_backend::FindControl(m_hWnd, id) : nullptr;
    if (!control) {
        return nullptr;
    }
    if (CWnd* object = window_backend::WindowObject(control)) {
        return object;
    }
    auto& item = m_itemObjects.emplace_back(std::make_unique<CWnd>());
    item->AttachToControl(control, const_cast<CWnd*>(this));
    return item.get();
}

void CWnd::SetDlgItemText(int id, const std::string& text) {
    if (CWnd* item = GetDlgItem(id)) {
        item->SetWindowText(text);
    }
}

std::uintptr_t CWnd::SetTimer(std::uintptr_t id, unsigned elapse, std::nullptr_t) {
    if (!m_hWnd) {
        return 0;
    }
    return window_backend::StartTimer(m_hWnd, id, elapse) ? id : 0;
}

bool CWnd::KillTimer(std::uintptr_t id) {
    return m_hWnd && window_backend::StopTimer(m_hWnd, id);
}

int CWnd::MessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                     MessageBoxIcon icon) {
    const std::string shownCaption =
        caption.empty() && AfxGetApp() ? AfxGetApp()->m_pszAppName : caption;
    return window_backend::ShowMessageBox(DialogHandle(), text, shownCaption, buttons, icon);
}

IconHandle CWnd::SetIcon(IconHandle icon, bool bigIcon) {
    const IconHandle previous = std::exchange(m_icons[bigIcon ? 1 : 0], icon);
    if (m_hWnd) {
        window_backend::SetIcons(m_hWnd, m_icons[0], m_icons[1]);
    }
    return previous;
}

CMenu* CWnd::GetSystemMenu(bool revert) {
    if (!m_hWnd || m_attachedTo) {
        return nullptr;
    }
    if (revert) {
        window_backend::ResetSystemMenu(m_hWnd);
        m_systemMenu.reset();
        return nullptr;
    }
    if (!m_systemMenu) {
        m_systemMenu = std::make_unique<CMenu>(m_hWnd);
    }
    return m_systemMenu.get();
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    const WindowHandle control =
        parent && parent->m_hWnd ? window_backend::FindControl(parent->m_hWnd, id) : nullptr;
    if (!control) {
        return false;
    }
    if (CWnd* previous = window_backend::WindowObject(control)) {
        if (previous == this) {
            return true;
        }
        previous->Detach();
        std::erase_if(parent->m_itemObjects, [previous](const std::unique_ptr<CWnd>& item) {
            return item.get() == previous;
        });
    }
    Detach();
    AttachToControl(control, parent);
    return true;
}

void CWnd::Attach(WindowHandle window) {
    m_hWnd = window;
    window_backend::SetWindowObject(window, this);
    SetChannelTarget(*m_postChannel, this);
}

void CWnd::AttachToControl(WindowHandle control, CWnd* parent) {
    Attach(control);
    m_attachedTo = parent;
    parent->m_attachedControls.push_back(this);
}

void CWnd::ReleaseFromParent() {
    if (m_attachedTo) {
        std::erase(m_attachedTo->m_attachedControls, this);
        m_attachedTo = nullptr;
    }
}

void CWnd::Detach() {
    ReleaseFromParent();
    for (CWnd* control : std::exchange(m_attachedControls, {})) {
        control->m_attachedTo = nullptr;
        control->Detach();
    }
    m_itemObjects.clear();
    m_systemMenu.reset();
    SetChannelTarget(*m_postChannel, nullptr);
    if (m_hWnd) {
        window_backend::SetWindowObject(m_hWnd, nullptr);
        m_hWnd = nullptr;
    }
}
