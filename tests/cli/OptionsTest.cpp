#include "cli/Options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::variant<CliOptions, std::string> Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "vexlorn-cli");
    return ParseCliOptions(static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace

TEST(CliOptions, Sizes) {
    struct Case {
        const char* text;
        std::optional<std::uint64_t> bytes;
    } cases[] = {
        {"1024", 1024},
        {"512M", 512ull << 20},
        {"4g", 4ull << 30},
        {"2T", 2ull << 40},
        {"16k", 16ull << 10},
        {"", std::nullopt},
        {"M", std::nullopt},
        {"4GB", std::nullopt},
        {"-1", std::nullopt},
        {"1.5G", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"17179869184G", std::nullopt},  // 2^64 bytes does not fit
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSize(c.text), c.bytes) << c.text;
}

TEST(CliOptions, AcceptedCommandLines) {
    auto options = std::get<CliOptions>(Parse({"/media/u/CARD", "--no-prompt"}));
    EXPECT_EQ(options.root, "/media/u/CARD");
    EXPECT_TRUE(options.noPrompt);
    EXPECT_FALSE(options.allowNonRemovable);

    options = std::get<CliOptions>(Parse({"--simulate", "4G", "--real", "512M"}));
    EXPECT_EQ(options.simulateBytes, 4ull << 30);
    EXPECT_EQ(options.realBytes, 512ull << 20);
    EXPECT_TRUE(options.root.empty());

    options = std::get<CliOptions>(Parse({"--allow-non-removable", "--", "-odd name"}));
    EXPECT_EQ(options.root, "-odd name");
    EXPECT_TRUE(options.allowNonRemovable);

    EXPECT_TRUE(std::get<CliOptions>(Parse({"--help"})).help);
}

TEST(CliOptions, RefusedCommandLines) {
    const std::vector<std::vector<const char*>> cases = {
        {},
        {"/a", "/b"},
        {"--bogus", "/a"},
        {"--simulate"},
        {"--simulate", "lots"},
        {"--real", "1G", "/a"},
        {"--simulate", "1G", "/a"},
        {"--simulate", "1G", "--real", "2G"},
        {""},
    };
    for (const auto& arguments : cases) {
        auto result = Parse(arguments);
        ASSERT_TRUE(std::holds_alternative<std::string>(result)) << arguments.size();
        EXPECT_FALSE(std::get<std::string>(result).empty());
    }
}
