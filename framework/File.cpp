#include "framework/File.h"

#include <utility>

CFileException::CFileException(Cause cause, int osError, std::string description)
    : m_cause(cause), m_lOsError(osError), m_description(std::move(description)) {}

bool CFile::Open(const std::string& name, FileSystem::Disposition disposition) {
    Close();
    m_file = m_fileSystem.Open(name, disposition);
    return m_file != nullptr;
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count) {
    if (!m_file) throw CFileException(CFileException::generic, 0, "read from a closed file");
    return m_file->Read(buffer, count);
}

void CFile::Write(const void* buffer, std::uint32_t count) {
    if (!m_file) throw CFileException(CFileException::generic, 0, "write to a closed file");
    m_file->Write(buffer, count);
}

void CFile::Close() {
    if (!m_file) return;
    // The object counts as closed even when closing fails.
    std::unique_ptr<OpenFile> file = std::move(m_file);
    file->Close();
}
