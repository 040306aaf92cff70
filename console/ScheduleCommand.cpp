#include "console/ScheduleCommand.h"

#include "settings/LastClean.h"
#include "settings/ScheduledTask.h"

namespace {

const wchar_t ShowWord[] = L"show";
const wchar_t RemoveWord[] = L"remove";
const wchar_t XmlSwitch[] = L"--xml";
const wchar_t FolderSwitch[] = L"--folder";
const wchar_t RemoveUsage[] = L"schedule remove takes no arguments but --folder DIR";
const wchar_t ShowUsage[] = L"schedule show takes no arguments";
const wchar_t XmlUsage[] = L"--xml is for daily, weekly and logon";

const int ExitDone = 0;
const int ExitRefused = 1;

const wchar_t ScheduledText[] = L"Scheduled clean: ";
const wchar_t NoneText[] = L"none";
const wchar_t CommandText[] = L"Command: ";
const wchar_t CopyNote[] =
    L"(Task Scheduler does not hand this task's trigger and action back: shown as Quenby set "
    L"them.)\n";
const wchar_t MissingNote[] =
    L"(Quenby's settings name one, but Task Scheduler holds no such task: set it again.)\n";
const wchar_t LastText[] = L"Last scheduled clean: ";
const wchar_t RemovedText[] = L"Scheduled cleans removed: ";
const wchar_t FailedText[] = L"QuenbyCmd: the scheduled clean could not be ";
const wchar_t ChangedWords[] = L"changed: ";
const wchar_t ReadWords[] = L"read: ";

std::wstring Describe(const CleanSchedule& schedule, const std::wstring& commandLine) {
    if (schedule.kind == ScheduleKind::Off)
        return ScheduledText + std::wstring(NoneText) + L"\n";
    return ScheduledText + ScheduleDescription(schedule) + L"\n" + CommandText + commandLine +
           L"\n";
}

int Refused(HRESULT hr, const wchar_t* what, ConsoleStream& err) {
    err.Write(FailedText + std::wstring(what) + ScheduleFailureText(hr) + L"\n");
    return ExitRefused;
}

int Set(const CleanSchedule& schedule, ConsoleStream& out, ConsoleStream& err) {
    const std::wstring program = ConsoleProgramBesideThis();
    if (HRESULT hr = SetScheduledClean(schedule, program); FAILED(hr))
        return Refused(hr, ChangedWords, err);
    out.Write(Describe(schedule, ScheduledCommandLine(program)));
    return ExitDone;
}

int Print(const CleanSchedule& schedule, ConsoleStream& out, ConsoleStream& err) {
    std::wstring xml;
    if (HRESULT hr = ScheduledTaskXmlNow(schedule, ConsoleProgramBesideThis(), xml); FAILED(hr))
        return Refused(hr, ChangedWords, err);
    out.WriteUnicode(xml);
    return ExitDone;
}

// The task as Task Scheduler holds it, or as Quenby set it where the
// platform does not say; then the last quiet clean's report.
int Show(ConsoleStream& out, ConsoleStream& err) {
    ScheduledClean clean;
    if (HRESULT hr = ReadScheduledClean(clean); FAILED(hr))
        return Refused(hr, ReadWords, err);
    out.Write(Describe(clean.registered ? clean.schedule : CleanSchedule(), clean.commandLine));
    if (clean.registered && !clean.fromTask)
        out.Write(std::wstring(CopyNote));
    if (!clean.registered && ReadStoredSchedule().schedule.kind != ScheduleKind::Off)
        out.Write(std::wstring(MissingNote));
    out.Write(LastText + LastCleanText(ReadLastClean()) + L"\n");
    return ExitDone;
}

int Remove(const std::wstring& folder, ConsoleStream& out, ConsoleStream& err) {
    const std::wstring program = ConsoleProgramBesideThis();
    int removed = 0;
    const HRESULT hr = RemoveScheduledCleansOf(
        folder.empty() ? program.substr(0, program.find_last_of(L'\\')) : folder, removed);
    if (FAILED(hr))
        return Refused(hr, ChangedWords, err);
    out.Write(RemovedText + std::to_wstring(removed) + L"\n");
    return ExitDone;
}

bool ParseRemove(const std::vector<std::wstring>& words, std::wstring& folder,
                 std::wstring& error) {
    if (words.size() == 1)
        return true;
    if (words.size() == 3 && words[1] == FolderSwitch && !words[2].empty()) {
        folder = words[2];
        return true;
    }
    error = RemoveUsage;
    return false;
}

} // namespace

bool ParseScheduleArguments(const std::vector<std::wstring>& args, ScheduleRequest& request,
                            std::wstring& error) {
    request = ScheduleRequest();
    std::vector<std::wstring> words;
    bool xml = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == XmlSwitch)
            xml = true;
        else
            words.push_back(args[i]);
    }
    if (!words.empty() && words[0] == RemoveWord && !xml) {
        request.action = ScheduleAction::Remove;
        return ParseRemove(words, request.folder, error);
    }
    if (!words.empty() && words[0] == ShowWord) {
        error = words.size() == 1 && !xml ? L"" : ShowUsage;
        return error.empty();
    }
    if (!ParseSchedule(words, request.schedule, error))
        return false;
    if (xml && request.schedule.kind == ScheduleKind::Off) {
        error = XmlUsage;
        return false;
    }
    request.action = xml ? ScheduleAction::Print : ScheduleAction::Set;
    return true;
}

int RunSchedule(const ScheduleRequest& request, ConsoleStream& out, ConsoleStream& err) {
    switch (request.action) {
    case ScheduleAction::Set:
        return Set(request.schedule, out, err);
    case ScheduleAction::Print:
        return Print(request.schedule, out, err);
    case ScheduleAction::Remove:
        return Remove(request.folder, out, err);
    default:
        return Show(out, err);
    }
}
