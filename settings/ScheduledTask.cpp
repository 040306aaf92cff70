#include "settings/ScheduledTask.h"

#include "framework/ComPtr.h"
#include "platform/Handles.h"
#include "platform/Seams.h"
#include "settings/SavedSelection.h"

#include <sddl.h>
#include <taskschd.h>

#include <cwchar>
#include <vector>

namespace {

const char kScheduleEntry[] = "Schedule";
const char kScheduleCommandEntry[] = "ScheduleCommand";
const wchar_t kConsoleProgram[] = L"QuenbyCmd.exe";
const wchar_t kRootFolder[] = L"\\";
const wchar_t kFolderName[] = L"Quenby";
const DWORD kLongestPath = 32768;
const size_t kMessageSize = 512;

const wchar_t kServiceNotRunningText[] =
    L"The Task Scheduler service is not running. Start it (Services: \"Task Scheduler\") "
    L"and try again.";
const wchar_t kAccessDeniedText[] = L"Task Scheduler refused the change: access is denied.";
const wchar_t kNotAvailableText[] = L"Task Scheduler is not available on this system.";
const wchar_t kPathTooLongText[] =
    L"The program's folder is too long for a scheduled task: move Quenby to a shorter path.";
const wchar_t kConsoleMissingText[] =
    L"QuenbyCmd.exe, which runs the scheduled clean, is missing beside Quenby.exe: install "
    L"Quenby again.";

// COM for the calling thread while the object lives. A thread that already
// has COM (the window's, with OLE) keeps it: that call is counted too and
// balanced here; one in the other apartment model can use COM as it is.
class ComScope {
public:
    ComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : m_value(SysAllocString(text.c_str())) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(m_value); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_value; }
    BSTR* put() {
        SysFreeString(m_value);
        m_value = nullptr;
        return &m_value;
    }
    std::wstring Text() const { return m_value ? m_value : L""; }

private:
    BSTR m_value = nullptr;
};

