// A live count of the entries a walk has met, on standard error, for walks
// that last: it shows once a target has taken more than a second, and only
// on a console (never when standard error is redirected, nor with --quiet).
#pragma once

#include "console/ConsoleStream.h"

#include <string>

class Progress {
public:
    Progress(ConsoleStream& stream, bool wanted);

    // A new target starts: the clock and the count start again.
    void Start(const std::wstring& label);
    // `count` entries so far.
    void Update(size_t count);
    // Erases the count line, if one was shown.
    void Finish();

private:
    ConsoleStream& m_stream;
    bool m_enabled;
    std::wstring m_label;
    DWORD m_started = 0;
    DWORD m_lastShown = 0;
    bool m_shown = false;
};
