// A real, size-limited file system for tests: a tmpfs of the given size mounted on a fresh
// folder. Mounting needs root; tests skip with a clear message where it is not permitted.
#pragma once

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

class SizeLimitedMount {
  public:
    explicit SizeLimitedMount(const std::string& size) {
        char folder[] = "/tmp/vexlorn-medium-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            m_error = std::string("mkdtemp: ") + std::strerror(errno);
            return;
        }
        m_folder = folder;
        const std::string options = "size=" + size + ",mode=0755";
        if (::mount("vexlorn-test", folder, "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
            m_error = std::string("cannot mount a tmpfs (") + std::strerror(errno) +
                      "); run the tests as root to include the real-medium tests";
            return;
        }
        m_mounted = true;
    }
    ~SizeLimitedMount() {
        if (m_mounted) ::umount2(m_folder.c_str(), MNT_DETACH);
        if (!m_folder.empty()) ::rmdir(m_folder.c_str());
    }
    SizeLimitedMount(const SizeLimitedMount&) = delete;
    SizeLimitedMount& operator=(const SizeLimitedMount&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& Error() const { return m_error; }
    // The mount point with a trailing '/', as the drive list shows roots.
    std::string Root() const { return m_folder + "/"; }

  private:
    std::string m_folder;
    std::string m_error;
    bool m_mounted = false;
};

#define SKIP_UNLESS_MOUNTED(mount) \
    if (!(mount).Mounted()) GTEST_SKIP() << (mount).Error()
