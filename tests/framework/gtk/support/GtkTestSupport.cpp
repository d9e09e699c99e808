#include "tests/framework/gtk/support/GtkTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>

#include "framework/Dialog.h"
#include "framework/ProgramEntry.h"
#include "framework/gtk/GtkBackend.h"

namespace gtk_test {

void StartWindowSystem() {
    // The virtual display has no assistive technology to talk to.
    g_setenv("NO_AT_BRIDGE", "1", TRUE);
    // A busy virtual display may refuse a connection for a moment; a missing one keeps refusing.
    bool started = AfxWinInit("window-tests");
    for (int attempt = 1; !started && attempt < 10; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        started = AfxWinInit("window-tests");
    }
    const char* display = g_getenv("DISPLAY");
    ASSERT_TRUE(started) << "no display" << (display ? std::string(" at ") + display : "")
                         << ": run the tests under xvfb-run";
}

void PumpPending() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        // Wakes the blocking iteration at the latest after 10 ms to look at the clock again.
        GSource* wake = g_timeout_source_new(10);
        g_source_set_callback(
            wake, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(wake, nullptr);
        g_main_context_iteration(nullptr, TRUE);
        g_source_destroy(wake);
        g_source_unref(wake);
    }
    return true;
}

void InModalLoop(std::function<void()> body) {
    g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        new std::function<void()>(std::move(body)),
        [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

namespace {

struct Watch {
    std::function<bool()> condition;
    std::function<void()> action;
    std::chrono::steady_clock::time_point deadline;
};

}  // namespace

void WhenTrue(std::function<bool()> condition, std::function<void()> action,
              std::chrono::milliseconds limit) {
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 5,
        [](gpointer data) -> gboolean {
            auto& watch = *static_cast<Watch*>(data);
            if (watch.condition()) {
                watch.action();
                return G_SOURCE_REMOVE;
            }
            if (std::chrono::steady_clock::now() >= watch.deadline) {
                ADD_FAILURE() << "the awaited condition did not come true in time";
                return G_SOURCE_REMOVE;
            }
            return G_SOURCE_CONTINUE;
        },
        new Watch{std::move(condition), std::move(action),
                  std::chrono::steady_clock::now() + limit},
        [](gpointer data) { delete static_cast<Watch*>(data); });
}

ModalWatchdog::ModalWatchdog(std::chrono::milliseconds limit)
    : m_source(g_timeout_add(
          static_cast<guint>(limit.count()),
          [](gpointer) -> gboolean {
              if (CDialog* dialog = AfxGetActiveModalDialog()) {
                  ADD_FAILURE() << "a modal dialog was still running when the test's time was up";
                  dialog->EndDialog(-1);
              }
              return G_SOURCE_CONTINUE;
          },
          nullptr)) {}

ModalWatchdog::~ModalWatchdog() {
    g_source_remove(m_source);
}

std::intptr_t RunDialog(CDialog& dialog, std::function<void()> body) {
    ModalWatchdog watchdog;
    InModalLoop(std::move(body));
    return dialog.DoModal();
}

GtkWidget* WidgetOf(WindowHandle window) {
    return window ? window->widget : nullptr;
}

GtkWidget* LabelOf(WindowHandle window) {
    return window ? window->label : nullptr;
}

GdkWindow* InputWindowOf(GtkWidget* widget) {
    if (GTK_IS_BUTTON(widget)) {
        return gtk_button_get_event_window(GTK_BUTTON(widget));
    }
    GdkWindow* window = gtk_widget_get_window(widget);
    if (gtk_widget_get_has_window(widget)) {
        return window;
    }
    for (GList* child = gdk_window_peek_children(window); child; child = child->next) {
        gpointer owner = nullptr;
        gdk_window_get_user_data(GDK_WINDOW(child->data), &owner);
        if (owner == widget) {
            return GDK_WINDOW(child->data);
        }
    }
    return window;
}

namespace {

GdkSeat* Seat(GdkWindow* window) {
    return gdk_display_get_default_seat(gdk_window_get_display(window));
}

void Put(GdkEvent* event, GdkDevice* device) {
    gdk_event_set_device(event, device);
    gdk_event_set_source_device(event, device);
    gdk_event_put(event);
    gdk_event_free(event);
}

}  // namespace

void SendKey(GtkWidget* toplevel, guint keyval, GdkModifierType state) {
    GdkWindow* window = gtk_widget_get_window(toplevel);
    ASSERT_NE(window, nullptr);
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    guint16 keycode = 0;
    guint8 group = 0;
    if (gdk_keymap_get_entries_for_keyval(
            gdk_keymap_get_for_display(gdk_window_get_display(window)), keyval, &keys, &count) &&
        count > 0) {
        keycode = static_cast<guint16>(keys[0].keycode);
        group = static_cast<guint8>(keys[0].group);
    }
    g_free(keys);
    for (const GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(window));
        event->key.send_event = TRUE;
        event->key.time = GDK_CURRENT_TIME;
        event->key.state = state;
        event->key.keyval = keyval;
        event->key.hardware_keycode = keycode;
        event->key.group = group;
        Put(event, gdk_seat_get_keyboard(Seat(window)));
    }
}

