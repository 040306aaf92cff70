#include "console/Progress.h"

namespace {
const DWORD QuietPeriodMs = 1000;
const DWORD RefreshMs = 100;
const wchar_t LineStart = L'\r';
const size_t EraseWidth = 79;
} // namespace

Progress::Progress(ConsoleStream& stream, bool wanted)
    : m_stream(stream), m_enabled(wanted && stream.IsConsole()) {}

void Progress::Start(const std::wstring& label) {
    m_label = label;
    m_started = GetTickCount();
    m_lastShown = m_started;
    m_shown = false;
}

void Progress::Update(size_t count) {
    if (!m_enabled)
        return;
    const DWORD now = GetTickCount();
    if (now - m_started < QuietPeriodMs || now - m_lastShown < RefreshMs)
        return;
    m_lastShown = now;
    m_shown = true;
    m_stream.Write(LineStart + m_label + L": " + std::to_wstring(count) + L" entries...");
}

void Progress::Finish() {
    if (!m_shown)
        return;
    m_stream.Write(LineStart + std::wstring(EraseWidth, L' ') + LineStart);
    m_shown = false;
}
