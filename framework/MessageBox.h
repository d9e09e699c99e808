// Message boxes: modal, owned by a window, with the application's name as caption unless one is
// given. Tests answer them through a responder instead of a person.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/WindowTypes.h"

enum class MessageBoxButtons { ok, okCancel };
enum class MessageBoxIcon { none, error };

// A box owned by the innermost modal dialog that is open (none when no dialog is open). Returns
// IDOK or IDCANCEL.
int AfxMessageBox(const std::string& text, MessageBoxButtons buttons = MessageBoxButtons::ok,
                  MessageBoxIcon icon = MessageBoxIcon::none);

// What a message box shows once it is on the screen, read back from the box itself.
struct ShownMessageBox {
    WindowHandle owner = nullptr;
    bool ownerEnabled = false;  // whether the owner still takes input while the box is up
    bool modal = false;
    std::string caption;
    std::string text;
    std::vector<std::string> buttons;  // captions, left to right
    bool hasIcon = false;
};

// Answers a message box that is on the screen: returns the button to press, IDOK or IDCANCEL.
using MessageBoxResponder = std::function<int(const ShownMessageBox&)>;

// Installs responder for every message box from now on (an empty one gives them back to the
// user) and returns the one installed before.
MessageBoxResponder SetMessageBoxResponder(MessageBoxResponder responder);
