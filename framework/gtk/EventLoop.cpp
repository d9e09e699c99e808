// GTK backend: starting GTK, timers, and work handed to the window thread from any thread.
// The window thread is the one that started GTK; every modal loop runs GLib's default context.
#include <deque>
#include <mutex>
#include <utility>

#include "framework/gtk/GtkBackend.h"

namespace {

gboolean OnTimer(gpointer data) {
    const TimerRecord& timer = *static_cast<TimerRecord*>(data);
    CWnd* object = timer.window->object;
    const Message message{wm::timer, timer.id, 0, nullptr, nullptr};
    if (object) {
        DeliverMessage(*object, message);  // the handler may stop this very timer
    }
    return G_SOURCE_CONTINUE;
}

// Work queued from other threads waits here, under a lock that the sanitizers see; each piece
// gets an idle source of its own, so that a modal loop started by one piece still runs the next.
struct QueuedWork {
    void (*run)(void*);
    void* context;
};
std::mutex g_workMutex;
std::deque<QueuedWork> g_work;

gboolean RunQueuedWork(gpointer) {
    QueuedWork work{};
    {
        std::lock_guard<std::mutex> lock(g_workMutex);
        work = g_work.front();
        g_work.pop_front();
    }
    work.run(work.context);
    return G_SOURCE_REMOVE;
}

}  // namespace

namespace window_backend {

bool Initialise(const char* programName) {
    static bool started = false;
    if (started) {
        return true;
    }
    // Texts are formatted the same way whatever the user's locale, and GTK sees no option of the
    // user's: only the program's own name.
    gtk_disable_setlocale();
    std::string name = programName ? programName : "";
    char* arguments[] = {name.data(), nullptr};
    char** argv = arguments;
    int argc = 1;
    started = gtk_init_check(&argc, &argv);
    return started;
}

bool StartTimer(WindowHandle window, std::uintptr_t id, unsigned milliseconds) {
    StopTimer(window, id);
    auto timer = std::make_unique<TimerRecord>(TimerRecord{window, id, 0});
    timer->source = g_timeout_add(milliseconds, &OnTimer, timer.get());
    window->timers.emplace(id, std::move(timer));
    return true;
}

bool StopTimer(WindowHandle window, std::uintptr_t id) {
    const auto found = window->timers.find(id);
    if (found == window->timers.end()) {
        return false;
    }
    g_source_remove(found->second->source);
    window->timers.erase(found);
    return true;
}

bool QueueOnWindowThread(void (*run)(void* context), void* context) {
    std::lock_guard<std::mutex> lock(g_workMutex);
    g_work.push_back(QueuedWork{run, context});
    g_idle_add_full(G_PRIORITY_DEFAULT, &RunQueuedWork, nullptr, nullptr);
    return true;
}

}  // namespace window_backend

namespace gtk_backend {

void StopAllTimers(NativeWindow& window) {
    for (const auto& [id, timer] : window.timers) {
        g_source_remove(timer->source);
    }
    window.timers.clear();
}

}  // namespace gtk_backend
