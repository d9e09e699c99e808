// The window system as the framework's window classes use it: the functions each backend
// (framework/gtk, framework/win32) implements, and the two the framework offers its backend.
// Backend sources include this header and their platform's headers, never the public class
// headers (Wnd.h, Dialog.h, Controls.h, Menu.h, WinApp.h, Resources.h), whose member names
// windows.h would turn into macros.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Cursor.h"
#include "framework/DC.h"
#include "framework/MessageBox.h"
#include "framework/Messages.h"
#include "framework/WindowTypes.h"

namespace window_backend {

bool Initialise(const char* programName);

// The program's resources: null or empty when there is no such resource.
IconHandle LoadIconResource(unsigned id);  // loaded once, kept for the whole run
std::string LoadStringResource(unsigned id);

// Dialogs. A dialog is made hidden from the program's dialog template templateId, with its
// controls in template order; object receives its messages. Null when there is no such template.
// Throws std::runtime_error when the template holds a control the backend cannot make.
WindowHandle CreateDialogWindow(unsigned templateId, WindowHandle owner, CWnd* object);
void DestroyDialogWindow(WindowHandle dialog);
CRect MapDialogUnits(WindowHandle dialog, const CRect& dialogUnits);
// Places the dialog (centred over owner, or on the work area) and shows it; modal to owner.
void ShowDialog(WindowHandle dialog, WindowHandle owner);
void FocusFirstTabStop(WindowHandle dialog);
// Runs the dialog's modal loop until EndModalLoop.
void RunModalLoop(WindowHandle dialog);
void EndModalLoop(WindowHandle dialog);
void ActivateWindow(WindowHandle window);

// Dialogs and controls alike.
void SetWindowObject(WindowHandle window, CWnd* object);
CWnd* WindowObject(WindowHandle window);
WindowHandle FindControl(WindowHandle dialog, int id);
WindowHandle ParentWindow(WindowHandle window);  // a control's dialog, a dialog's owner
int ControlId(WindowHandle window);
void SetText(WindowHandle window, const std::string& text);
std::string Text(WindowHandle window);
void Enable(WindowHandle window, bool enable);
bool IsEnabled(WindowHandle window);
bool IsMinimised(WindowHandle window);
CRect ClientRect(WindowHandle window);
void SetIcons(WindowHandle dialog, IconHandle smallIcon, IconHandle bigIcon);

// Drop-down lists.
int ComboAddItem(WindowHandle combo, const std::string& text);
int ComboSelect(WindowHandle combo, int index);
int ComboSelection(WindowHandle combo);
int ComboCount(WindowHandle combo);
bool ComboItemText(WindowHandle combo, int index, std::string& text);

// The system menu; flags as MenuFlag numbers them.
bool AppendSystemMenuEntry(WindowHandle dialog, unsigned flags, unsigned id,
                           const std::string& text);
void ResetSystemMenu(WindowHandle dialog);

// Timers and posted work, delivered on the window system's thread.
// False when the system has no timer to give.
bool StartTimer(WindowHandle window, std::uintptr_t id, unsigned milliseconds);
bool StopTimer(WindowHandle window, std::uintptr_t id);
// Callable from any thread; run comes later on the window system's thread, never at once.
// False when the work could not be queued (the system's queue is full): run never comes.
bool QueueOnWindowThread(void (*run)(void* context), void* context);

// What the system does with a message no handler took.
std::intptr_t DefaultProcessing(WindowHandle window, const Message& message);

int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                   MessageBoxButtons buttons, MessageBoxIcon icon);

// Device contexts.
DeviceContextHandle BeginPaintContext(WindowHandle window);
void EndPaintContext(WindowHandle window, DeviceContextHandle dc);
ColorValue SetDeviceTextColor(DeviceContextHandle dc, ColorValue color);
ColorValue SetDeviceBkColor(DeviceContextHandle dc, ColorValue color);
BackgroundMode SetDeviceBkMode(DeviceContextHandle dc, BackgroundMode mode);
ColorValue DeviceTextColor(DeviceContextHandle dc);
ColorValue DeviceBkColor(DeviceContextHandle dc);
BackgroundMode DeviceBkMode(DeviceContextHandle dc);
bool DrawIconOnDevice(DeviceContextHandle dc, int x, int y, IconHandle icon);
BrushHandle HollowBrush();

int SystemIconSize();
CursorHandle LoadSystemCursor(StandardCursor which);
void ShowCursorForRequest(CursorHandle cursor);

bool LaunchDefaultHandler(const std::string& address);

}  // namespace window_backend

// Offered by the framework to its backend. Runs message through target's message map; an
// exception escaping the handler is reported in a message box and the caller goes on.
std::intptr_t DeliverMessage(CWnd& target, const Message& message);

// The responder installed for message boxes; empty when the user answers them.
const MessageBoxResponder& InstalledMessageBoxResponder();
