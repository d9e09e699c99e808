// GTK backend: the program's strings and icons, from the resource script embedded in it.
#include <map>

#include "framework/ScriptResources.h"
#include "framework/gtk/GtkBackend.h"

namespace window_backend {

IconHandle LoadIconResource(unsigned id) {
    // Icons are never released: the registry lives as long as the process.
    static auto& loaded = *new std::map<unsigned, IconHandle>;
    if (const auto found = loaded.find(id); found != loaded.end()) {
        return found->second;
    }
    const std::string_view file = ProgramIconFile(id);
    const IconHandle icon = file.empty() ? nullptr : gtk_backend::LoadIconFile(file);
    loaded.emplace(id, icon);
    return icon;
}

std::string LoadStringResource(unsigned id) {
    const auto& strings = ProgramResources().strings;
    const auto found = strings.find(static_cast<int>(id));
    return found == strings.end() ? std::string() : found->second;
}

}  // namespace window_backend
