#include "settings/CleanSchedule.h"

#include <cwchar>
#include <cwctype>

namespace {

const wchar_t kOffWord[] = L"off";
const wchar_t kDailyWord[] = L"daily";
const wchar_t kWeeklyWord[] = L"weekly";
const wchar_t kLogonWord[] = L"logon";
const wchar_t* const kDayNames[kDaysInWeek] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                               L"Thursday", L"Friday", L"Saturday"};
const size_t kDayAbbreviation = 3;
const int kHoursInDay = 24;
const int kMinutesInHour = 60;
const wchar_t kUsage[] =
    L"give daily HH:MM, weekly DAY HH:MM, logon or off (for example: weekly monday 07:30)";

// Task Scheduler takes a command of at most this many characters.
const size_t kLongestCommand = 260;
const ULONGLONG kFileTimeUnitsPerDay = 24ULL * 60 * 60 * 10000000;
const wchar_t kTaskNamePrefix[] = L"Scheduled clean ";
const wchar_t kDescription[] =
    L"Cleans what is chosen in Quenby (File > Save check as default, Settings > More "
    L"traces...). Set in Quenby's options, or with QuenbyCmd schedule.";

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool ParseDay(const std::wstring& word, int& day) {
    const std::wstring lower = Lower(word);
    for (int i = 0; i < kDaysInWeek; ++i) {
        const std::wstring name = Lower(kDayNames[i]);
        if (lower == name || lower == name.substr(0, kDayAbbreviation)) {
            day = i;
            return true;
        }
    }
    return false;
}

std::wstring TwoDigits(int value) {
    wchar_t text[4];
    swprintf(text, 4, L"%02d", value);
    return text;
}

// Text for an XML element: the markup characters a path may hold escaped.
std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'&')
            out += L"&amp;";
        else if (c == L'<')
            out += L"&lt;";
        else if (c == L'>')
            out += L"&gt;";
        else
            out += c;
    }
    return out;
}

std::wstring Element(const wchar_t* name, const std::wstring& text) {
    return std::wstring(L"<") + name + L">" + text + L"</" + name + L">";
}

// `days` later, with the day of the week worked out again.
SYSTEMTIME AddDays(const SYSTEMTIME& time, int days) {
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    ULARGE_INTEGER value;
    value.LowPart = file.dwLowDateTime;
    value.HighPart = file.dwHighDateTime;
    value.QuadPart += days * kFileTimeUnitsPerDay;
    file.dwLowDateTime = value.LowPart;
    file.dwHighDateTime = value.HighPart;
    SYSTEMTIME next;
    FileTimeToSystemTime(&file, &next);
    return next;
}

// The first time of the schedule after `now`. A start in the past would make
// Task Scheduler run a clean at once, as one it had missed.
SYSTEMTIME FirstStart(const CleanSchedule& schedule, const SYSTEMTIME& now) {
    SYSTEMTIME start = now;
    start.wHour = WORD(schedule.hour);
    start.wMinute = WORD(schedule.minute);
    start.wSecond = 0;
    start.wMilliseconds = 0;
    const bool passed = schedule.hour * kMinutesInHour + schedule.minute <=
                        now.wHour * kMinutesInHour + now.wMinute;
    start = AddDays(start, passed ? 1 : 0);
    while (schedule.kind == ScheduleKind::Weekly && start.wDayOfWeek != schedule.day)
        start = AddDays(start, 1);
    return start;
}

std::wstring LocalTimeText(const SYSTEMTIME& time) {
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:00", time.wYear, time.wMonth, time.wDay,
             time.wHour, time.wMinute);
    return text;
}

std::wstring Trigger(const CleanSchedule& schedule, const std::wstring& userSid,
                     const SYSTEMTIME& now) {
    if (schedule.kind == ScheduleKind::Logon)
        return Element(L"LogonTrigger", Element(L"UserId", userSid));
    const std::wstring start = Element(L"StartBoundary", LocalTimeText(FirstStart(schedule, now)));
    if (schedule.kind == ScheduleKind::Daily)
        return Element(L"CalendarTrigger",
                       start + Element(L"ScheduleByDay", Element(L"DaysInterval", L"1")));
    const std::wstring days =
        Element(L"DaysOfWeek", std::wstring(L"<") + kDayNames[schedule.day] + L" />");
    return Element(L"CalendarTrigger",
                   start + Element(L"ScheduleByWeek", Element(L"WeeksInterval", L"1") + days));
}

