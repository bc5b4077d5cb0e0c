#pragma once

#include <chrono>

// Paces bytes to the rate a serial line carries them. A pseudo-terminal passes bytes as fast
// as they are written, so the device keeps a budget that grows with the time passed and
// sends no more than it holds. The budget is capped at a short burst, so time spent idle
// never lets the line run faster than its rate later.
class LinePacer
{
public:
    explicit LinePacer(double bytesPerSecond = 0.0) { setRate(bytesPerSecond); }

    // A new rate starts from an empty budget.
    void setRate(double bytesPerSecond);
    double rate() const { return m_rate; }

    void advance(std::chrono::nanoseconds elapsed);
    // Whole bytes that may go out now.
    int allowance() const { return static_cast<int>(m_credit); }
    void spend(int bytes);
    // How long until the budget holds this many bytes; zero when it does already.
    std::chrono::nanoseconds timeUntil(int bytes) const;
    int burstLimit() const { return static_cast<int>(m_burst); }

    // A line of 8 data bits, no parity and one stop bit carries ten bits per byte.
    static double bytesPerSecondAt(int baud) { return baud / 10.0; }

private:
    double m_rate = 0.0;
    double m_burst = 0.0;
    double m_credit = 0.0;
};
