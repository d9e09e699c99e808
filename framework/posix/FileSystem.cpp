// The real file system on POSIX: exclusive test files through open/read/write/close, and the
// removal of files by suffix on a thread of its own.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

#include "framework/File.h"
#include "framework/FileNameMatch.h"
#include "framework/Thread.h"

namespace {

CFileException::Cause CauseOf(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return CFileException::diskFull;
        case EIO:
            return CFileException::hardIO;
        case ENODEV:
        case ENXIO:
        case ENOENT:
        case ESTALE:
            return CFileException::removedMedia;
        case EACCES:
        case EPERM:
        case EROFS:
            return CFileException::accessDenied;
        default:
            return CFileException::generic;
    }
}

[[noreturn]] void Raise(const char* operation, int error) {
    throw CFileException(CauseOf(error), error,
                         std::string(operation) + ": " + std::strerror(error));
}

class PosixOpenFile final : public OpenFile {
  public:
    explicit PosixOpenFile(int descriptor) : m_descriptor(descriptor) {}
    ~PosixOpenFile() override {
        if (m_descriptor >= 0) ::close(m_descriptor);
    }

    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        for (;;) {
            ssize_t got = ::read(m_descriptor, buffer, count);
            if (got >= 0) return static_cast<std::uint32_t>(got);
            if (errno != EINTR) Raise("read", errno);
        }
    }

    void Write(const void* buffer, std::uint32_t count) override {
        for (;;) {
            ssize_t put = ::write(m_descriptor, buffer, count);
            if (put == static_cast<ssize_t>(count)) return;
            if (put >= 0) Raise("write", ENOSPC);  // a short write means the medium is full
            if (errno != EINTR) Raise("write", errno);
        }
    }

    void Close() override {
        int descriptor = m_descriptor;
        m_descriptor = -1;
        // Linux releases the descriptor even when close reports an error, so it is never retried.
        if (::close(descriptor) != 0 && errno != EINTR) Raise("close", errno);
    }

  private:
    int m_descriptor;
};

// Removes the matching regular files directly in root. Entries are examined through the
// directory's descriptor without following links, so nothing outside root is ever touched.
void RemoveMatchingFiles(const std::string& root, const std::string& suffix) {
    int directory = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0) return;
    DIR* listing = ::fdopendir(directory);
    if (listing == nullptr) {
        ::close(directory);
        return;
    }
    while (dirent* entry = ::readdir(listing)) {
        if (!EndsWithIgnoringCase(entry->d_name, suffix)) continue;
        struct stat status;
        if (::fstatat(directory, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(status.st_mode)) continue;
        ::unlinkat(directory, entry->d_name, 0);
    }
    ::closedir(listing);
}

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) override {
        // O_NOFOLLOW: a link planted under a test file's name must not redirect writes elsewhere.
        int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
        if (disposition == Disposition::createAlways) flags |= O_CREAT;
        int descriptor;
        do {
            descriptor = ::open(name.c_str(), flags, 0666);
        } while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0) return nullptr;
        auto file = std::make_unique<PosixOpenFile>(descriptor);

        struct stat status;
        if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
        if (!LockExclusively(descriptor)) return nullptr;
        // Truncate only once the lock is held, so another run's open file is never cut short.
        if (disposition == Disposition::createAlways && ::ftruncate(descriptor, 0) != 0)
            return nullptr;
        return file;
    }

    void StartRemoveFiles(const std::string& root, const std::string& suffix) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_removalsRunning;
        }
        bool started = StartWorkerThread([this, root, suffix] {
            RemoveMatchingFiles(root, suffix);
            FinishRemoval();
        });
        if (!started) FinishRemoval();
    }

    void WaitForRemovals() override {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_removalsEnded.wait(lock, [this] { return m_removalsRunning == 0; });
    }

  private:
    static bool LockExclusively(int descriptor) {
        for (;;) {
            if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) return true;
            if (errno == EINTR) continue;
            // File systems without locks still get tested; only a lock held by another opener
            // refuses.
            return errno != EWOULDBLOCK;
        }
    }

    void FinishRemoval() {
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_removalsRunning;
        m_removalsEnded.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_removalsEnded;
    int m_removalsRunning = 0;
};

}  // namespace

FileSystem& PlatformFileSystem() {
    // Never destroyed: a removal thread may still be running while the process exits.
    static auto* fileSystem = new PosixFileSystem;
    return *fileSystem;
}
