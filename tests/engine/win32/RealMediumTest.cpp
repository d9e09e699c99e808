// Both passes on a real, size-limited drive of removable type under Wine; the clean-up is the
// command interpreter's del.
#include "support/win32/TestDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "engine/StatusText.h"
#include "engine/TestFiles.h"
#include "support/TestHost.h"

namespace fs = std::filesystem;

TEST(Win32RealMedium, AFreshMediumFillsUntilFullAndVerifiesSound) {
    TestDrive drive;
    USE_TEST_DRIVE(drive);
    std::ofstream(drive.Root() + "photo.jpg") << "not a test file";
    const std::uint64_t free = drive.FreeBytes();
    ASSERT_GT(free, std::uint64_t{1} << 20) << "the test drive needs room for a MiB at least";

    TestHost host(PlatformFileSystem(), drive.Root());
    host.Write();

    EXPECT_EQ(host.writePassEnds, 1);
    EXPECT_EQ(host.run.m_bStopWrite, 1u) << "the worker itself ends on the failed write";
    EXPECT_EQ(host.run.m_bWriteDone, 1u);
    std::uint64_t written = 0;
    std::uint32_t files = 0;
    for (; fs::exists(TestFileName(drive.Root(), files)); ++files)
        written += fs::file_size(TestFileName(drive.Root(), files));
    EXPECT_EQ(written, free);
    EXPECT_EQ(files, free / (std::uint64_t{BYTES_PER_BLOCK} * BLOCKS_PER_FILE) + 1);
    EXPECT_EQ(host.run.m_nWrittenMB, free >> 20);

    EXPECT_TRUE(host.Verify());
    EXPECT_EQ(host.run.m_nVerifiedMB, free >> 20);
    EXPECT_EQ(FormatStatusText(host.run)->substr(0, 15), "鉴定结束！");
    EXPECT_FALSE(fs::exists(TestFileName(drive.Root(), 0)));
    EXPECT_TRUE(fs::exists(drive.Root() + "photo.jpg"));
}

TEST(Win32RealMedium, AMediumAlreadyFullGetsTheSoundVerdictWithNothingWritten) {
    TestDrive drive;
    USE_TEST_DRIVE(drive);
    {
        std::ofstream filler(drive.Root() + "filler.bin", std::ios::binary);
        const std::string chunk(1 << 20, 'f');
        for (std::uint64_t free; (free = drive.FreeBytes()) > 0 && filler;) {
            filler.write(chunk.data(),
                         static_cast<std::streamsize>(std::min<std::uint64_t>(free, chunk.size())));
            filler.flush();
        }
    }
    ASSERT_EQ(drive.FreeBytes(), 0u);

    TestHost host(PlatformFileSystem(), drive.Root());
    host.Write();
    EXPECT_EQ(host.run.m_nWrittenMB, 0u);
    EXPECT_EQ(host.writePassEnds, 1);

    EXPECT_TRUE(host.Verify());
    EXPECT_EQ(FormatStatusText(host.run),
              "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.00G\r\n校验正确大小：0.00G");
    EXPECT_FALSE(fs::exists(TestFileName(drive.Root(), 0)));
    EXPECT_TRUE(fs::exists(drive.Root() + "filler.bin"));
}
