// What the sources of the GTK backend share: the record behind each window handle, and the
// style bits of dialog templates the backend reads.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/DialogLayout.h"
#include "framework/WindowBackend.h"

// Style bits as dialog templates number them.
namespace template_style {
inline constexpr std::uint32_t visible = 0x10000000;
inline constexpr std::uint32_t disabled = 0x08000000;
inline constexpr std::uint32_t tabStop = 0x00010000;
inline constexpr std::uint32_t buttonTypeMask = 0x000F;
inline constexpr std::uint32_t pushButton = 0x0000;
inline constexpr std::uint32_t defPushButton = 0x0001;
inline constexpr std::uint32_t groupBox = 0x0007;
inline constexpr std::uint32_t buttonMultiLine = 0x2000;
inline constexpr std::uint32_t staticTypeMask = 0x001F;
inline constexpr std::uint32_t staticLeft = 0x0000;
inline constexpr std::uint32_t staticCenter = 0x0001;
inline constexpr std::uint32_t staticRight = 0x0002;
inline constexpr std::uint32_t staticIcon = 0x0003;
inline constexpr std::uint32_t staticNoPrefix = 0x0080;
inline constexpr std::uint32_t staticNotify = 0x0100;
inline constexpr std::uint32_t comboTypeMask = 0x0003;
inline constexpr std::uint32_t comboDropDownList = 0x0003;
inline constexpr std::uint32_t comboSort = 0x0100;
inline constexpr std::uint32_t exAppWindow = 0x00040000;
}  // namespace template_style

enum class WindowKind { dialog, pushButton, staticText, staticIcon, groupBox, dropDownList };

struct TimerRecord {
    NativeWindow* window;
    std::uintptr_t id;
    guint source;
};

struct SystemMenuEntry {
    bool separator;
    unsigned id;
    std::string text;
};

// What a colour request last asked a control to look like.
struct AppliedColors {
    bool custom = false;
    ColorValue text = 0;
    bool opaqueBackground = false;
    ColorValue background = 0;
    bool operator==(const AppliedColors&) const = default;
};

// The parts only a dialog has.
struct DialogParts {
    GtkWidget* fixed = nullptr;  // the client area; controls sit on it at absolute positions
    GMainLoop* modalLoop = nullptr;
    DialogBaseUnits baseUnits;
    std::vector<std::unique_ptr<NativeWindow>> controls;  // template order = tab order
    std::vector<SystemMenuEntry> systemMenu;
    GtkWidget* contextMenu = nullptr;
    DeviceContextHandle paintContext = nullptr;  // while a paint message is handled
};

struct NativeWindow {
    WindowKind kind = WindowKind::dialog;
    CWnd* object = nullptr;
    int id = 0;
    std::uint32_t style = 0;
    std::string text;                // as the program gave it
    GtkWidget* widget = nullptr;     // the dialog's GtkWindow, or the control's outer widget
    GtkWidget* label = nullptr;      // the label that shows a control's text
    NativeWindow* parent = nullptr;  // a control's dialog, a dialog's owner
    std::map<std::uintptr_t, std::unique_ptr<TimerRecord>> timers;

    // Static controls with the notify style.
    guint32 lastPressTime = 0;
    double lastPressX = 0, lastPressY = 0;
    bool lastPressWasDouble = true;  // no click yet: the next one is a single click
    AppliedColors colors;
    GtkCssProvider* colorStyle = nullptr;

    // Drop-down lists: set while the program itself changes the selection.
    bool selectingByProgram = false;

    std::unique_ptr<DialogParts> dialog;  // dialogs only
};

struct DeviceContextTag {
    cairo_t* cairo = nullptr;
    ColorValue textColor = RgbColor(0, 0, 0);
    ColorValue backgroundColor = RgbColor(255, 255, 255);
    BackgroundMode backgroundMode = BackgroundMode::opaque;
};

namespace gtk_backend {

// Text of a dialog template in a GTK label: & marks the access key, && is a literal &.
std::string MnemonicText(const std::string& text);
// CR LF line breaks as GTK shows them.
std::string DisplayText(const std::string& text);

// The installed family that stands for face (a Chinese fallback when it is missing), and the
// base units of that font at point size.
std::string DialogFontFamily(const std::string& face);
DialogBaseUnits MeasureBaseUnits(GtkWidget* widget, const std::string& family, int pointSize);
// A style class that gives a dialog and everything in it that font, and controls as small as
// templates make them.
std::string DialogStyleClass(const std::string& family, int pointSize);

// Input of dialogs and controls.
void ConnectDialogInput(NativeWindow& dialog);
void ConnectControlInput(NativeWindow& control);
// Sends a command from control (or, with control null, from the dialog itself) to the dialog.
void SendCommand(NativeWindow& dialog, int id, unsigned code, NativeWindow* control);
// The window the pointer is over while a cursor request is handled; null at other times.
GdkWindow* CursorRequestWindow();
void ShowContextMenu(NativeWindow& dialog, const GdkEvent* trigger);
void DestroyContextMenu(NativeWindow& dialog);

// Colour requests and painting.
void ConnectControlColors(NativeWindow& control);
void ConnectDialogPaint(NativeWindow& dialog);
void ReleaseControlColors(NativeWindow& control);

void StopAllTimers(NativeWindow& window);

// Icons: from the bytes of an .ico file (null when they hold no image); the image of an icon
// nearest to size and larger, else its largest.
IconHandle LoadIconFile(std::string_view file);
GdkPixbuf* IconImage(IconHandle icon, int size);
GList* IconImages(IconHandle smallIcon, IconHandle bigIcon);

NativeWindow* ControlWithFocus(NativeWindow& dialog);

}  // namespace gtk_backend
