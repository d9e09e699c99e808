#include "framework/SimulatedMedium.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Disposition = FileSystem::Disposition;
using BeyondRealSize = SimulatedMediumConfig::BeyondRealSize;

constexpr std::uint32_t kBlock = SimulatedMedium::BYTES_PER_SECTOR;
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;
const std::string kRoot = "sim:/";
const std::string kTest0 = kRoot + "test0.vexlorn";
const std::string kTest1 = kRoot + "test1.vexlorn";

// Puts the three little-endian stamps of a test block into its bytes 0-11.
void Stamp(std::uint8_t* block, std::uint32_t runId, std::uint32_t fileNumber,
           std::uint32_t blockIndex) {
    const std::array<std::uint32_t, 3> stamps{runId, fileNumber, blockIndex};
    for (std::size_t s = 0; s < stamps.size(); ++s)
        for (std::size_t b = 0; b < 4; ++b)
            block[4 * s + b] = static_cast<std::uint8_t>(stamps[s] >> (8 * b));
}

// A block as the write pass makes it: byte k = k, apart from the stamps.
Bytes StampedBlock(std::uint32_t runId, std::uint32_t fileNumber, std::uint32_t blockIndex) {
    Bytes block(kBlock);
    for (std::uint32_t k = 0; k < kBlock; ++k) block[k] = static_cast<std::uint8_t>(k);
    Stamp(block.data(), runId, fileNumber, blockIndex);
    return block;
}

Bytes RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    return bytes;
}

Bytes Concatenated(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

SimulatedMediumConfig Honest(std::uint64_t bytes) {
    return {.reportedBytes = bytes};
}

std::unique_ptr<OpenFile> Create(SimulatedMedium& medium, const std::string& name) {
    auto file = medium.Open(name, Disposition::createAlways);
    EXPECT_NE(file, nullptr) << name;
    return file;
}

// Writes blocks stamped 0..count-1 with the given run id, one Write per block.
void WriteStampedFile(SimulatedMedium& medium, const std::string& name, std::uint32_t runId,
                      std::uint32_t count) {
    auto file = Create(medium, name);
    for (std::uint32_t i = 0; i < count; ++i) file->Write(StampedBlock(runId, 0, i).data(), kBlock);
    file->Close();
}

// Reads a whole file through Open and Read, requestSize bytes at a time.
Bytes ReadThroughOpen(SimulatedMedium& medium, const std::string& name,
                      std::uint32_t requestSize = kBlock) {
    auto file = medium.Open(name, Disposition::openExisting);
    EXPECT_NE(file, nullptr) << name;
    if (file == nullptr) return {};
    Bytes all;
    Bytes buffer(requestSize);
    while (const std::uint32_t got = file->Read(buffer.data(), requestSize))
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    file->Close();
    return all;
}

CFileException::Cause CauseOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CFileException& failure) {
        return failure.m_cause;
    }
    ADD_FAILURE() << "no CFileException";
    return CFileException::generic;
}

TEST(SimulatedMedium, WriteBeyondCapacityFailsAndStoresNothingOfIt) {
    SimulatedMedium medium(kRoot, Honest(4 * kBlock));
    auto file = Create(medium, kTest0);
    for (std::uint32_t i = 0; i < 3; ++i) file->Write(StampedBlock(7, 0, i).data(), kBlock);

    const Bytes twoBlocks = Concatenated({StampedBlock(7, 0, 3), StampedBlock(7, 0, 4)});
    EXPECT_EQ(CauseOf([&] { file->Write(twoBlocks.data(), 2 * kBlock); }),
              CFileException::diskFull);
    EXPECT_EQ(medium.FileSize(kTest0), 3 * kBlock);

    // The refused write took no sector: the last one is still there for a write that fits.
    file->Write(twoBlocks.data(), kBlock);
    EXPECT_EQ(CauseOf([&] { file->Write(twoBlocks.data(), 1); }), CFileException::diskFull);
    file->Close();
    EXPECT_EQ(ReadThroughOpen(medium, kTest0),
              Concatenated({StampedBlock(7, 0, 0), StampedBlock(7, 0, 1), StampedBlock(7, 0, 2),
                            StampedBlock(7, 0, 3)}));
}

