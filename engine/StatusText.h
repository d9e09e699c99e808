// The status line and the verdict, decided from the test-run state alone.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/TestRun.h"

// The status control's texts, UTF-8, line breaks CR LF; each "%.2f" takes gigabytes.
inline constexpr char kSoundVerdictFormat[] =
    "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！写入数据大小：%.2fG\r\n校验正确大小：%.2fG";
inline constexpr char kProblemVerdictFormat[] =
    "鉴定结束！ 您的U盘/TF卡/SD卡有问题！写入数据大小：%.2fG\r\n校验正确大小：%.2fG\r\n"
    "请找商家退货或者不向优盘拷贝大于校验正确大小的数据量！";
inline constexpr char kWritingFormat[] = "已写入数据大小：%.2fG";
inline constexpr char kVerifyingFormat[] = "已写入数据大小：%.2fG\r\n已校验正确大小：%.2fG";

// Asked before the verify pass: without the eject and re-insertion the test means nothing.
inline constexpr char kReinsertQuestion[] = "确认优盘/TF卡/SD卡弹出过并插回来了吗？";

// Whole MiB as gigabytes with two decimals, rounded half up on the exact value (128 -> "0.13").
std::string FormatGigabytes(std::uint32_t megabytes);

// The text the status control should show now, or nothing when it keeps what it shows: a verdict
// once the verify pass is done, nothing while no pass runs, else the progress of the pass.
std::optional<std::string> FormatStatusText(const TestRun& run);

// The progress text of a pass, whether or not one is running: the written size, and the verified
// size once there is one.
std::string FormatProgressText(const TestRun& run);

// Whether the verdict is the sound one: the raw counters agree.
bool IsSoundVerdict(const TestRun& run);
