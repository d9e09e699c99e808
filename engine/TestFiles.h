// What the write and verify passes agree on: the block pattern and its stamp, the test files'
// names and size, and how progress is counted in MiB.
#pragma once

#include <array>
#include <cstdint>
#include <string>

inline constexpr std::uint32_t BYTES_PER_BLOCK = 256;
inline constexpr std::uint32_t BLOCKS_PER_FILE = 0x400000;  // 1 GiB per test file
inline constexpr std::uint32_t BLOCKS_PER_MB = 4096;
inline constexpr std::uint32_t MB_PER_FILE = BLOCKS_PER_FILE / BLOCKS_PER_MB;

inline constexpr char TEST_FILE_SUFFIX[] = ".vexlorn";

using Block = std::array<std::uint8_t, BYTES_PER_BLOCK>;

// Byte k holds k.
Block TestPattern();

// The block expected at block index blockIndex of test file fileNumber in run runId: the
// pattern with bytes 0-3 the run id, 4-7 the file number and 8-11 the block index, little-endian.
// The stamp is what tells a block from a copy of another place (wrapped or stuck addresses) or
// from an earlier run's data.
class StampedBlock {
  public:
    StampedBlock(std::uint32_t runId, std::uint32_t fileNumber);
    void SetFileNumber(std::uint32_t fileNumber);
    void SetBlockIndex(std::uint32_t blockIndex);
    const Block& Bytes() const { return m_bytes; }

  private:
    void Store(std::size_t offset, std::uint32_t value);
    Block m_bytes;
};

// "ROOTtestN.vexlorn": the root as given, then the file number in decimal.
std::string TestFileName(const std::string& root, std::uint32_t fileNumber);

// Whole MiB at block blockIndex of file fileNumber: blockIndex / 4096 + 1024 * fileNumber, in
// 32-bit arithmetic. The verify pass passes the index of the block just compared, the write pass
// the count of blocks written so far.
inline std::uint32_t MegabytesAt(std::uint32_t fileNumber, std::uint32_t blockIndex) {
    return blockIndex / BLOCKS_PER_MB + MB_PER_FILE * fileNumber;
}
