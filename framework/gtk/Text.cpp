// GTK backend: texts of dialog templates as GTK labels show them (access keys, line breaks).
#include "framework/gtk/GtkBackend.h"

namespace gtk_backend {

std::string MnemonicText(const std::string& text) {
    std::string mnemonic;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '&' && i + 1 < text.size()) {
            ++i;
            mnemonic += text[i] == '&' ? "&" : "_";
            if (text[i] != '&') {
                mnemonic += text[i] == '_' ? "__" : std::string(1, text[i]);
            }
        } else if (c == '_') {
            mnemonic += "__";
        } else {
            mnemonic += c;
        }
    }
    return DisplayText(mnemonic);
}

std::string DisplayText(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        shown += text[i];
    }
    return shown;
}

}  // namespace gtk_backend
