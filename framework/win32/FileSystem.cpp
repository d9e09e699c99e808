// The real file system on Windows: exclusive test files through CreateFileW, ReadFile, WriteFile
// and CloseHandle, and the removal of the test files by the command interpreter's del, started
// hidden. Names are UTF-8 and reach Windows as UTF-16, so they work whatever the ANSI code page.
#include "framework/win32/Win32Api.h"

#include <mutex>
#include <string>
#include <vector>

#include "framework/File.h"
#include "framework/win32/CleanUpCommand.h"
#include "framework/win32/WideText.h"

namespace {

CFileException::Cause CauseOf(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return CFileException::diskFull;
        case ERROR_CRC:
        case ERROR_IO_DEVICE:
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_SECTOR_NOT_FOUND:
            return CFileException::hardIO;
        case ERROR_NOT_READY:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_FILE_INVALID:  // the volume was changed under the open file
            return CFileException::removedMedia;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return CFileException::accessDenied;
        default:
            return CFileException::generic;
    }
}

std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return "Windows error " + std::to_string(error);
    return Utf8FromWide(message);
}

[[noreturn]] void Raise(const char* operation, DWORD error) {
    throw CFileException(CauseOf(error), static_cast<int>(error),
                         std::string(operation) + ": " + SystemMessage(error));
}

class Win32OpenFile final : public OpenFile {
  public:
    explicit Win32OpenFile(HANDLE handle) : m_handle(handle) {}
    ~Win32OpenFile() override {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }

    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        DWORD got = 0;
        if (!ReadFile(m_handle, buffer, count, &got, nullptr)) Raise("read", GetLastError());
        return got;
    }

    void Write(const void* buffer, std::uint32_t count) override {
        DWORD put = 0;
        if (!WriteFile(m_handle, buffer, count, &put, nullptr)) Raise("write", GetLastError());
        if (put != count)
            Raise("write", ERROR_DISK_FULL);  // a short write means the medium is full
    }

    void Close() override {
        HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        if (!CloseHandle(handle)) Raise("close", GetLastError());
    }

  private:
    HANDLE m_handle;
};

class Win32FileSystem final : public FileSystem {
  public:
    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override {
        const std::optional<std::wstring> wideName = WideFromUtf8(name);
        if (!wideName) return nullptr;
        // Read and write access, no sharing, an inheritable handle with the default descriptor,
        // and no flag beyond the normal attribute: the data goes through the system's cache.
        SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE handle =
            CreateFileW(wideName->c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security,
                        disposition == Disposition::createAlways ? CREATE_ALWAYS : OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        auto file = std::make_unique<Win32OpenFile>(handle);
        // CON, NUL and the other device names open in any folder; only a file on a disk will do.
        if (GetFileType(handle) != FILE_TYPE_DISK) return nullptr;
        return file;
    }

    void StartRemoveFiles(const std::string& root, const std::string& suffix) override {
        std::optional<std::wstring> commandLine = CleanUpCommandLine(root, suffix);
        if (!commandLine) return;
        const std::wstring interpreter = CommandInterpreterPath();
        if (interpreter.empty()) return;

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION process{};
        // The interpreter is named by its full path so that no cmd.exe in the program's or the
        // current folder is run instead. No handle is inherited: an open test file held by the
        // command would keep del from removing it.
        if (!CreateProcessW(interpreter.c_str(), commandLine->data(), nullptr, nullptr, FALSE,
                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
            return;
        CloseHandle(process.hThread);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_removals.push_back(process.hProcess);
    }

    void WaitForRemovals() override {
        std::vector<HANDLE> removals;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            removals.swap(m_removals);
        }
        for (HANDLE process : removals) {
            WaitForSingleObject(process, INFINITE);
            CloseHandle(process);
        }
    }

  private:
    static std::wstring CommandInterpreterPath() {
        wchar_t folder[MAX_PATH];
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return std::wstring();
        return std::wstring(folder, length) + L"\\cmd.exe";
    }

    std::mutex m_mutex;
    std::vector<HANDLE> m_removals;  // processes started and not yet waited for
};

}  // namespace

FileSystem& PlatformFileSystem() {
    // Never destroyed: a worker may still use it while the process exits.
    static auto* fileSystem = new Win32FileSystem;
    return *fileSystem;
}