bool IsNotFound(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

// The SID of the user this process runs as, in its text form.
HRESULT UserSid(std::wstring& sid) {
    platform::UniqueHandle token;
    if (!platform::seam::OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return HRESULT_FROM_WIN32(GetLastError());
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size ? size : 1);
    LPWSTR text = nullptr;
    if (!GetTokenInformation(token.get(), TokenUser, user.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        return HRESULT_FROM_WIN32(GetLastError());
    sid = text;
    LocalFree(text);
    return S_OK;
}

HRESULT Connect(ComPtr<ITaskService>& service) {
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskService, service.put_void());
    if (FAILED(hr))
        return hr;
    VARIANT none;
    VariantInit(&none);
    return service->Connect(none, none, none, none);
}

// The tasks' folder; with `create`, made when it is missing.
HRESULT OpenFolder(ITaskService* service, bool create, ComPtr<ITaskFolder>& folder) {
    HRESULT hr = service->GetFolder(Bstr(kTaskFolder).get(), folder.put());
    if (!IsNotFound(hr) || !create)
        return hr;
    ComPtr<ITaskFolder> root;
    if (FAILED(hr = service->GetFolder(Bstr(kRootFolder).get(), root.put())))
        return hr;
    VARIANT inherited;
    VariantInit(&inherited);
    return root->CreateFolder(Bstr(kFolderName).get(), inherited, folder.put());
}

// The folder goes with its last task; while other users' tasks are in it,
// Task Scheduler refuses, and that is as it should be.
void RemoveFolderIfEmpty(ITaskService* service) {
    ComPtr<ITaskFolder> root;
    if (SUCCEEDED(service->GetFolder(Bstr(kRootFolder).get(), root.put())))
        root->DeleteFolder(Bstr(kFolderName).get(), 0);
}

HRESULT Register(ITaskFolder* folder, const std::wstring& name, const std::wstring& xml) {
    VARIANT none;
    VariantInit(&none);
    ComPtr<IRegisteredTask> task;
    return folder->RegisterTask(Bstr(name).get(), Bstr(xml).get(), TASK_CREATE_OR_UPDATE, none,
                                none, TASK_LOGON_INTERACTIVE_TOKEN, none, task.put());
}

void KeepCopy(const CleanSchedule& schedule, const std::wstring& commandLine) {
    WriteSavedText(kScheduleEntry, ScheduleText(schedule));
    WriteSavedText(kScheduleCommandEntry, commandLine);
}

HRESULT RemoveTask(ITaskService* service, const std::wstring& name) {
    ComPtr<ITaskFolder> folder;
    HRESULT hr = OpenFolder(service, false, folder);
    if (SUCCEEDED(hr))
        hr = folder->DeleteTask(Bstr(name).get(), 0);
    if (FAILED(hr) && !IsNotFound(hr))
        return hr;
    RemoveFolderIfEmpty(service);
    return S_OK;
}

std::wstring TaskXml(IRegisteredTask* task) {
    Bstr xml;
    return SUCCEEDED(task->get_Xml(xml.put())) ? xml.Text() : std::wstring();
}

bool SameFolder(const std::wstring& program, const std::wstring& folder) {
    const size_t slash = program.find_last_of(L'\\');
    std::wstring trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == L'\\')
        trimmed.pop_back();
    return slash != std::wstring::npos &&
           CompareStringOrdinal(program.c_str(), int(slash), trimmed.c_str(), int(trimmed.size()),
                                TRUE) == CSTR_EQUAL;
}

// The names of the folder's tasks: every one, or the current user's where
// the platform cannot list a folder (Wine 8 answers E_NOTIMPL for the count).
HRESULT TaskNames(ITaskFolder* folder, std::vector<std::wstring>& names) {
    ComPtr<IRegisteredTaskCollection> tasks;
    LONG count = 0;
    HRESULT hr = folder->GetTasks(TASK_ENUM_HIDDEN, tasks.put());
    if (SUCCEEDED(hr))
        hr = tasks->get_Count(&count);
    if (hr == E_NOTIMPL) {
        std::wstring sid;
        hr = UserSid(sid);
        names.push_back(ScheduledTaskName(sid));
        return hr;
    }
    if (FAILED(hr))
        return hr;
    for (LONG i = 1; i <= count; ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        ComPtr<IRegisteredTask> task;
        Bstr name;
        if (SUCCEEDED(tasks->get_Item(index, task.put())) && SUCCEEDED(task->get_Name(name.put())))
            names.push_back(name.Text());
    }
    return S_OK;
}

} // namespace

std::wstring ConsoleProgramBesideThis() {
    std::wstring path(kLongestPath, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], kLongestPath);
    path.resize(length < kLongestPath ? length : 0);
    return path.substr(0, path.find_last_of(L'\\') + 1) + kConsoleProgram;
}

HRESULT ScheduledTaskXmlNow(const CleanSchedule& schedule, const std::wstring& consoleProgram,
                            std::wstring& xml) {
    std::wstring sid;
    if (HRESULT hr = UserSid(sid); FAILED(hr))
        return hr;
    SYSTEMTIME now;
    GetLocalTime(&now);
    xml = ScheduledTaskXml(schedule, sid, consoleProgram, now);
    return xml.empty() ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) : S_OK;
}

HRESULT SetScheduledClean(const CleanSchedule& schedule, const std::wstring& consoleProgram) {
    ComScope com;
    std::wstring sid, xml;
    ComPtr<ITaskService> service;
    HRESULT hr = UserSid(sid);
    if (SUCCEEDED(hr))
        hr = Connect(service);
    if (FAILED(hr))
        return hr;
    if (schedule.kind == ScheduleKind::Off) {
        if (SUCCEEDED(hr = RemoveTask(service.get(), ScheduledTaskName(sid))))
            KeepCopy(schedule, std::wstring());
        return hr;
    }
    if (GetFileAttributesW(consoleProgram.c_str()) == INVALID_FILE_ATTRIBUTES)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    if (FAILED(hr = ScheduledTaskXmlNow(schedule, consoleProgram, xml)))
        return hr;
    ComPtr<ITaskFolder> folder;
    if (FAILED(hr = OpenFolder(service.get(), true, folder)) ||
        FAILED(hr = Register(folder.get(), ScheduledTaskName(sid), xml)))
        return hr;
    KeepCopy(schedule, ScheduledCommandLine(consoleProgram));
    return S_OK;
}

