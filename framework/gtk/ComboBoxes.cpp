// GTK backend: drop-down lists (GtkComboBoxText, items in the order added, no typing).
#include "framework/gtk/GtkBackend.h"

namespace {

GtkComboBox* Combo(WindowHandle window) {
    return GTK_COMBO_BOX(window->widget);
}

}  // namespace

namespace window_backend {

int ComboAddItem(WindowHandle combo, const std::string& text) {
    if (combo->kind != WindowKind::dropDownList) {
        return -1;
    }
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo->widget), text.c_str());
    return ComboCount(combo) - 1;
}

int ComboSelect(WindowHandle combo, int index) {
    if (combo->kind != WindowKind::dropDownList || index < -1 || index >= ComboCount(combo)) {
        return -1;
    }
    combo->selectingByProgram = true;
    gtk_combo_box_set_active(Combo(combo), index);
    combo->selectingByProgram = false;
    return index;
}

int ComboSelection(WindowHandle combo) {
    return combo->kind == WindowKind::dropDownList ? gtk_combo_box_get_active(Combo(combo)) : -1;
}

int ComboCount(WindowHandle combo) {
    if (combo->kind != WindowKind::dropDownList) {
        return 0;
    }
    return gtk_tree_model_iter_n_children(gtk_combo_box_get_model(Combo(combo)), nullptr);
}

bool ComboItemText(WindowHandle combo, int index, std::string& text) {
    if (combo->kind != WindowKind::dropDownList || index < 0) {
        return false;
    }
    GtkTreeModel* model = gtk_combo_box_get_model(Combo(combo));
    GtkTreeIter item;
    if (!gtk_tree_model_iter_nth_child(model, &item, nullptr, index)) {
        return false;
    }
    gchar* value = nullptr;
    gtk_tree_model_get(model, &item, gtk_combo_box_get_entry_text_column(Combo(combo)), &value, -1);
    text = value ? value : "";
    g_free(value);
    return true;
}

}  // namespace window_backend
