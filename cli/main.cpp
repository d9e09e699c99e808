// vexlorn-cli: the card test on a terminal. Fills ROOT with test files, has the user eject and
// re-insert the medium, verifies, prints the verdict and removes the test files.
#include <signal.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "cli/Options.h"
#include "cli/ProgressDisplay.h"
#include "cli/TestRoot.h"
#include "engine/StatusText.h"
#include "engine/TestFiles.h"
#include "engine/VerifyPass.h"
#include "engine/WritePass.h"
#include "framework/PageCache.h"
#include "framework/SimulatedMedium.h"
#include "framework/Thread.h"

namespace {

constexpr int kExitSound = 0;
constexpr int kExitProblem = 1;
constexpr int kExitBadUse = 2;

constexpr char kSimulatedRoot[] = "模拟卡:/";

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
    g_interrupted = 1;
}

class CliHost final : public PassHost {
  public:
    explicit CliHost(FileSystem& medium) : m_medium(medium) {}
    TestRun& Run() override { return m_run; }
    FileSystem& Medium() override { return m_medium; }
    void OnWritePassEnded() override { m_writerEnded = 1; }
    void OnVerifyPassEnded() override { m_verifierEnded = 1; }

    // Set once a worker is past its last use of the host and the medium.
    std::atomic<std::uint32_t> m_writerEnded{0};
    std::atomic<std::uint32_t> m_verifierEnded{0};

  private:
    TestRun m_run;
    FileSystem& m_medium;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "vexlorn-cli: %s\n", message.c_str());
    return kExitBadUse;
}

std::string WithLineBreaks(const std::string& text) {
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text.compare(k, 2, "\r\n") == 0) ++k;
        out += text[k] == '\r' ? '\n' : text[k];
    }
    return out;
}

// Runs pass on a worker and shows the status text every 100 ms until ended is set, then how long
// it took. A Ctrl-C during the write pass stops it as the window's stop button does.
bool RunPass(CliHost& host, unsigned (*pass)(PassHost*), const std::atomic<std::uint32_t>& ended,
             const std::atomic<std::uint32_t>& counter, bool stoppable, const char* what) {
    TestRun& run = host.Run();
    const auto start = ProgressDisplay::Clock::now();
    if (!StartWorkerThread([&host, pass] { pass(&host); })) return false;
    ProgressDisplay display(stdout, ::isatty(STDOUT_FILENO) == 1);
    while (ended == 0) {
        if (stoppable && g_interrupted) {
            g_interrupted = 0;
            run.m_bStopWrite = 1;
        }
        if (auto text = FormatStatusText(run))
            display.Update(*text, counter, ProgressDisplay::Clock::now());
        SleepMilliseconds(100);
    }
    // The pass has ended, so the status text has gone quiet; its final figures still belong here.
    const auto end = ProgressDisplay::Clock::now();
    display.Update(FormatProgressText(run), counter, end);
    display.Finish();
    std::printf("%s用时 %.1f 秒（%.1f MB/s）\n", what,
                std::chrono::duration<double>(end - start).count(),
                ProgressDisplay::MegabytesPerSecond(0, counter, end - start));
    return true;
}

void ForgetCachedTestFiles(const std::string& root) {
    std::uint32_t files = 0;
    while (FlushAndForgetCachedPages(TestFileName(root, files))) ++files;
    std::printf("已把 %u 个测试文件写到介质上并丢弃了它们的缓存页：校验读的是介质本身。\n", files);
}

bool IsDirectory(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
    auto parsed = ParseCliOptions(argc, argv);
    if (auto* error = std::get_if<std::string>(&parsed))
        return Fail(*error + "（vexlorn-cli --help 查看用法）");
    const CliOptions& options = std::get<CliOptions>(parsed);
    if (options.help) {
        std::fputs(kCliUsage, stdout);
        return kExitSound;
    }

    std::unique_ptr<SimulatedMedium> simulated;
    std::string root;
    if (options.simulateBytes) {
        SimulatedMediumConfig config;
        config.reportedBytes = *options.simulateBytes;
        config.realBytes = options.realBytes;
        simulated = std::make_unique<SimulatedMedium>(kSimulatedRoot, config);
        root = kSimulatedRoot;
        std::printf("模拟卡：标称 %sG，实际存得下 %sG%s\n",
                    FormatGigabytes(static_cast<std::uint32_t>(config.reportedBytes >> 20)).c_str(),
                    FormatGigabytes(static_cast<std::uint32_t>(
                                        config.realBytes.value_or(config.reportedBytes) >> 20))
                        .c_str(),
                    options.realBytes ? "（写满后地址回绕，覆盖前面的数据）" : "");
    } else {
        TestRootCheck check = CheckTestRoot(options.root, options.allowNonRemovable);
        if (!check.error.empty()) return Fail(check.error);
        root = check.root;
    }

    CliHost host(simulated ? static_cast<FileSystem&>(*simulated) : PlatformFileSystem());
    TestRun& run = host.Run();

    struct sigaction interrupt = {};
    interrupt.sa_handler = OnInterrupt;
    interrupt.sa_flags = SA_RESETHAND;  // a second Ctrl-C ends the program at once
    ::sigaction(SIGINT, &interrupt, nullptr);

    std::printf("写入测试文件到 %s（Ctrl-C 停止写入）\n", root.c_str());
    run.m_szDrive = root;
    run.m_nWrittenMB = 0;
    run.m_bStopWrite = 0;
    if (!RunPass(host, WriteThreadProc, host.m_writerEnded, run.m_nWrittenMB, true, "写入"))
        return Fail("无法启动写入线程");
    ::signal(SIGINT, SIG_DFL);
    if (run.m_nWrittenMB == 0)
        std::printf(
            "注意：一点数据也没有写进去（介质已满或拒绝写入），下面的结果说明不了它的容量。\n");

    if (simulated) {
        std::printf("（模拟卡，不需要弹出）\n");
    } else if (options.noPrompt) {
        ForgetCachedTestFiles(root);
    } else {
        std::printf("%s 按回车继续。\n", kReinsertQuestion);
        std::fflush(stdout);
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            PlatformFileSystem().StartRemoveFiles(root, TEST_FILE_SUFFIX);
            PlatformFileSystem().WaitForRemovals();
            return Fail("没有得到确认，未校验；测试文件已删除");
        }
        if (!IsDirectory(root)) return Fail(root + " 不见了：请把介质挂载回同一个位置再校验");
    }

    run.m_szDrive = root;
    run.m_bStopVerify = 0;
    if (!RunPass(host, VerifyThreadProc, host.m_verifierEnded, run.m_nVerifiedMB, false, "校验"))
        return Fail("无法启动校验线程");
    host.Medium().WaitForRemovals();

    std::printf("%s\n", WithLineBreaks(*FormatStatusText(run)).c_str());
    std::printf("测试文件已删除。\n");
    return IsSoundVerdict(run) ? kExitSound : kExitProblem;
}
