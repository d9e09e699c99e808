// The status text on a terminal, redrawn in place, or as plain lines when output is a file or pipe.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

class ProgressDisplay {
  public:
    using Clock = std::chrono::steady_clock;

    ProgressDisplay(std::FILE* out, bool inPlace) : m_out(out), m_inPlace(inPlace) {}

    // Shows text (its CR LF breaks as spaces, so it fits one line) with the speed of the pass
    // measured from megabytes, the running pass's counter. Plain lines are written when the text
    // changes, at most one a second.
    void Update(const std::string& text, std::uint32_t megabytes, Clock::time_point now);
    // Ends the progress of one pass: the last text stays on a line of its own.
    void Finish();

    // Megabytes (10^6 bytes) a second from MiB over the time between two samples.
    static double MegabytesPerSecond(std::uint32_t fromMiB, std::uint32_t toMiB,
                                     Clock::duration elapsed);

  private:
    std::string Line(const std::string& text) const;

    std::FILE* m_out;
    bool m_inPlace;
    std::string m_lastText;
    std::string m_lastPrinted;
    Clock::time_point m_lastPrintTime{};
    bool m_started = false;
    Clock::time_point m_sampleTime{};
    std::uint32_t m_sampleMiB = 0;
    double m_speed = 0;
    bool m_speedMeasured = false;  // a second of the pass has gone by
};