void SendButton(GtkWidget* widget, GdkEventType type, guint button, guint32 time) {
    GdkWindow* window = InputWindowOf(widget);
    ASSERT_NE(window, nullptr);
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.send_event = TRUE;
    event->button.time = time;
    event->button.x = 3;
    event->button.y = 3;
    gint originX = 0, originY = 0;
    gdk_window_get_origin(window, &originX, &originY);
    event->button.x_root = originX + 3;
    event->button.y_root = originY + 3;
    event->button.button = button;
    if (type == GDK_BUTTON_RELEASE) {
        event->button.state = button == GDK_BUTTON_PRIMARY ? GDK_BUTTON1_MASK : GDK_BUTTON3_MASK;
    }
    Put(event, gdk_seat_get_pointer(Seat(window)));
}

void Click(GtkWidget* widget, guint32 time, guint button) {
    SendButton(widget, GDK_BUTTON_PRESS, button, time);
    SendButton(widget, GDK_BUTTON_RELEASE, button, time + 1);
}

void DoubleClick(GtkWidget* widget, guint32 time) {
    SendButton(widget, GDK_BUTTON_PRESS, GDK_BUTTON_PRIMARY, time);
    SendButton(widget, GDK_BUTTON_RELEASE, GDK_BUTTON_PRIMARY, time + 1);
    SendButton(widget, GDK_BUTTON_PRESS, GDK_BUTTON_PRIMARY, time + 50);
    SendButton(widget, GDK_2BUTTON_PRESS, GDK_BUTTON_PRIMARY, time + 50);
    SendButton(widget, GDK_BUTTON_RELEASE, GDK_BUTTON_PRIMARY, time + 51);
}

void SendEnter(GtkWidget* widget) {
    GdkWindow* window = InputWindowOf(widget);
    ASSERT_NE(window, nullptr);
    GdkEvent* event = gdk_event_new(GDK_ENTER_NOTIFY);
    event->crossing.window = GDK_WINDOW(g_object_ref(window));
    event->crossing.send_event = TRUE;
    event->crossing.time = GDK_CURRENT_TIME;
    event->crossing.x = 3;
    event->crossing.y = 3;
    event->crossing.mode = GDK_CROSSING_NORMAL;
    event->crossing.detail = GDK_NOTIFY_ANCESTOR;
    Put(event, gdk_seat_get_pointer(Seat(window)));
}

void SendDelete(GtkWidget* toplevel) {
    GdkWindow* window = gtk_widget_get_window(toplevel);
    ASSERT_NE(window, nullptr);
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(window));
    event->any.send_event = TRUE;
    gdk_event_put(event);
    gdk_event_free(event);
}

std::vector<GtkWidget*> MenusAttachedTo(GtkWidget* widget) {
    std::vector<GtkWidget*> menus;
    GList* menusOfWidget = gtk_menu_get_for_attach_widget(widget);
    for (GList* item = menusOfWidget; item; item = item->next) {
        menus.push_back(GTK_WIDGET(item->data));
    }
    return menus;
}

GtkWidget* ShownWindowTitled(const std::string& title) {
    GtkWidget* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item && !found; item = item->next) {
        GtkWindow* window = GTK_WINDOW(item->data);
        const gchar* shownTitle = gtk_window_get_title(window);
        if (gtk_widget_get_visible(GTK_WIDGET(window)) && shownTitle && title == shownTitle) {
            found = GTK_WIDGET(window);
        }
    }
    g_list_free(toplevels);
    return found;
}

MessageBoxAnswers::MessageBoxAnswers(int answer)
    : m_previous(SetMessageBoxResponder([this, answer](const ShownMessageBox& box) {
          shown.push_back(box);
          return answer;
      })) {}

MessageBoxAnswers::~MessageBoxAnswers() {
    SetMessageBoxResponder(std::move(m_previous));
}

LaunchRecorder::LaunchRecorder()
    : m_previous(SetShellLauncher([this](const std::string& address) {
          launched.push_back(address);
          return true;
      })) {}

LaunchRecorder::~LaunchRecorder() {
    SetShellLauncher(std::move(m_previous));
}

}  // namespace gtk_test
