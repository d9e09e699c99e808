// The framework's file layer: CFile over a FileSystem, which is either the platform's own
// (PlatformFileSystem) or a simulated medium in tests and the command line's demonstration.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

// A failure of the file layer. cause says what kind of failure it was; osError is the system's
// own error number (errno, or GetLastError on Windows), 0 when there was none.
class CFileException : public std::exception {
  public:
    enum Cause { generic, diskFull, hardIO, removedMedia, accessDenied };

    CFileException(Cause cause, int osError, std::string description);
    const char* what() const noexcept override { return m_description.c_str(); }

    Cause m_cause;
    int m_lOsError;

  private:
    std::string m_description;
};

// One open file, opened for reading and writing and held exclusively.
class OpenFile {
  public:
    virtual ~OpenFile() = default;  // closes the file if it is still open, ignoring failure

    // Reads up to count bytes at the current position; fewer (0 at the end) when the file ends
    // there.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
    // Writes count bytes at the current position; writing fewer is a failure (disk full).
    virtual void Write(const void* buffer, std::uint32_t count) = 0;
    // Closes the file; afterwards it counts as closed even if closing failed.
    virtual void Close() = 0;
};

// Where the passes find their files: the medium under test, real or simulated.
class FileSystem {
  public:
    enum class Disposition {
        createAlways,  // create the file, or truncate an existing one to zero length
        openExisting,  // open the file only if it exists
    };

    virtual ~FileSystem() = default;

    // Opens name for reading and writing with no sharing (a second opener is refused while it is
    // open). Returns nullptr when the file cannot be opened; nothing is raised.
    virtual std::unique_ptr<OpenFile> Open(const std::string& name, Disposition disposition) = 0;

    // Starts removing every regular file directly in root whose name ends in suffix (letters
    // compared without case) and returns without waiting for it. Failures go unnoticed.
    virtual void StartRemoveFiles(const std::string& root, const std::string& suffix) = 0;

    // Blocks until every removal started so far has ended. The window never waits; the command
    // line does, so that it can say the test files are gone.
    virtual void WaitForRemovals() = 0;
};

// The platform's real file system. It lives as long as the process.
FileSystem& PlatformFileSystem();

// The framework's file object: one file at a time, opened through a FileSystem. Read, Write and
// Close raise CFileException; a failed Open is a plain false result.
class CFile {
  public:
    explicit CFile(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() = default;  // releasing a file object that is still open closes it

    bool Open(const std::string& name, FileSystem::Disposition disposition);
    std::uint32_t Read(void* buffer, std::uint32_t count);
    void Write(const void* buffer, std::uint32_t count);
    void Close();  // closing a closed file object does nothing
    bool IsOpen() const { return m_file != nullptr; }

  private:
    FileSystem& m_fileSystem;
    std::unique_ptr<OpenFile> m_file;
};
