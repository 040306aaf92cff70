// Elapsed time from the performance counter, in milliseconds.
#pragma once

#include <windows.h>

class Stopwatch {
public:
    Stopwatch() { Restart(); }

    void Restart() { QueryPerformanceCounter(&m_start); }

    double ElapsedMs() const {
        LARGE_INTEGER now;
        LARGE_INTEGER frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        return double(now.QuadPart - m_start.QuadPart) * MillisecondsPerSecond /
               double(frequency.QuadPart);
    }

private:
    static constexpr double MillisecondsPerSecond = 1000.0;
    LARGE_INTEGER m_start;
};
