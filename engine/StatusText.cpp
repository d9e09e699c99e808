#include "engine/StatusText.h"

#include <initializer_list>
#include <string_view>

namespace {

// Replaces each "%.2f" in format, in order, by the next value in gigabytes.
std::string FormatWithGigabytes(std::string_view format,
                                std::initializer_list<std::uint32_t> values) {
    static constexpr std::string_view kPlaceholder = "%.2f";
    std::string text;
    auto value = values.begin();
    std::size_t start = 0;
    for (std::size_t at; (at = format.find(kPlaceholder, start)) != std::string_view::npos;) {
        text.append(format.substr(start, at - start));
        text.append(FormatGigabytes(*value++));
        start = at + kPlaceholder.size();
    }
    text.append(format.substr(start));
    return text;
}

}  // namespace

std::string FormatGigabytes(std::uint32_t megabytes) {
    // Hundredths of a GiB, rounded half up: exact in integers, unlike the C library's %.2f,
    // which rounds the ties x.125 and x.625 down.
    const std::uint64_t hundredths = (static_cast<std::uint64_t>(megabytes) * 100 + 512) / 1024;
    const std::uint64_t fraction = hundredths % 100;
    return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") +
           std::to_string(fraction);
}

bool IsSoundVerdict(const TestRun& run) {
    return run.m_nWrittenMB == run.m_nVerifiedMB;
}

std::optional<std::string> FormatStatusText(const TestRun& run) {
    if (run.m_bVerifyDone != 0) {
        const std::uint32_t written = run.m_nWrittenMB;
        const std::uint32_t verified = run.m_nVerifiedMB;
        return FormatWithGigabytes(
            written == verified ? kSoundVerdictFormat : kProblemVerdictFormat, {written, verified});
    }
    if (run.m_bStopWrite != 0 && run.m_bStopVerify != 0) return std::nullopt;
    return FormatProgressText(run);
}

std::string FormatProgressText(const TestRun& run) {
    const std::uint32_t written = run.m_nWrittenMB;
    const std::uint32_t verified = run.m_nVerifiedMB;
    if (verified == 0) return FormatWithGigabytes(kWritingFormat, {written});
    return FormatWithGigabytes(kVerifyingFormat, {written, verified});
}
