#include "cli/Options.h"

#include <cctype>
#include <charconv>
#include <string_view>

const char kCliUsage[] =
    "用法: vexlorn-cli [--no-prompt] [--allow-non-removable] 目录\n"
    "      vexlorn-cli --simulate 容量 [--real 实际容量]\n"
    "\n"
    "把测试文件写满 目录 "
    "所在的优盘/TF卡/SD卡，提示弹出并插回后读回校验，给出鉴定结果，再删除测试文件。\n"
    "\n"
    "  --no-prompt            不等待弹出和插回；校验前先把测试文件写到介质上并丢弃其缓存页\n"
    "  --allow-non-removable  允许测试不在可移动介质上的目录\n"
    "  --simulate 容量        测试一张模拟卡（如 512M、4G），不碰任何真实文件\n"
    "  --real 实际容量        模拟卡只真实存得下这么多（地址回绕的扩容卡）\n"
    "\n"
    "退出状态: 0 正常, 1 有问题, 2 用法或环境错误\n";

std::optional<std::uint64_t> ParseSize(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    auto [rest, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || rest == text.data()) return std::nullopt;
    unsigned shift = 0;
    if (rest != end) {
        switch (std::toupper(static_cast<unsigned char>(*rest))) {
            case 'K':
                shift = 10;
                break;
            case 'M':
                shift = 20;
                break;
            case 'G':
                shift = 30;
                break;
            case 'T':
                shift = 40;
                break;
            default:
                return std::nullopt;
        }
        if (++rest != end) return std::nullopt;
    }
    if (shift != 0 && value > (UINT64_MAX >> shift)) return std::nullopt;
    return value << shift;
}

std::variant<CliOptions, std::string> ParseCliOptions(int argc, const char* const* argv) {
    CliOptions options;
    bool optionsEnded = false;  // after "--" every argument is a directory, even "-x"
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        auto sizeArgument = [&](std::optional<std::uint64_t>& size) -> std::optional<std::string> {
            if (k + 1 >= argc) return std::string(argument) + " 后面缺少容量";
            size = ParseSize(argv[++k]);
            if (!size) return "容量看不懂: " + std::string(argv[k]) + "（例如 512M、4G）";
            return std::nullopt;
        };
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (isOption && argument == "--") {
            optionsEnded = true;
        } else if (isOption && (argument == "-h" || argument == "--help")) {
            options.help = true;
        } else if (isOption && argument == "--no-prompt") {
            options.noPrompt = true;
        } else if (isOption && argument == "--allow-non-removable") {
            options.allowNonRemovable = true;
        } else if (isOption && argument == "--simulate") {
            if (auto error = sizeArgument(options.simulateBytes)) return *error;
        } else if (isOption && argument == "--real") {
            if (auto error = sizeArgument(options.realBytes)) return *error;
        } else if (isOption) {
            return "不认识的选项: " + std::string(argument);
        } else {
            if (!options.root.empty()) return "只能给一个目录";
            if (argument.empty()) return "目录不能为空";
            options.root = argument;
        }
    }
    if (options.help) return options;
    if (options.realBytes && !options.simulateBytes) return "--real 只能和 --simulate 一起用";
    if (options.simulateBytes && !options.root.empty()) return "--simulate 不需要目录";
    if (options.simulateBytes && options.realBytes && *options.realBytes > *options.simulateBytes)
        return "--real 不能大于 --simulate";
    if (!options.simulateBytes && options.root.empty()) return "请给出要鉴定的介质的目录";
    return options;
}
