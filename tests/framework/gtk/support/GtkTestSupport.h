// Driving GTK dialogs from tests, in the test's own process: input is synthesised as GDK events
// and put into GDK's queue, so that it takes the same way through GTK and the backend as input
// from the display. Every wait is bounded.
#pragma once

#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "framework/Shell.h"
#include "framework/WindowTypes.h"

class CDialog;

namespace gtk_test {

using namespace std::chrono_literals;

// Starts the window system once per test program; fails the test when there is no display.
void StartWindowSystem();

// Runs the main context until done() holds; false when limit passed first.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s);
// Runs the main context for what is pending now.
void PumpPending();

// Runs body once the next modal loop (or any loop of the main context) runs.
void InModalLoop(std::function<void()> body);
// Runs action once condition holds, polling from the main context; fails the test when limit
// passes first.
void WhenTrue(std::function<bool()> condition, std::function<void()> action,
              std::chrono::milliseconds limit = 5s);

// Fails the test and ends every modal dialog still running when the test takes too long, so
// that a broken test ends instead of hanging.
class ModalWatchdog {
  public:
    explicit ModalWatchdog(std::chrono::milliseconds limit = 20s);
    ~ModalWatchdog();
    ModalWatchdog(const ModalWatchdog&) = delete;
    ModalWatchdog& operator=(const ModalWatchdog&) = delete;

  private:
    guint m_source;
};

// Runs dialog modally, with body called inside its modal loop (body ends it), under a watchdog.
// Returns what DoModal returned.
std::intptr_t RunDialog(CDialog& dialog, std::function<void()> body);

// The widgets behind window handles.
GtkWidget* WidgetOf(WindowHandle window);  // a dialog's GtkWindow, a control's outer widget
GtkWidget* LabelOf(WindowHandle window);   // the label showing a control's text
// The window GDK delivers a widget's pointer input to.
GdkWindow* InputWindowOf(GtkWidget* widget);

// Synthesised input.
void SendKey(GtkWidget* toplevel, guint keyval, GdkModifierType state = GdkModifierType(0));
void SendButton(GtkWidget* widget, GdkEventType type, guint button, guint32 time);
void Click(GtkWidget* widget, guint32 time, guint button = GDK_BUTTON_PRIMARY);
// A double click as GDK delivers one: press, release, press, double press, release.
void DoubleClick(GtkWidget* widget, guint32 time);
void SendEnter(GtkWidget* widget);
void SendDelete(GtkWidget* toplevel);

// The visible popup menus attached to widget.
std::vector<GtkWidget*> MenusAttachedTo(GtkWidget* widget);
// The visible toplevel GtkWindow with that title; null when there is none.
GtkWidget* ShownWindowTitled(const std::string& title);

// Answers every message box with answer and keeps what each one showed.
class MessageBoxAnswers {
  public:
    explicit MessageBoxAnswers(int answer);
    ~MessageBoxAnswers();
    MessageBoxAnswers(const MessageBoxAnswers&) = delete;
    MessageBoxAnswers& operator=(const MessageBoxAnswers&) = delete;

    std::vector<ShownMessageBox> shown;

  private:
    MessageBoxResponder m_previous;
};

// Records the addresses ShellOpen hands on, instead of opening them.
class LaunchRecorder {
  public:
    LaunchRecorder();
    ~LaunchRecorder();
    LaunchRecorder(const LaunchRecorder&) = delete;
    LaunchRecorder& operator=(const LaunchRecorder&) = delete;

    std::vector<std::string> launched;

  private:
    ShellLauncher m_previous;
};

}  // namespace gtk_test
