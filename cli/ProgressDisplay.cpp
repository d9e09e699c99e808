#include "cli/ProgressDisplay.h"

namespace {

std::string OnOneLine(const std::string& text) {
    std::string line;
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text.compare(k, 2, "\r\n") == 0) {
            line += "  ";
            ++k;
        } else {
            line += text[k];
        }
    }
    return line;
}

}  // namespace

double ProgressDisplay::MegabytesPerSecond(std::uint32_t fromMiB, std::uint32_t toMiB,
                                           Clock::duration elapsed) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (seconds <= 0 || toMiB < fromMiB) return 0;
    return (toMiB - fromMiB) * 1.048576 / seconds;
}

std::string ProgressDisplay::Line(const std::string& text) const {
    if (!m_speedMeasured) return OnOneLine(text);
    char speed[32];
    std::snprintf(speed, sizeof speed, "  %.1f MB/s", m_speed);
    return OnOneLine(text) + speed;
}

void ProgressDisplay::Update(const std::string& text, std::uint32_t megabytes,
                             Clock::time_point now) {
    if (!m_started) {
        m_started = true;
        m_sampleTime = now;
        m_sampleMiB = megabytes;
    } else if (now - m_sampleTime >= std::chrono::seconds(1)) {
        m_speed = MegabytesPerSecond(m_sampleMiB, megabytes, now - m_sampleTime);
        m_speedMeasured = true;
        m_sampleTime = now;
        m_sampleMiB = megabytes;
    }
    m_lastText = text;
    if (m_inPlace) {
        std::fprintf(m_out, "\r\033[K%s", Line(text).c_str());
        std::fflush(m_out);
    } else if (text != m_lastPrinted && now - m_lastPrintTime >= std::chrono::seconds(1)) {
        std::fprintf(m_out, "%s\n", Line(text).c_str());
        std::fflush(m_out);
        m_lastPrinted = text;
        m_lastPrintTime = now;
    }
}

void ProgressDisplay::Finish() {
    if (m_inPlace) {
        if (m_started) std::fprintf(m_out, "\n");
    } else if (!m_lastText.empty() && m_lastText != m_lastPrinted) {
        std::fprintf(m_out, "%s\n", Line(m_lastText).c_str());
    }
    std::fflush(m_out);
    *this = ProgressDisplay(m_out, m_inPlace);
}