TEST(SimulatedMedium, FilesShareTheCapacityInWholeSectors) {
    SimulatedMedium medium(kRoot, Honest(3 * kBlock));
    medium.AddFile(kRoot + "small.txt", Bytes(10, 0xAB));  // one byte more than a sector needs:
    medium.AddFile(kRoot + "large.txt", Bytes(kBlock + 1, 0xCD));  // two sectors
    auto file = Create(medium, kTest0);
    EXPECT_EQ(CauseOf([&] { file->Write(StampedBlock(1, 0, 0).data(), 1); }),
              CFileException::diskFull);
    file->Close();
    const Bytes replacement = RandomBytes(2 * kBlock, 6);  // a full medium still lets a file be
    medium.AddFile(kRoot + "large.txt", replacement);      // replaced by one of its size
    EXPECT_EQ(medium.ReadFileBytes(kRoot + "large.txt", 0, 2 * kBlock), replacement);

    medium.StartRemoveFiles(kRoot, ".txt");
    medium.WaitForRemovals();
    WriteStampedFile(medium, kTest0, 1, 3);  // the freed sectors are usable again, all three
    EXPECT_EQ(medium.FileSize(kTest0), 3 * kBlock);
}

TEST(SimulatedMedium, FreedGapsAreReusedWithoutOverlap) {
    // Sectors: a.keep 0, b.del 1, c.del 2, d.keep 3, e.del 4, free 5-7. Removing the .del files
    // leaves the gaps 1-2 and 4-7, which a new file fills in two pieces.
    SimulatedMedium medium(kRoot, Honest(8 * kBlock));
    const std::vector<std::string> names = {"a.keep", "b.del", "c.del", "d.keep", "e.del"};
    for (unsigned i = 0; i < names.size(); ++i)
        medium.AddFile(kRoot + names[i], RandomBytes(kBlock, i));
    medium.StartRemoveFiles(kRoot, ".del");

    auto file = Create(medium, kTest0);
    std::uint32_t blocks = 0;
    try {
        for (;; ++blocks) file->Write(StampedBlock(2, 0, blocks).data(), kBlock);
    } catch (const CFileException& failure) {
        EXPECT_EQ(failure.m_cause, CFileException::diskFull);
    }
    file->Close();
    EXPECT_EQ(blocks, 6u);
    Bytes expected;
    for (std::uint32_t i = 0; i < blocks; ++i) {
        const Bytes block = StampedBlock(2, 0, i);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    EXPECT_EQ(ReadThroughOpen(medium, kTest0), expected);
    EXPECT_EQ(medium.ReadFileBytes(kRoot + "a.keep", 0, kBlock), RandomBytes(kBlock, 0));
    EXPECT_EQ(medium.ReadFileBytes(kRoot + "d.keep", 0, kBlock), RandomBytes(kBlock, 3));
}

TEST(SimulatedMedium, AlreadyFullMediumCreatesFilesButTakesNoData) {
    const std::vector<std::pair<const char*, std::uint64_t>> cases = {
        {"no capacity", 0},
        {"filled by a foreign file", 8 * kBlock},
    };
    for (const auto& [label, capacity] : cases) {
        SCOPED_TRACE(label);
        SimulatedMedium medium(kRoot, Honest(capacity));
        if (capacity > 0) medium.AddFile(kRoot + "photo.jpg", RandomBytes(capacity, 1));
        auto file = Create(medium, kTest0);
        EXPECT_EQ(CauseOf([&] { file->Write(StampedBlock(1, 0, 0).data(), kBlock); }),
                  CFileException::diskFull);
        file->Close();
        EXPECT_EQ(medium.FileSize(kTest0), 0u);
        EXPECT_THROW(medium.AddFile(kRoot + "more.jpg", Bytes(1)), CFileException);
        EXPECT_FALSE(medium.FileSize(kRoot + "more.jpg").has_value());
    }
}

TEST(SimulatedMedium, RoundTripIsLosslessForPatternedAndArbitrarySectors) {
    Bytes nearlyPatterned = StampedBlock(3, 0, 9);
    nearlyPatterned[255] ^= 0x80;  // must not be mistaken for a patterned sector
    Bytes patternedButForByte12 = StampedBlock(3, 0, 10);
    patternedButForByte12[12] = 0;
    const Bytes content =
        Concatenated({StampedBlock(0xDEADBEEF, 5, 0), RandomBytes(kBlock, 2), nearlyPatterned,
                      patternedButForByte12, StampedBlock(0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF),
                      RandomBytes(3 * kBlock + 77, 3)});
    SimulatedMedium medium(kRoot, Honest(64 * kBlock));

    // Written in pieces that do not line up with sectors, read back in several request sizes.
    auto file = Create(medium, kTest0);
    const std::array<std::size_t, 6> pieces{1, 100, 300, 256, 1000, 511};
    std::size_t written = 0;
    for (std::size_t i = 0; written < content.size(); ++i) {
        const std::size_t piece = std::min(pieces[i % pieces.size()], content.size() - written);
        file->Write(content.data() + written, static_cast<std::uint32_t>(piece));
        written += piece;
    }
    file->Close();
    ASSERT_EQ(medium.FileSize(kTest0), content.size());
    for (std::uint32_t requestSize : {1u, 7u, 256u, 4096u})
        EXPECT_EQ(ReadThroughOpen(medium, kTest0, requestSize), content) << requestSize;

    // Recreating the file lands on the same sectors: patterned over arbitrary and back again.
    for (unsigned round = 0; round < 2; ++round) {
        Bytes flipped;
        for (std::size_t block = 0; block * kBlock < content.size(); ++block) {
            const bool arbitrary = (block + round) % 2 == 0;
            const Bytes next = arbitrary
                                   ? RandomBytes(kBlock, 10 + static_cast<unsigned>(block))
                                   : StampedBlock(round, 1, static_cast<std::uint32_t>(block));
            flipped.insert(flipped.end(), next.begin(), next.end());
        }
        medium.AddFile(kTest0, flipped);
        EXPECT_EQ(ReadThroughOpen(medium, kTest0), flipped) << round;
    }
}

struct MappingCase {
    const char* label;
    SimulatedMediumConfig config;
    // Which of the 8 blocks written each block reads back as; -1: the erased value.
    std::array<int, 8> readsAs;
};

void PrintTo(const MappingCase& mapping, std::ostream* out) {
    *out << mapping.label;
}

class SimulatedMediumMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(SimulatedMediumMapping, BlocksReadBackFromWhereTheyLanded) {
    const MappingCase& mapping = GetParam();
    SimulatedMedium medium(kRoot, mapping.config);
    WriteStampedFile(medium, kTest0, 42, 8);  // logical sectors 0..7
    ASSERT_EQ(medium.FileSize(kTest0), 8 * kBlock);
    const Bytes content = ReadThroughOpen(medium, kTest0);
    ASSERT_EQ(content.size(), 8 * kBlock);
    for (std::uint32_t i = 0; i < 8; ++i) {
        const int source = mapping.readsAs[i];
        const Bytes expected = source < 0 ? Bytes(kBlock, mapping.config.erasedValue)
                                          : StampedBlock(42, 0, static_cast<std::uint32_t>(source));
        EXPECT_EQ(Bytes(content.begin() + i * kBlock, content.begin() + (i + 1) * kBlock), expected)
            << "block " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SimulatedMediumMapping,
    testing::Values(
        MappingCase{"honest", Honest(8 * kBlock), {0, 1, 2, 3, 4, 5, 6, 7}},
        MappingCase{"wrapAround",
                    {.reportedBytes = 8 * kBlock, .realBytes = 3 * kBlock},
                    {6, 7, 5, 6, 7, 5, 6, 7}},
        MappingCase{"discardErasedZero",
                    {.reportedBytes = 8 * kBlock,
                     .realBytes = 5 * kBlock,
                     .beyondRealSize = BeyondRealSize::discard},
                    {0, 1, 2, 3, 4, -1, -1, -1}},
        MappingCase{"discardErasedFF",
                    {.reportedBytes = 8 * kBlock,
                     .realBytes = 5 * kBlock,
                     .beyondRealSize = BeyondRealSize::discard,
                     .erasedValue = 0xFF},
                    {0, 1, 2, 3, 4, -1, -1, -1}},
        // Bit 1 stuck at 0: sectors 2, 3, 6, 7 land on 0, 1, 4, 5.
        MappingCase{"stuckBit",
                    {.reportedBytes = 8 * kBlock, .stuckAddressBit = 1},
                    {2, 3, 2, 3, 6, 7, 6, 7}},
        // Physical = (logical mod 4) with bit 0 cleared: {0,1,4,5} -> 0 and {2,3,6,7} -> 2.
        MappingCase{"wrapAroundAndStuckBit",
                    {.reportedBytes = 8 * kBlock, .realBytes = 4 * kBlock, .stuckAddressBit = 0},
                    {5, 5, 7, 7, 5, 5, 7, 7}}),
    [](const testing::TestParamInfo<MappingCase>& info) { return info.param.label; });

TEST(SimulatedMedium, UnwrittenPlacesReadAsTheErasedValue) {
    // The second file's sectors 4..7 are discarded; the first file, on real sectors, is intact.
    SimulatedMedium medium(kRoot, {.reportedBytes = 8 * kBlock,
                                   .realBytes = 4 * kBlock,
                                   .beyondRealSize = BeyondRealSize::discard,
                                   .erasedValue = 0xFF});
    const Bytes first = RandomBytes(4 * kBlock, 4);
    medium.AddFile(kRoot + "first.bin", first);
    medium.AddFile(kRoot + "second.bin", RandomBytes(4 * kBlock, 5));
    EXPECT_EQ(medium.ReadFileBytes(kRoot + "first.bin", 0, 4 * kBlock), first);
    EXPECT_EQ(medium.ReadFileBytes(kRoot + "second.bin", 100, 4 * kBlock),
              Bytes(4 * kBlock - 100, 0xFF));
}

TEST(SimulatedMedium, ReadsAreCorruptedFromAPhysicalOffsetOn) {
    // Real store of 4 sectors with corruption from physical byte 3*256+100: logical sectors 3 and
    // 7 both land on physical sector 3, and only its bytes 100.. come back changed.
    constexpr std::uint64_t corruptFrom = 3 * kBlock + 100;
    SimulatedMedium medium(kRoot, {.reportedBytes = 8 * kBlock,
                                   .realBytes = 4 * kBlock,
                                   .corruptReadsFromPhysicalByte = corruptFrom});
    WriteStampedFile(medium, kTest0, 9, 8);
    const Bytes content = ReadThroughOpen(medium, kTest0);
    ASSERT_EQ(content.size(), 8 * kBlock);
    for (std::uint32_t i = 0; i < 8; ++i) {
        const Bytes stored = StampedBlock(9, 0, i < 4 ? i + 4 : i);
        for (std::uint32_t k = 0; k < kBlock; ++k) {
            const bool corrupted = (i % 4) * kBlock + k >= corruptFrom;
            const std::uint8_t got = content[i * kBlock + k];
            if (corrupted)
                EXPECT_NE(got, stored[k]) << "block " << i << " byte " << k;
            else
                EXPECT_EQ(got, stored[k]) << "block " << i << " byte " << k;
        }
    }
    // Inspection shows what a Read shows.
    EXPECT_EQ(medium.ReadFileBytes(kTest0, 7 * kBlock, kBlock),
              Bytes(content.begin() + 7 * kBlock, content.end()));
}

TEST(SimulatedMedium, ReadErrorsStartAtAMediumOffset) {
    // test0 takes sectors 0-1, test1 sectors 2-3; errors from medium byte 3*256+10.
    SimulatedMedium medium(
        kRoot, {.reportedBytes = 8 * kBlock, .readErrorsFromMediumByte = 3 * kBlock + 10});
    WriteStampedFile(medium, kTest0, 5, 2);
    WriteStampedFile(medium, kTest1, 5, 2);
    EXPECT_EQ(ReadThroughOpen(medium, kTest0).size(), 2 * kBlock);

    auto file = medium.Open(kTest1, Disposition::openExisting);
    ASSERT_NE(file, nullptr);
    Bytes buffer(kBlock);
    EXPECT_EQ(file->Read(buffer.data(), kBlock), kBlock);
    EXPECT_EQ(buffer, StampedBlock(5, 0, 0));
    // A read reaching past the offset fails whole and moves nothing; the bytes before it read.
    EXPECT_EQ(CauseOf([&] { file->Read(buffer.data(), kBlock); }), CFileException::hardIO);
    EXPECT_EQ(file->Read(buffer.data(), 10), 10u);
    const Bytes second = StampedBlock(5, 0, 1);
    EXPECT_TRUE(std::equal(second.begin(), second.begin() + 10, buffer.begin()));
    EXPECT_EQ(CauseOf([&] { file->Read(buffer.data(), 1); }), CFileException::hardIO);
    file->Close();
}

TEST(SimulatedMedium, WriteErrorsStartAtAMediumOffsetAndStoreNothing) {
    SimulatedMedium medium(
        kRoot, {.reportedBytes = 8 * kBlock, .writeErrorsFromMediumByte = 5 * kBlock + 100});
    auto file = Create(medium, kTest0);
    Bytes expected;
    for (std::uint32_t i = 0; i < 5; ++i) {
        const Bytes block = StampedBlock(6, 0, i);
        file->Write(block.data(), kBlock);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    const Bytes next = StampedBlock(6, 0, 5);
    EXPECT_EQ(CauseOf([&] { file->Write(next.data(), kBlock); }), CFileException::hardIO);
    EXPECT_EQ(medium.FileSize(kTest0), 5 * kBlock);
    file->Write(next.data(), 100);  // the bytes before the offset can still be written
    EXPECT_EQ(CauseOf([&] { file->Write(next.data() + 100, 1); }), CFileException::hardIO);
    file->Close();
    expected.insert(expected.end(), next.begin(), next.begin() + 100);
    EXPECT_EQ(ReadThroughOpen(medium, kTest0), expected);
}

TEST(SimulatedMedium, PulledOutAfterConfiguredBytesWritten) {
    constexpr std::uint64_t pullOutAt = 5 * kBlock + 100;
    SimulatedMedium medium(kRoot,
                           {.reportedBytes = 64 * kBlock, .pullOutAfterBytesWritten = pullOutAt});
    auto file = Create(medium, kTest0);
    for (std::uint32_t i = 0; i < 5; ++i) file->Write(StampedBlock(8, 0, i).data(), kBlock);
    EXPECT_EQ(CauseOf([&] { file->Write(StampedBlock(8, 0, 5).data(), kBlock); }),
              CFileException::removedMedia);
    EXPECT_EQ(CauseOf([&] { file->Write(StampedBlock(8, 0, 6).data(), kBlock); }),
              CFileException::removedMedia);
    EXPECT_EQ(CauseOf([&] { file->Close(); }), CFileException::removedMedia);
    EXPECT_EQ(medium.Open(kTest0, Disposition::openExisting), nullptr);
    EXPECT_EQ(medium.Open(kTest1, Disposition::createAlways), nullptr);

    medium.ReInsert();
    Bytes expected;
    for (std::uint32_t i = 0; i < 6; ++i) {
        const Bytes block = StampedBlock(8, 0, i);
        expected.insert(expected.end(), block.begin(), block.end());
    }
    expected.resize(pullOutAt);  // what went over before the pull-out is on the medium
    EXPECT_EQ(ReadThroughOpen(medium, kTest0), expected);
    WriteStampedFile(medium, kTest1, 8, 4);  // it happens once only
    EXPECT_EQ(medium.FileSize(kTest1), 4 * kBlock);
}

TEST(SimulatedMedium, PulledOutAfterConfiguredBytesRead) {
    SimulatedMedium medium(kRoot,
                           {.reportedBytes = 64 * kBlock, .pullOutAfterBytesRead = 3 * kBlock});
    WriteStampedFile(medium, kTest0, 2, 8);
    auto file = medium.Open(kTest0, Disposition::openExisting);
    ASSERT_NE(file, nullptr);
    Bytes buffer(kBlock);
    for (std::uint32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(file->Read(buffer.data(), kBlock), kBlock);
        EXPECT_EQ(buffer, StampedBlock(2, 0, i));
    }
    EXPECT_EQ(CauseOf([&] { file->Read(buffer.data(), kBlock); }), CFileException::removedMedia);
    EXPECT_EQ(medium.Open(kTest1, Disposition::createAlways), nullptr);
    EXPECT_EQ(medium.FileSize(kTest0), 8 * kBlock);  // a pull-out loses nothing stored
}

TEST(SimulatedMedium, PullOutFromAnotherThreadEndsTheWritesThere) {
    SimulatedMedium medium(kRoot, Honest(kGiB));
    std::atomic<bool> workerEnded{false};
    CFileException::Cause cause = CFileException::generic;
    std::uint32_t blocksWritten = 0;
    std::thread worker([&] {
        auto file = medium.Open(kTest0, Disposition::createAlways);
        try {
            for (;; ++blocksWritten) file->Write(StampedBlock(4, 0, blocksWritten).data(), kBlock);
        } catch (const CFileException& failure) {
            cause = failure.m_cause;
        }
        workerEnded = true;
    });
    while (medium.FileSize(kTest0).value_or(0) < 64 * kBlock && !workerEnded)
        std::this_thread::yield();
    medium.PullOut();
    worker.join();

    EXPECT_EQ(cause, CFileException::removedMedia);
    EXPECT_EQ(medium.FileSize(kTest0), std::uint64_t{blocksWritten} * kBlock);
    medium.ReInsert();
    const Bytes content = ReadThroughOpen(medium, kTest0);
    ASSERT_EQ(content.size(), std::uint64_t{blocksWritten} * kBlock);
    for (std::uint32_t i = 0; i < blocksWritten; ++i)
        ASSERT_EQ(Bytes(content.begin() + i * kBlock, content.begin() + (i + 1) * kBlock),
                  StampedBlock(4, 0, i));
}

TEST(SimulatedMedium, FilesOpenAtAPullOutStayDeadAfterReInsert) {
    SimulatedMedium medium(kRoot, Honest(64 * kBlock));
    WriteStampedFile(medium, kTest0, 3, 2);
    auto stale = medium.Open(kTest0, Disposition::openExisting);
    ASSERT_NE(stale, nullptr);
    medium.PullOut();
    medium.ReInsert();
    Bytes buffer(kBlock);
    EXPECT_EQ(CauseOf([&] { stale->Read(buffer.data(), kBlock); }), CFileException::removedMedia);
    EXPECT_EQ(CauseOf([&] { stale->Write(buffer.data(), kBlock); }), CFileException::removedMedia);
    // The stale open no longer holds the name.
    auto fresh = medium.Open(kTest0, Disposition::openExisting);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(CauseOf([&] { stale->Close(); }), CFileException::removedMedia);
    EXPECT_EQ(fresh->Read(buffer.data(), kBlock), kBlock);
    EXPECT_EQ(buffer, StampedBlock(3, 0, 0));
    EXPECT_EQ(medium.Open(kTest0, Disposition::openExisting), nullptr);  // fresh holds it
}

TEST(SimulatedMedium, IgnoredWritesLeaveAnEarlierRunsFilesAsTheyWere) {
    SimulatedMedium medium(kRoot, Honest(64 * kBlock));
    WriteStampedFile(medium, kTest0, 0xA, 3);
    const Bytes earlier = ReadThroughOpen(medium, kTest0);
    medium.SetIgnoreWrites(true);

    WriteStampedFile(medium, kTest0, 0xB, 5);  // create "truncates", writes "succeed"
    WriteStampedFile(medium, kTest1, 0xB, 5);
    medium.StartRemoveFiles(kRoot, ".vexlorn");
    EXPECT_EQ(medium.FileSize(kTest0), 3 * kBlock);
    EXPECT_EQ(ReadThroughOpen(medium, kTest0), earlier);
    EXPECT_FALSE(medium.FileSize(kTest1).has_value());
    EXPECT_EQ(medium.Open(kTest1, Disposition::openExisting), nullptr);

    medium.SetIgnoreWrites(false);
    WriteStampedFile(medium, kTest0, 0xC, 1);
    EXPECT_EQ(ReadThroughOpen(medium, kTest0), StampedBlock(0xC, 0, 0));
}

TEST(SimulatedMedium, AFileIsHeldByOneOpenAtATime) {
    SimulatedMedium medium(kRoot, Honest(64 * kBlock));
    auto first = Create(medium, kTest0);
    EXPECT_EQ(medium.Open(kTest0, Disposition::createAlways), nullptr);
    EXPECT_EQ(medium.Open(kTest0, Disposition::openExisting), nullptr);
    EXPECT_THROW(medium.AddFile(kTest0, Bytes(1)), std::invalid_argument);
    auto other = Create(medium, kTest1);
    first->Write(StampedBlock(1, 0, 0).data(), kBlock);
    first->Close();
    auto second = medium.Open(kTest0, Disposition::openExisting);
    ASSERT_NE(second, nullptr);
    second.reset();  // releasing without Close frees the file too
    EXPECT_NE(medium.Open(kTest0, Disposition::openExisting), nullptr);
    EXPECT_EQ(medium.FileSize(kTest0), kBlock);
}

TEST(SimulatedMedium, OnlyNamesInsideTheRootAreFiles) {
    SimulatedMedium medium(kRoot, Honest(64 * kBlock));
    for (const std::string name : {"other:/test0.vexlorn", "sim:", "sim:/", "sim:/sub/", "test0"})
        EXPECT_EQ(medium.Open(name, Disposition::createAlways), nullptr) << name;
    EXPECT_EQ(medium.Open(kTest0, Disposition::openExisting), nullptr);  // missing
    EXPECT_TRUE(medium.FileNames().empty());
    EXPECT_NE(medium.Open(kRoot + "sub/x.vexlorn", Disposition::createAlways), nullptr);
    EXPECT_EQ(medium.FileNames(), std::vector<std::string>{kRoot + "sub/x.vexlorn"});
}

TEST(SimulatedMedium, RemovalTakesEverySuffixMatchInTheRootOnly) {
    SimulatedMedium medium(kRoot, Honest(64 * kBlock));
    for (const char* name :
         {"test0.vexlorn", "OLD.VEXLORN", "Mixed.VexLorn", ".vexlorn", "photo.jpg",
          "notes.vexlorn.txt", "vexlorn", "sub/x.vexlorn", "sub/deeper/y.vexlorn"})
        medium.AddFile(kRoot + name, Bytes(300, 1));
    auto held = Create(medium, kRoot + "held.vexlorn");

    medium.StartRemoveFiles(kRoot, ".vexlorn");
    medium.WaitForRemovals();
    EXPECT_EQ(medium.FileNames(),
              (std::vector<std::string>{kRoot + "held.vexlorn", kRoot + "notes.vexlorn.txt",
                                        kRoot + "photo.jpg", kRoot + "sub/deeper/y.vexlorn",
                                        kRoot + "sub/x.vexlorn", kRoot + "vexlorn"}));
    EXPECT_EQ(medium.FileSize(kRoot + "photo.jpg"), 300u);

    // Nothing is removed while the medium is out.
    held->Close();
    medium.PullOut();
    medium.StartRemoveFiles(kRoot, ".vexlorn");
    EXPECT_EQ(medium.FileNames().size(), 6u);
}

TEST(SimulatedMedium, FillsPastFourGibibytesOfPatternedBlocks) {
    // A 4 GiB fake on 512 MiB: offsets beyond 32 bits, and the wrap lands test3 on test0's place.
    // Written a mebibyte per request, which keeps the test quick under the sanitizers.
    constexpr std::uint32_t blocksPerFile = static_cast<std::uint32_t>(kGiB / kBlock);
    constexpr std::uint32_t blocksPerWrite = static_cast<std::uint32_t>(kMiB / kBlock);
    SimulatedMedium medium(kRoot, {.reportedBytes = 4 * kGiB + kBlock, .realBytes = 512 * kMiB});
    Bytes blocks;
    for (std::uint32_t i = 0; i < blocksPerWrite; ++i) {
        const Bytes block = StampedBlock(77, 0, 0);
        blocks.insert(blocks.end(), block.begin(), block.end());
    }
    for (std::uint32_t fileNumber = 0; fileNumber < 4; ++fileNumber) {
        auto file = Create(medium, kRoot + "test" + std::to_string(fileNumber) + ".vexlorn");
        for (std::uint32_t first = 0; first < blocksPerFile; first += blocksPerWrite) {
            for (std::uint32_t i = 0; i < blocksPerWrite; ++i)
                Stamp(blocks.data() + i * kBlock, 77, fileNumber, first + i);
            file->Write(blocks.data(), kMiB);
        }
        file->Close();
    }
    // One sector is left: a mebibyte does not fit and leaves nothing, a block does.
    auto last = Create(medium, kRoot + "test4.vexlorn");
    EXPECT_EQ(CauseOf([&] { last->Write(blocks.data(), kMiB); }), CFileException::diskFull);
    EXPECT_EQ(medium.FileSize(kRoot + "test4.vexlorn"), 0u);
    last->Write(StampedBlock(77, 4, 0).data(), kBlock);
    EXPECT_EQ(CauseOf([&] { last->Write(blocks.data(), kBlock); }), CFileException::diskFull);
    last->Close();

    // Every place holds the last block written to it: physical sector 0 got test4's block, the
    // others the second half of test3 (logical sectors 14M..16M-1 of 256 bytes).
    const std::uint32_t half = blocksPerFile / 2;
    const auto blockOf = [&](std::uint32_t file, std::uint32_t index) {
        return medium.ReadFileBytes(kRoot + "test" + std::to_string(file) + ".vexlorn",
                                    std::uint64_t{index} * kBlock, kBlock);
    };
    EXPECT_EQ(blockOf(0, 0), StampedBlock(77, 4, 0));
    EXPECT_EQ(blockOf(0, 1), StampedBlock(77, 3, half + 1));
    EXPECT_EQ(blockOf(2, half - 1), StampedBlock(77, 3, blocksPerFile - 1));
    EXPECT_EQ(blockOf(3, half - 1), StampedBlock(77, 3, blocksPerFile - 1));
    EXPECT_EQ(blockOf(3, blocksPerFile - 1), StampedBlock(77, 3, blocksPerFile - 1));
}

}  // namespace
