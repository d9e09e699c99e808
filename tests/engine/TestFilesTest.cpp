#include "engine/TestFiles.h"

#include <gtest/gtest.h>

TEST(TestFiles, NamesFollowTheRootWithoutLeadingZeros) {
    EXPECT_EQ(TestFileName("F:\\", 12), "F:\\test12.vexlorn");
    EXPECT_EQ(TestFileName("E:\\", 0), "E:\\test0.vexlorn");
    EXPECT_EQ(TestFileName("/media/u/CARD 1/", 7), "/media/u/CARD 1/test7.vexlorn");
}

TEST(TestFiles, CounterIsWholeMegabytesOfThePass) {
    struct Case {
        std::uint32_t file, block, megabytes;
    } cases[] = {
        {0, 4095, 0},
        {0, 4096, 1},
        {0, 0x3FFFFF, 1023},
        {1, 0, 1024},
        {3, 0, 3072},
        {0, BLOCKS_PER_FILE, 1024},  // the write pass after the last block of file 0
    };
    for (const Case& c : cases)
        EXPECT_EQ(MegabytesAt(c.file, c.block), c.megabytes) << c.file << "/" << c.block;
}

TEST(TestFiles, StampedBlockIsThePatternWithItsPlaceInFront) {
    StampedBlock block(0xA1B2C3D4, 2);
    block.SetBlockIndex(0x00030405);
    const Block& bytes = block.Bytes();
    const std::uint8_t stamp[12] = {0xD4, 0xC3, 0xB2, 0xA1, 2, 0, 0, 0, 0x05, 0x04, 0x03, 0x00};
    for (int k = 0; k < 12; ++k) EXPECT_EQ(bytes[k], stamp[k]) << "byte " << k;
    for (int k = 12; k < 256; ++k) EXPECT_EQ(bytes[k], k) << "byte " << k;

    block.SetFileNumber(0x01000000);
    EXPECT_EQ(bytes[4], 0);
    EXPECT_EQ(bytes[7], 1);
}

TEST(TestFiles, PatternHoldsItsOwnIndex) {
    const Block pattern = TestPattern();
    for (int k = 0; k < 256; ++k) ASSERT_EQ(pattern[k], k);
}
