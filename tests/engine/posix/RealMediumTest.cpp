// Both passes on a real, size-limited file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/StatusText.h"
#include "support/SizeLimitedMount.h"
#include "support/TestHost.h"

namespace fs = std::filesystem;

TEST(RealMedium, AMediumWith300MiBFreeFillsOneFileAndVerifiesSound) {
    // 300 MiB for the test plus one page for a file of the user's.
    SizeLimitedMount medium(std::to_string(300 * 1024 + 4) + "k");
    SKIP_UNLESS_MOUNTED(medium);
    std::ofstream(medium.Root() + "photo.jpg") << "not a test file";
    const std::uint64_t free = 300ull * 1024 * 1024;
    ASSERT_EQ(fs::space(medium.Root()).available, free);

    TestHost host(PlatformFileSystem(), medium.Root());
    host.Write();

    EXPECT_EQ(host.writePassEnds, 1);
    EXPECT_EQ(host.run.m_bStopWrite, 1u) << "the worker itself ends on the failed write";
    EXPECT_EQ(host.run.m_bWriteDone, 1u);
    EXPECT_EQ(fs::file_size(medium.Root() + "test0.vexlorn"), free);
    EXPECT_FALSE(fs::exists(medium.Root() + "test1.vexlorn"));
    EXPECT_EQ(host.run.m_nWrittenMB, 300u);

    EXPECT_TRUE(host.Verify());
    EXPECT_EQ(host.run.m_nVerifiedMB, 300u);
    EXPECT_EQ(FormatStatusText(host.run)->substr(0, 15), "鉴定结束！");
    EXPECT_FALSE(fs::exists(medium.Root() + "test0.vexlorn"));
    EXPECT_TRUE(fs::exists(medium.Root() + "photo.jpg"));
}

TEST(RealMedium, AMediumAlreadyFullGetsTheSoundVerdictWithNothingWritten) {
    SizeLimitedMount medium("64k");
    SKIP_UNLESS_MOUNTED(medium);
    std::ofstream(medium.Root() + "filler.bin") << std::string(64 * 1024, 'f');

    TestHost host(PlatformFileSystem(), medium.Root());
    host.Write();
    EXPECT_EQ(host.run.m_nWrittenMB, 0u);
    EXPECT_EQ(fs::file_size(medium.Root() + "test0.vexlorn"), 0u);

    EXPECT_TRUE(host.Verify());
    EXPECT_EQ(FormatStatusText(host.run),
              "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.00G\r\n校验正确大小：0.00G");
    EXPECT_EQ(fs::file_size(medium.Root() + "filler.bin"), 64u * 1024);
}
