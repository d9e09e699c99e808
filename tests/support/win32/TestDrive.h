// A real, size-limited drive for tests under Wine: tools/test-windows.sh mounts a small tmpfs,
// maps it to a drive letter of removable type and names the letter in VEXLORN_TEST_DRIVE (only
// tests read it). Tests skip with a clear message when it is not set. A named mutex keeps the
// tests of several test programs, which ctest runs at once, off the drive at the same time.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "framework/win32/Win32Api.h"

class TestDrive {
  public:
    TestDrive() {
        const char* letter = std::getenv("VEXLORN_TEST_DRIVE");
        if (letter == nullptr || *letter == '\0') return;
        m_root = std::string(letter) + "\\";
        m_mutex = CreateMutexW(nullptr, FALSE, L"VexlornTestDrive");
        const DWORD waited = WaitForSingleObject(m_mutex, 10 * 60 * 1000);
        m_owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        if (!m_owned) {
            m_error = "the test drive stayed in use by another test";
        } else if (GetDriveTypeW(std::wstring(m_root.begin(), m_root.end()).c_str()) !=
                   DRIVE_REMOVABLE) {
            m_error = m_root + " is not a removable drive";
        } else if (!Entries().empty()) {
            m_error = m_root + " is not empty; the tests fill only an empty test drive";
        } else {
            m_ready = true;
        }
    }
    // Empties the drive again: it was empty before, so everything on it is the test's.
    ~TestDrive() {
        if (m_ready) {
            std::error_code error;
            for (const std::wstring& name : Entries())
                std::filesystem::remove_all(std::filesystem::path(m_root) / name, error);
        }
        if (m_owned) ReleaseMutex(m_mutex);
        if (m_mutex != nullptr) CloseHandle(m_mutex);
    }
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    bool Named() const { return !m_root.empty(); }
    bool Ready() const { return m_ready; }
    const std::string& Error() const { return m_error; }
    // "R:\", as the drive list shows roots.
    const std::string& Root() const { return m_root; }
    // Bytes free for the caller on the drive, as the write pass will find them.
    std::uint64_t FreeBytes() const {
        ULARGE_INTEGER available{};
        const std::wstring root(m_root.begin(), m_root.end());
        if (!GetDiskFreeSpaceExW(root.c_str(), &available, nullptr, nullptr)) return 0;
        return available.QuadPart;
    }

  private:
    // The names in the root. A drive root has no "." and "..", so an empty one lists nothing at
    // all, which std::filesystem takes for a missing folder.
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        const std::wstring pattern = std::wstring(m_root.begin(), m_root.end()) + L"*";
        HANDLE search = FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND) names.push_back(L"(unreadable)");
            return names;
        }
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    std::string m_root;
    std::string m_error;
    HANDLE m_mutex = nullptr;
    bool m_owned = false;
    bool m_ready = false;
};

// Skips where no test drive is named; fails where one is named but cannot be used.
#define USE_TEST_DRIVE(drive)                                                            \
    if (!(drive).Named())                                                                \
        GTEST_SKIP() << "VEXLORN_TEST_DRIVE names no test drive (tools/test-windows.sh " \
                        "maps one)";                                                     \
    ASSERT_TRUE((drive).Ready()) << (drive).Error()
