// Vexlorn.exe started as a user starts it, and driven from this process as a person would: its
// windows found by class and caption, their texts read back through the window messages, buttons
// pressed with BM_CLICK. Everything is UTF-8 here and UTF-16 towards the system.
#pragma once

#include "framework/win32/Win32Api.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "framework/win32/WideText.h"

// Polls condition every 50 ms until it holds or the time is up; says whether it held.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The text of a window of another process, asked of the window itself.
inline std::string WindowText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    if (!window || !SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text),
                                        SMTO_ABORTIFHUNG, 5000, &copied))
        return std::string();
    return Utf8FromWide(std::wstring(text, copied));
}

inline std::string ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return Utf8FromWide(name);
}

class RunningProgram {
  public:
    // Starts the program at path (a Windows path, or a path of this machine's root, which Wine
    // shows as drive Z:).
    explicit RunningProgram(std::string path) {
        if (!path.empty() && path.front() == '/') path = "Z:" + path;
        for (char& c : path)
            if (c == '/') c = '\\';
        const std::wstring program = WideFromUtf8(path).value_or(L"");
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        m_started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &m_process) != FALSE;
        if (!m_started)
            m_error = "could not start " + path + " (error " + std::to_string(GetLastError()) + ")";
    }
    ~RunningProgram() {
        if (!m_started) return;
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_process.hProcess, 99);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_started; }
    const std::string& Error() const { return m_error; }

    // A visible dialog of the program's with that caption, and owned by owner unless it is null;
    // null when there is none.
    HWND FindDialog(const std::string& caption, HWND owner = nullptr) const {
        Search search{this, caption, owner, nullptr, false};
        EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND WaitForDialog(const std::string& caption, HWND owner = nullptr,
                       std::chrono::seconds limit = std::chrono::seconds(60)) const {
        HWND found = nullptr;
        WaitUntil([&] { return (found = FindDialog(caption, owner)) != nullptr; }, limit);
        return found;
    }

    // Whether a window of the program's of that class (a popup menu: "#32768") is on the screen.
    bool HasVisibleWindowOfClass(const std::string& windowClass) const {
        Search search{this, windowClass, nullptr, nullptr, true};
        EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }

    // The exit status once the program has ended within limit; nothing while it still runs.
    std::optional<DWORD> WaitForExit(std::chrono::seconds limit) const {
        if (WaitForSingleObject(m_process.hProcess, static_cast<DWORD>(limit.count() * 1000)) !=
            WAIT_OBJECT_0)
            return std::nullopt;
        DWORD status = 0;
        GetExitCodeProcess(m_process.hProcess, &status);
        return status;
    }

  private:
    struct Search {
        const RunningProgram* program;
        std::string caption;
        HWND owner;
        HWND found;
        bool byClass;  // caption names the window class instead
    };
    static BOOL CALLBACK Visit(HWND window, LPARAM context) {
        auto& search = *reinterpret_cast<Search*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != search.program->m_process.dwProcessId || !IsWindowVisible(window))
            return TRUE;
        const bool matches =
            search.byClass
                ? ClassName(window) == search.caption
                : ClassName(window) == "#32770" && WindowText(window) == search.caption &&
                      (!search.owner || GetWindow(window, GW_OWNER) == search.owner);
        if (matches) {
            search.found = window;
            return FALSE;
        }
        return TRUE;
    }

    PROCESS_INFORMATION m_process{};
    bool m_started = false;
    std::string m_error;
};

// Presses the button as a click would; the program handles it on its own thread.
inline void Press(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

// The drop-down list's entries and the selected one's index.
inline std::vector<std::string> ComboEntries(HWND combo) {
    std::vector<std::string> entries;
    const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring entry(length == CB_ERR ? 0 : static_cast<std::size_t>(length) + 1, L'\0');
        if (length == CB_ERR || SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                             reinterpret_cast<LPARAM>(entry.data())) == CB_ERR) {
            entries.push_back("(unreadable)");
            continue;
        }
        entry.resize(static_cast<std::size_t>(length));
        entries.push_back(Utf8FromWide(entry));
    }
    return entries;
}