StoredSchedule ReadStoredSchedule() {
    StoredSchedule stored;
    std::wstring error;
    if (!ParseScheduleText(ReadSavedText(kScheduleEntry), stored.schedule, error) ||
        stored.schedule.kind == ScheduleKind::Off)
        return StoredSchedule();
    stored.commandLine = ReadSavedText(kScheduleCommandEntry);
    return stored;
}

HRESULT ReadScheduledClean(ScheduledClean& clean) {
    ComScope com;
    clean = ScheduledClean();
    std::wstring sid;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;
    ComPtr<IRegisteredTask> task;
    HRESULT hr = UserSid(sid);
    if (SUCCEEDED(hr) && SUCCEEDED(hr = Connect(service)) &&
        SUCCEEDED(hr = OpenFolder(service.get(), false, folder)))
        hr = folder->GetTask(Bstr(ScheduledTaskName(sid)).get(), task.put());
    if (IsNotFound(hr))
        return S_OK;
    if (FAILED(hr))
        return hr;
    clean.registered = true;
    clean.fromTask = ReadTaskXml(TaskXml(task.get()), clean.schedule, clean.commandLine);
    if (!clean.fromTask) {
        const StoredSchedule stored = ReadStoredSchedule();
        clean.schedule = stored.schedule;
        clean.commandLine = stored.commandLine;
    }
    return S_OK;
}

HRESULT RemoveScheduledCleansOf(const std::wstring& programFolder, int& removed) {
    ComScope com;
    removed = 0;
    ComPtr<ITaskService> service;
    ComPtr<ITaskFolder> folder;
    std::vector<std::wstring> names;
    HRESULT hr = Connect(service);
    if (SUCCEEDED(hr) && SUCCEEDED(hr = OpenFolder(service.get(), false, folder)))
        hr = TaskNames(folder.get(), names);
    if (IsNotFound(hr))
        return S_OK;
    if (FAILED(hr))
        return hr;
    // A task that cannot be removed (another user's, without the rights)
    // does not keep the others: each goes that can, and the failure is said.
    for (const std::wstring& name : names) {
        ComPtr<IRegisteredTask> task;
        CleanSchedule schedule;
        std::wstring commandLine;
        if (FAILED(folder->GetTask(Bstr(name).get(), task.put())))
            continue;
        if (ReadTaskXml(TaskXml(task.get()), schedule, commandLine) &&
            !SameFolder(ProgramOf(commandLine), programFolder))
            continue;
        const HRESULT deleted = folder->DeleteTask(Bstr(name).get(), 0);
        removed += SUCCEEDED(deleted) ? 1 : 0;
        hr = SUCCEEDED(deleted) ? hr : deleted;
    }
    if (FAILED(hr))
        return hr;
    RemoveFolderIfEmpty(service.get());
    return S_OK;
}

std::wstring ScheduleFailureText(HRESULT hr) {
    switch (hr) {
    case SCHED_E_SERVICE_NOT_RUNNING:
        return kServiceNotRunningText;
    case E_ACCESSDENIED:
        return kAccessDeniedText;
    case REGDB_E_CLASSNOTREG:
        return kNotAvailableText;
    case HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE):
        return kPathTooLongText;
    case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
        return kConsoleMissingText;
    default:
        break;
    }
    wchar_t message[kMessageSize] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, DWORD(hr),
                   0, message, kMessageSize, nullptr);
    std::wstring text = message;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    wchar_t code[16];
    swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return (text.empty() ? L"Task Scheduler failed" : text) + L" (" + code + L")";
}
