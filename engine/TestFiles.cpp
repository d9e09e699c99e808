#include "engine/TestFiles.h"

Block TestPattern() {
    Block pattern;
    for (std::uint32_t k = 0; k < BYTES_PER_BLOCK; ++k) pattern[k] = static_cast<std::uint8_t>(k);
    return pattern;
}

StampedBlock::StampedBlock(std::uint32_t runId, std::uint32_t fileNumber) : m_bytes(TestPattern()) {
    Store(0, runId);
    Store(4, fileNumber);
    Store(8, 0);
}

void StampedBlock::SetFileNumber(std::uint32_t fileNumber) {
    Store(4, fileNumber);
}

void StampedBlock::SetBlockIndex(std::uint32_t blockIndex) {
    Store(8, blockIndex);
}

void StampedBlock::Store(std::size_t offset, std::uint32_t value) {
    for (std::size_t k = 0; k < 4; ++k)
        m_bytes[offset + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

std::string TestFileName(const std::string& root, std::uint32_t fileNumber) {
    return root + "test" + std::to_string(fileNumber) + TEST_FILE_SUFFIX;
}
