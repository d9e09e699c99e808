// The main dialog as its user sees it, read from its widgets, and bounded waits for it to show a
// given state. For tests that drive the dialog inside its modal loop.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"

// The status control's text in the template, shown until the first pass starts.
inline constexpr char kTemplateStatus[] =
    "请一定按步骤进行鉴定！弹出TF卡/U盘/SD卡会比较慢，等耐心等候！";
inline constexpr char kWriteCaption[] = "1.写入数据";
inline constexpr char kStopCaption[] = "1.停止写入";

struct MainDialogView {
    bool writeEnabled = false;
    std::string writeCaption;
    bool verifyEnabled = false;
    bool listEnabled = false;
    std::string status;  // as the program set it, line breaks CR LF

    bool operator==(const MainDialogView&) const = default;
};

inline void PrintTo(const MainDialogView& view, std::ostream* out) {
    auto escaped = [](const std::string& text) {
        std::string shown;
        for (const char c : text)
            shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
        return shown;
    };
    *out << "{write " << (view.writeEnabled ? "enabled" : "disabled") << " \"" << view.writeCaption
         << "\", verify " << (view.verifyEnabled ? "enabled" : "disabled") << ", list "
         << (view.listEnabled ? "enabled" : "disabled") << ", status \"" << escaped(view.status)
         << "\"}";
}

inline GtkWidget* ControlWidget(const CDialog& dialog, int id) {
    return gtk_test::WidgetOf(dialog.GetDlgItem(id)->m_hWnd);
}

inline MainDialogView ViewOf(const CDialog& dialog) {
    MainDialogView view;
    GtkWidget* write = ControlWidget(dialog, IDOK);
    view.writeEnabled = gtk_widget_is_sensitive(write);
    view.writeCaption =
        gtk_label_get_text(GTK_LABEL(gtk_test::LabelOf(dialog.GetDlgItem(IDOK)->m_hWnd)));
    view.verifyEnabled = gtk_widget_is_sensitive(ControlWidget(dialog, IDC_VERIFY));
    view.listEnabled = gtk_widget_is_sensitive(ControlWidget(dialog, IDC_DRIVES));
    view.status = dialog.GetDlgItem(IDC_STATUS)->GetWindowText();
    return view;
}

// Whether the dialog comes to show `expected` within limit (ticks of its status timer included).
inline ::testing::AssertionResult ComesToShow(
    const CDialog& dialog, const MainDialogView& expected,
    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    if (gtk_test::PumpUntil([&] { return ViewOf(dialog) == expected; }, limit)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected " << ::testing::PrintToString(expected) << "\n     shows "
           << ::testing::PrintToString(ViewOf(dialog));
}

// Whether the buttons and the list come to be as given, whatever the status text: for cards written
// too fast for the status timer to show any progress.
inline ::testing::AssertionResult ButtonsComeToShow(
    const CDialog& dialog, bool writeEnabled, const std::string& writeCaption, bool verifyEnabled,
    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    auto buttonsAsGiven = [&] {
        const MainDialogView view = ViewOf(dialog);
        return view.writeEnabled == writeEnabled && view.writeCaption == writeCaption &&
               view.verifyEnabled == verifyEnabled && view.listEnabled;
    };
    if (gtk_test::PumpUntil(buttonsAsGiven, limit)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the buttons show " << ::testing::PrintToString(ViewOf(dialog));
}

// The drive list's items, in order, and its selection (-1: none).
inline std::vector<std::string> DriveListItems(const CDialog& dialog) {
    GtkComboBox* list = GTK_COMBO_BOX(ControlWidget(dialog, IDC_DRIVES));
    std::vector<std::string> items;
    GtkTreeModel* model = gtk_combo_box_get_model(list);
    GtkTreeIter item;
    for (bool more = gtk_tree_model_get_iter_first(model, &item); more;
         more = gtk_tree_model_iter_next(model, &item)) {
        gchar* text = nullptr;
        gtk_tree_model_get(model, &item, gtk_combo_box_get_entry_text_column(list), &text, -1);
        items.emplace_back(text ? text : "");
        g_free(text);
    }
    return items;
}

inline int DriveListSelection(const CDialog& dialog) {
    return gtk_combo_box_get_active(GTK_COMBO_BOX(ControlWidget(dialog, IDC_DRIVES)));
}

// The label text under the status control, as it appears on the screen (one line per line).
inline std::string ShownStatus(const CDialog& dialog) {
    return gtk_label_get_text(GTK_LABEL(gtk_test::LabelOf(dialog.GetDlgItem(IDC_STATUS)->m_hWnd)));
}
