// The command line of vexlorn-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

struct CliOptions {
    std::string root;                            // the medium to test; empty with --simulate
    std::optional<std::uint64_t> simulateBytes;  // test a simulated card of this capacity
    std::optional<std::uint64_t> realBytes;      // ... that really holds only this much
    bool noPrompt = false;  // do not wait for the re-insertion; read past the cache instead
    bool allowNonRemovable = false;  // test a root that is not on a removable medium
    bool help = false;
};

// Either the options or a one-line message saying what is wrong.
std::variant<CliOptions, std::string> ParseCliOptions(int argc, const char* const* argv);

// "512M", "4G", "1024", "2T": bytes, with binary suffixes K, M, G, T (case ignored).
std::optional<std::uint64_t> ParseSize(const std::string& text);

extern const char kCliUsage[];
