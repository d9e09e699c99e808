// A real, size-limited card for whole-program tests: an ext4 file system on a loop device,
// mounted in a mount namespace of the test's own, where a device tree of the test's making stands
// in for /sys and says that the loop device is a removable disk. The program's own drive listing
// then offers exactly this card, and Eject and ReInsert take it out and put it back as a card
// reader would. Needs root; Error() says why the card could not be made.
//
// The namespace is the calling thread's (the test's main thread, which runs the dialog and
// starts its workers, which inherit it); it stays in place for the rest of the process.
#pragma once

#include <fcntl.h>
#include <linux/loop.h>
#include <sched.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

extern char** environ;

class RemovableLoopCard {
  public:
    explicit RemovableLoopCard(std::uint64_t bytes) {
        if (::unshare(CLONE_NEWNS) != 0) {
            Fail("unshare(CLONE_NEWNS)");
            return;
        }
        // Nothing mounted from here on reaches the rest of the system.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            Fail("making the mounts private");
            return;
        }
        if (!MakeImage(bytes) || !AttachLoopDevice() || !MountCard() || !FakeDeviceTree()) return;
        m_ready = true;
    }

    ~RemovableLoopCard() {
        if (m_sysMounted) ::umount2("/sys", MNT_DETACH);
        if (m_mounted) ::umount2(m_mountPoint.c_str(), MNT_DETACH);
        if (!m_mountPoint.empty()) ::rmdir(m_mountPoint.c_str());
        // The device was attached to clear itself once neither a mount nor this holds it.
        if (m_loop >= 0) ::close(m_loop);
        if (m_image >= 0) ::close(m_image);
        if (!m_imagePath.empty()) ::unlink(m_imagePath.c_str());
    }
    RemovableLoopCard(const RemovableLoopCard&) = delete;
    RemovableLoopCard& operator=(const RemovableLoopCard&) = delete;

    bool Ready() const { return m_ready; }
    const std::string& Error() const { return m_error; }
    // The mount point with a trailing '/', as the drive list shows it.
    std::string Root() const { return m_mountPoint + "/"; }

    // Takes the card out (its file system is unmounted: nothing of it stays cached) and puts it
    // back at the same place. False, with Error() set, when either fails.
    bool Eject() {
        if (::umount2(m_mountPoint.c_str(), 0) != 0) return Fail("unmounting the card");
        m_mounted = false;
        return true;
    }
    bool ReInsert() { return MountCard(); }

  private:
    bool Fail(const std::string& what) {
        m_error = what + ": " + std::strerror(errno) +
                  "; the whole-program test needs root, loop devices and mkfs.ext4";
        return false;
    }

    bool MakeImage(std::uint64_t bytes) {
        char path[] = "/tmp/vexlorn-card-XXXXXX";
        m_image = ::mkstemp(path);
        if (m_image < 0) return Fail("creating the card image");
        m_imagePath = path;
        if (::ftruncate(m_image, static_cast<off_t>(bytes)) != 0) return Fail("sizing the image");
        // No journal and no blocks reserved for root: what the card holds is what can be written.
        const char* argv[] = {"mkfs.ext4", "-q",           "-F", "-m",   "0",
                              "-O",        "^has_journal", path, nullptr};
        pid_t child = 0;
        int status = 0;
        if (::posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) !=
                0 ||
            ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            return Fail("mkfs.ext4 on the image");
        }
        return true;
    }

    bool AttachLoopDevice() {
        const int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
        if (control < 0) return Fail("opening /dev/loop-control");
        // Another test may take the same free device first; then ask again.
        for (int attempt = 0; attempt < 20 && m_loop < 0; ++attempt) {
            const int number = ::ioctl(control, LOOP_CTL_GET_FREE);
            if (number < 0) break;
            const std::string device = "/dev/loop" + std::to_string(number);
            const int loop = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
            if (loop < 0) continue;
            loop_config config{};
            config.fd = static_cast<__u32>(m_image);
            config.info.lo_flags = LO_FLAGS_AUTOCLEAR;
            if (::ioctl(loop, LOOP_CONFIGURE, &config) != 0) {
                ::close(loop);
                continue;
            }
            m_loop = loop;
            m_device = device;
        }
        ::close(control);
        if (m_loop < 0) return Fail("attaching a loop device");
        struct stat status {};
        if (::fstat(m_loop, &status) != 0) return Fail("stat of the loop device");
        m_deviceNumber = status.st_rdev;
        return true;
    }

    bool MountCard() {
        if (m_mountPoint.empty()) {
            char folder[] = "/tmp/vexlorn-card-XXXXXX";
            if (::mkdtemp(folder) == nullptr) return Fail("creating the mount point");
            m_mountPoint = folder;
        }
        if (::mount(m_device.c_str(), m_mountPoint.c_str(), "ext4", MS_NOSUID | MS_NODEV,
                    nullptr) != 0) {
            return Fail("mounting the card");
        }
        m_mounted = true;
        return true;
    }

    // The device tree as sysfs shows a removable disk: dev/block/MAJOR:MINOR links to the disk's
    // folder under devices/, whose attribute "removable" holds 1.
    bool FakeDeviceTree() {
        if (::mount("vexlorn-sysfs", "/sys", "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                    "size=64k,mode=0755") != 0) {
            return Fail("mounting a device tree over /sys");
        }
        m_sysMounted = true;
        namespace fs = std::filesystem;
        const std::string name = fs::path(m_device).filename();
        const std::string number =
            std::to_string(major(m_deviceNumber)) + ":" + std::to_string(minor(m_deviceNumber));
        const fs::path disk = fs::path("/sys/devices/virtual/block") / name;
        std::error_code error;
        fs::create_directories(disk, error);
        fs::create_directories("/sys/dev/block", error);
        fs::create_directory_symlink("../../devices/virtual/block/" + name,
                                     fs::path("/sys/dev/block") / number, error);
        if (error) return Fail("building the device tree (" + error.message() + ")");
        std::ofstream(disk / "removable") << "1\n";
        std::ofstream(disk / "dev") << number << "\n";
        return fs::exists(fs::path("/sys/dev/block") / number / "removable") ||
               Fail("building the device tree");
    }

    std::string m_imagePath;
    std::string m_device;
    std::string m_mountPoint;
    std::string m_error;
    dev_t m_deviceNumber = 0;
    int m_image = -1;
    int m_loop = -1;
    bool m_mounted = false;
    bool m_sysMounted = false;
    bool m_ready = false;
};

#define SKIP_UNLESS_READY(card) \
    if (!(card).Ready()) GTEST_SKIP() << (card).Error()
