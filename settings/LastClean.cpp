#include "settings/LastClean.h"

#include "platform/Handles.h"
#include "platform/KnownFolder.h"

#include <nlohmann/json.hpp>
#include <shlobj.h>

#include <cstdio>

namespace {

const wchar_t kFolderName[] = L"\\Quenby";
const wchar_t kFileName[] = L"\\last-clean.json";
const wchar_t kNewSuffix[] = L".new";
// A report larger than this is no report of ours.
const DWORD kLargestReport = 64 * 1024 * 1024;
const int kFormatSize = 128;

const char kFinishedField[] = "finished";
const char kSucceededField[] = "succeeded";
const char kTargetsField[] = "targets";

const wchar_t kNotYetText[] = L"not yet run.";
const wchar_t kUnreadableText[] = L"its report cannot be read.";
const wchar_t kAllGoneText[] = L"everything chosen is gone.";
const wchar_t kNothingChosenText[] =
    L"nothing was chosen: check what to clean and use File > Save check as default.";
const wchar_t kNotAllGoneText[] =
    L"some items could not be removed (run the clean in Quenby to see which).";

bool WriteWhole(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file);
}

std::string ReadWhole(const std::wstring& path) {
    platform::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kLargestReport)
        return std::string();
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr))
        return std::string();
    bytes.resize(read);
    return bytes;
}

bool ParseReportTime(const std::string& text, SYSTEMTIME& time) {
    unsigned year, month, day, hour, minute, second;
    char zone = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u%c", &year, &month, &day, &hour, &minute,
                    &second, &zone) != 7 ||
        zone != 'Z')
        return false;
    time = {WORD(year), WORD(month), 0, WORD(day), WORD(hour), WORD(minute), WORD(second), 0};
    FILETIME check;
    return SystemTimeToFileTime(&time, &check) != FALSE;
}

// The finish in the user's local time, as the user's locale writes it.
std::wstring LocalTimeShown(const SYSTEMTIME& utc) {
    SYSTEMTIME local;
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    wchar_t date[kFormatSize] = {}, time[kFormatSize] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, kFormatSize);
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &local, nullptr, time, kFormatSize);
    return std::wstring(date) + L" " + time;
}

} // namespace

std::wstring LastCleanPath() {
    const std::wstring local = platform::KnownFolderPath(FOLDERID_LocalAppData);
    return local.empty() ? local : local + kFolderName + kFileName;
}

bool ReplaceLastClean(const std::string& utf8) {
    const std::wstring path = LastCleanPath();
    if (path.empty())
        return false;
    CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    const std::wstring fresh = path + kNewSuffix;
    bool written = false;
    {
        platform::UniqueFile file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file && WriteWhole(file.get(), utf8);
    }
    if (written && MoveFileExW(fresh.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(fresh.c_str());
    return false;
}

LastCleanResult ReadLastClean() {
    LastCleanResult result;
    const std::wstring path = LastCleanPath();
    if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return result;
    result.state = LastCleanState::Unreadable;
    const nlohmann::json report = nlohmann::json::parse(ReadWhole(path), nullptr, false);
    if (!report.is_object() || !report.contains(kFinishedField) ||
        !report[kFinishedField].is_string() || !report.contains(kSucceededField) ||
        !report[kSucceededField].is_boolean() || !report.contains(kTargetsField) ||
        !report[kTargetsField].is_array() ||
        !ParseReportTime(report[kFinishedField].get<std::string>(), result.finished))
        return result;
    if (!report[kSucceededField].get<bool>())
        result.state = LastCleanState::NotAllGone;
    else if (report[kTargetsField].empty())
        result.state = LastCleanState::NothingChosen;
    else
        result.state = LastCleanState::AllGone;
    return result;
}

std::wstring LastCleanText(const LastCleanResult& result) {
    switch (result.state) {
    case LastCleanState::None:
        return kNotYetText;
    case LastCleanState::Unreadable:
        return kUnreadableText;
    case LastCleanState::AllGone:
        return LocalTimeShown(result.finished) + L": " + kAllGoneText;
    case LastCleanState::NothingChosen:
        return LocalTimeShown(result.finished) + L": " + kNothingChosenText;
    default:
        return LocalTimeShown(result.finished) + L": " + kNotAllGoneText;
    }
}

std::string ReportTime(const SYSTEMTIME& utc) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth,
                  utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
    return text;
}