struct Entity {
    const wchar_t* text;
    wchar_t character;
};
const Entity kEntities[] = {
    {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}, {L"&amp;", L'&'}};

std::wstring Unescaped(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        const Entity* found = nullptr;
        for (const Entity& entity : kEntities) {
            if (text.compare(i, wcslen(entity.text), entity.text) == 0)
                found = &entity;
        }
        out += found ? found->character : text[i];
        i += found ? wcslen(found->text) - 1 : 0;
    }
    return out;
}

// The text of the first element `name` inside `xml`; false when there is none.
bool ElementText(const std::wstring& xml, const wchar_t* name, std::wstring& text) {
    const std::wstring open = std::wstring(L"<") + name + L">";
    const std::wstring close = std::wstring(L"</") + name + L">";
    const size_t start = xml.find(open);
    const size_t end = start == std::wstring::npos ? start : xml.find(close, start);
    if (end == std::wstring::npos)
        return false;
    text = Unescaped(xml.substr(start + open.size(), end - start - open.size()));
    return true;
}

bool Contains(const std::wstring& xml, const std::wstring& part) {
    return xml.find(part) != std::wstring::npos;
}

// The trigger as this program writes it: a sign-in, or a daily or weekly
// calendar trigger whose start boundary gives the time of day.
bool ReadTrigger(const std::wstring& xml, CleanSchedule& schedule) {
    if (Contains(xml, L"<LogonTrigger")) {
        schedule.kind = ScheduleKind::Logon;
        return true;
    }
    std::wstring start, days;
    const size_t timeAt = 11; // "YYYY-MM-DDT"
    if (!ElementText(xml, L"StartBoundary", start) || start.size() < timeAt + 5 ||
        !ParseTime(start.substr(timeAt, 5), schedule.hour, schedule.minute))
        return false;
    if (Contains(xml, L"<ScheduleByDay")) {
        schedule.kind = ScheduleKind::Daily;
        return true;
    }
    if (!ElementText(xml, L"DaysOfWeek", days))
        return false;
    schedule.kind = ScheduleKind::Weekly;
    for (int day = 0; day < kDaysInWeek; ++day) {
        if (Contains(days, std::wstring(L"<") + kDayNames[day]))
            schedule.day = day;
    }
    return true;
}

} // namespace

bool CleanSchedule::operator==(const CleanSchedule& other) const {
    if (kind != other.kind)
        return false;
    if (kind == ScheduleKind::Off || kind == ScheduleKind::Logon)
        return true;
    return hour == other.hour && minute == other.minute &&
           (kind == ScheduleKind::Daily || day == other.day);
}

const wchar_t* DayName(int day) {
    return kDayNames[(day % kDaysInWeek + kDaysInWeek) % kDaysInWeek];
}

std::wstring TimeText(int hour, int minute) {
    return TwoDigits(hour) + L":" + TwoDigits(minute);
}

std::wstring ScheduleText(const CleanSchedule& schedule) {
    const std::wstring time = TimeText(schedule.hour, schedule.minute);
    switch (schedule.kind) {
    case ScheduleKind::Daily:
        return std::wstring(kDailyWord) + L" " + time;
    case ScheduleKind::Weekly:
        return std::wstring(kWeeklyWord) + L" " + Lower(DayName(schedule.day)) + L" " + time;
    case ScheduleKind::Logon:
        return kLogonWord;
    default:
        return kOffWord;
    }
}

std::wstring ScheduleDescription(const CleanSchedule& schedule) {
    const std::wstring at = L" at " + TimeText(schedule.hour, schedule.minute);
    switch (schedule.kind) {
    case ScheduleKind::Daily:
        return kDailyWord + at;
    case ScheduleKind::Weekly:
        return std::wstring(kWeeklyWord) + L" on " + DayName(schedule.day) + at;
    case ScheduleKind::Logon:
        return L"at sign-in";
    default:
        return kOffWord;
    }
}

bool ParseTime(const std::wstring& text, int& hour, int& minute) {
    unsigned h = 0, m = 0;
    wchar_t rest = 0;
    const size_t colon = text.find(L':');
    if (colon == std::wstring::npos || colon < 1 || colon > 2 || text.size() != colon + 3 ||
        swscanf(text.c_str(), L"%2u:%2u%lc", &h, &m, &rest) != 2 || !std::iswdigit(text[0]) ||
        !std::iswdigit(text[colon + 1]) || h >= kHoursInDay || m >= kMinutesInHour)
        return false;
    hour = int(h);
    minute = int(m);
    return true;
}

