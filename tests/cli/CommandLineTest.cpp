// vexlorn-cli run as a program: exit status, output, and what it leaves on the medium.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/SizeLimitedMount.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(int descriptor) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(descriptor, buffer, sizeof buffer)) > 0;)
        text.append(buffer, got);
    ::close(descriptor);
    return text;
}

// Runs the program with arguments, input as its standard input; output is a pipe, not a terminal.
Outcome RunCli(std::vector<std::string> arguments, const std::string& input = "") {
    int in[2], out[2], err[2];
    EXPECT_EQ(::pipe(in), 0);
    EXPECT_EQ(::pipe(out), 0);
    EXPECT_EQ(::pipe(err), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    for (int descriptor : {in[0], in[1], out[0], out[1], err[0], err[1]})
        posix_spawn_file_actions_addclose(&actions, descriptor);

    arguments.insert(arguments.begin(), VEXLORN_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t child;
    EXPECT_EQ(::posix_spawn(&child, VEXLORN_CLI_PATH, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    EXPECT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(in[1]);

    Outcome outcome;
    outcome.out = ReadAll(out[0]);
    outcome.err = ReadAll(err[0]);
    int status;
    ::waitpid(child, &status, 0);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool HasTestFiles(const std::string& root) {
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.path().extension() == ".vexlorn") return true;
    return false;
}

constexpr char kSoundVerdict[] = "鉴定结束！ 您的U盘/TF卡/SD卡一切正常！";
constexpr char kProblemVerdict[] = "鉴定结束！ 您的U盘/TF卡/SD卡有问题！";

}  // namespace

TEST(CommandLine, SimulatedCardsShowBothVerdicts) {
    Outcome honest = RunCli({"--simulate", "64M"});
    EXPECT_EQ(honest.status, 0) << honest.err;
    EXPECT_NE(
        honest.out.find(std::string(kSoundVerdict) + "写入数据大小：0.06G\n校验正确大小：0.06G"),
        std::string::npos)
        << honest.out;

    Outcome fake = RunCli({"--simulate", "64M", "--real", "16M"});
    EXPECT_EQ(fake.status, 1) << fake.err;
    EXPECT_NE(fake.out.find(kProblemVerdict), std::string::npos) << fake.out;
}

TEST(CommandLine, BadUseIsOneClearLineAndStatusTwo) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--simulate", "big"}, {"/nonexistent/card"}, {"/tmp"}}) {
        Outcome outcome = RunCli(arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err.rfind("vexlorn-cli: ", 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
}

TEST(CommandLine, RealMediumWithoutPromptReadsPastTheCacheAndCleansUp) {
    SizeLimitedMount medium("8m");
    SKIP_UNLESS_MOUNTED(medium);
    std::ofstream(medium.Root() + "photo.jpg") << "mine";
    Outcome outcome = RunCli({"--no-prompt", "--allow-non-removable", medium.Root()});
    EXPECT_EQ(outcome.status, 0) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("缓存页"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find(kSoundVerdict), std::string::npos) << outcome.out;
    EXPECT_FALSE(HasTestFiles(medium.Root()));
    EXPECT_TRUE(fs::exists(medium.Root() + "photo.jpg"));
}

TEST(CommandLine, PromptWaitsForEnterAndNoAnswerVerifiesNothing) {
    SizeLimitedMount medium("4m");
    SKIP_UNLESS_MOUNTED(medium);
    Outcome confirmed = RunCli({"--allow-non-removable", medium.Root()}, "\n");
    EXPECT_EQ(confirmed.status, 0) << confirmed.err;
    EXPECT_NE(confirmed.out.find("确认优盘/TF卡/SD卡弹出过并插回来了吗？"), std::string::npos);
    EXPECT_NE(confirmed.out.find(kSoundVerdict), std::string::npos) << confirmed.out;

    Outcome unanswered = RunCli({"--allow-non-removable", medium.Root()}, "");
    EXPECT_EQ(unanswered.status, 2);
    EXPECT_EQ(unanswered.out.find("鉴定结束"), std::string::npos);
    EXPECT_FALSE(HasTestFiles(medium.Root()));
}
