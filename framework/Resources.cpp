#include "framework/Resources.h"

#include "framework/WindowBackend.h"

std::string LoadString(unsigned id) {
    return window_backend::LoadStringResource(id);
}

IconHandle LoadProgramIcon(unsigned id) {
    return window_backend::LoadIconResource(id);
}