bool ParseSchedule(const std::vector<std::wstring>& words, CleanSchedule& schedule,
                   std::wstring& error) {
    CleanSchedule parsed;
    const std::wstring kind = words.empty() ? std::wstring() : Lower(words[0]);
    bool ok = false;
    if ((kind == kOffWord || kind == kLogonWord) && words.size() == 1) {
        parsed.kind = kind == kOffWord ? ScheduleKind::Off : ScheduleKind::Logon;
        ok = true;
    } else if (kind == kDailyWord && words.size() == 2) {
        parsed.kind = ScheduleKind::Daily;
        ok = ParseTime(words[1], parsed.hour, parsed.minute);
    } else if (kind == kWeeklyWord && words.size() == 3) {
        parsed.kind = ScheduleKind::Weekly;
        ok = ParseDay(words[1], parsed.day) && ParseTime(words[2], parsed.hour, parsed.minute);
    }
    if (!ok) {
        error = kUsage;
        return false;
    }
    schedule = parsed;
    return true;
}

bool ParseScheduleText(const std::wstring& text, CleanSchedule& schedule, std::wstring& error) {
    std::vector<std::wstring> words;
    for (size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = text.find(L' ', start);
        end = end == std::wstring::npos ? text.size() : end;
        if (end > start)
            words.push_back(text.substr(start, end - start));
    }
    return ParseSchedule(words, schedule, error);
}

std::wstring QuotedProgram(const std::wstring& consoleProgram) {
    return L"\"" + consoleProgram + L"\"";
}

std::wstring ScheduledCommandLine(const std::wstring& consoleProgram) {
    return QuotedProgram(consoleProgram) + L" " + kScheduledCleanArguments;
}

std::wstring ScheduledTaskName(const std::wstring& userSid) {
    return kTaskNamePrefix + userSid;
}

std::wstring ScheduledTaskXml(const CleanSchedule& schedule, const std::wstring& userSid,
                              const std::wstring& consoleProgram, const SYSTEMTIME& now) {
    const std::wstring command = QuotedProgram(consoleProgram);
    if (command.size() > kLongestCommand || schedule.kind == ScheduleKind::Off)
        return std::wstring();
    const std::wstring uri = std::wstring(kTaskFolder) + L"\\" + ScheduledTaskName(userSid);
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           L"<Task version=\"1.3\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           L"\n  " +
           Element(L"RegistrationInfo", Element(L"Author", L"Quenby") +
                                            Element(L"Description", Escaped(kDescription)) +
                                            Element(L"URI", Escaped(uri))) +
           L"\n  " + Element(L"Triggers", Trigger(schedule, userSid, now)) + L"\n  " +
           Element(L"Principals", L"<Principal id=\"Author\">" + Element(L"UserId", userSid) +
                                      Element(L"LogonType", L"InteractiveToken") +
                                      Element(L"RunLevel", L"LeastPrivilege") + L"</Principal>") +
           L"\n  " +
           // A clean that has started ends by itself: stopping it when the
           // power cable comes out would gain nothing.
           Element(L"Settings", Element(L"MultipleInstancesPolicy", L"IgnoreNew") +
                                    Element(L"DisallowStartIfOnBatteries", L"true") +
                                    Element(L"StopIfGoingOnBatteries", L"false") +
                                    Element(L"StartWhenAvailable", L"true") +
                                    Element(L"Enabled", L"true") +
                                    Element(L"ExecutionTimeLimit", L"PT1H")) +
           L"\n  " + L"<Actions Context=\"Author\">" +
           Element(L"Exec", Element(L"Command", Escaped(command)) +
                                Element(L"Arguments", kScheduledCleanArguments)) +
           L"</Actions>\n</Task>\n";
}

bool ReadTaskXml(const std::wstring& xml, CleanSchedule& schedule, std::wstring& commandLine) {
    std::wstring command, arguments;
    CleanSchedule read;
    if (!ReadTrigger(xml, read) || !ElementText(xml, L"Command", command) || command.empty())
        return false;
    ElementText(xml, L"Arguments", arguments);
    schedule = read;
    commandLine = arguments.empty() ? command : command + L" " + arguments;
    return true;
}

std::wstring ProgramOf(const std::wstring& commandLine) {
    if (commandLine.empty() || commandLine[0] != L'"')
        return commandLine.substr(0, commandLine.find(L' '));
    return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
}
