#include "engine/StatusText.h"

#include <gtest/gtest.h>

TEST(StatusText, GigabytesRoundHalfUpOnTheExactValue) {
    struct Case {
        std::uint32_t megabytes;
        const char* text;
    } cases[] = {
        {0, "0.00"},    {1, "0.00"},        {5, "0.00"},
        {6, "0.01"},    {128, "0.13"},      {384, "0.38"},
        {640, "0.63"},  {1152, "1.13"},     {1536, "1.50"},
        {2047, "2.00"}, {2048, "2.00"},     {3972, "3.88"},
        {7600, "7.42"}, {102400, "100.00"}, {0xFFFFFFFF, "4194304.00"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatGigabytes(c.megabytes), c.text) << c.megabytes;
}

namespace {

void SetState(TestRun& run, std::uint32_t stopWrite, std::uint32_t stopVerify,
              std::uint32_t verifyDone, std::uint32_t written, std::uint32_t verified) {
    run.m_bStopWrite = stopWrite;
    run.m_bStopVerify = stopVerify;
    run.m_bVerifyDone = verifyDone;
    run.m_nWrittenMB = written;
    run.m_nVerifiedMB = verified;
}

}  // namespace

TEST(StatusText, RulesInOrder) {
    struct Case {
        const char* what;
        std::uint32_t stopWrite, stopVerify, verifyDone, written, verified;
        std::optional<std::string> text;
    } cases[] = {
        {"before any pass", 1, 1, 0, 0, 0, std::nullopt},
        {"between the passes", 1, 1, 0, 7600, 0, std::nullopt},
        {"verify stopped, not yet done", 1, 1, 0, 7600, 3972, std::nullopt},
        {"writing", 0, 1, 0, 1536, 0, "已写入数据大小：1.50G"},
        {"verifying, nothing verified yet", 1, 0, 0, 1536, 0, "已写入数据大小：1.50G"},
        {"verifying", 1, 0, 0, 1536, 128, "已写入数据大小：1.50G\r\n已校验正确大小：0.13G"},
        {"sound", 1, 1, 1, 2047, 2047,
         "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：2.00G\r\n校验正确大小：2.00G"},
        {"sound at 128 MiB", 1, 1, 1, 128, 128,
         "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.13G\r\n校验正确大小：0.13G"},
        {"medium already full", 1, 1, 1, 0, 0,
         "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.00G\r\n校验正确大小：0.00G"},
        {"problem though both print 2.00", 1, 1, 1, 2048, 2047,
         "鉴定结束！ 您的U盘/TF卡/SD卡有问题！写入数据大小：2.00G\r\n校验正确大小：2.00G\r\n"
         "请找商家退货或者不向优盘拷贝大于校验正确大小的数据量！"},
        {"problem", 1, 1, 1, 7600, 3972,
         "鉴定结束！ 您的U盘/TF卡/SD卡有问题！写入数据大小：7.42G\r\n校验正确大小：3.88G\r\n"
         "请找商家退货或者不向优盘拷贝大于校验正确大小的数据量！"},
        {"verdict wins over stop flags", 0, 0, 1, 5, 5,
         "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：0.00G\r\n校验正确大小：0.00G"},
    };
    for (const Case& c : cases) {
        TestRun run;
        SetState(run, c.stopWrite, c.stopVerify, c.verifyDone, c.written, c.verified);
        EXPECT_EQ(FormatStatusText(run), c.text) << c.what;
    }
}
