// GTK backend: opening an address with the desktop's handler for it (GIO, no command shell).
#include "framework/gtk/GtkBackend.h"

namespace window_backend {

bool LaunchDefaultHandler(const std::string& address) {
    GError* error = nullptr;
    const bool launched = g_app_info_launch_default_for_uri(address.c_str(), nullptr, &error);
    g_clear_error(&error);
    return launched;
}

}  // namespace window_backend
