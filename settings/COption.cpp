#include "settings/COption.h"

#include "res/resource.h"
#include "settings/AutoRun.h"
#include "settings/LastClean.h"
#include "settings/ScheduledTask.h"
#include "settings/Settings.h"

#include <string>

namespace {
constexpr int kOptionCount = 3;

// The choices of IDC_SCHEDULE_KIND, in the order of ScheduleKind.
const char* const kKindItems[] = {"Off", "Daily", "Weekly", "At sign-in"};
// The days from Monday, as most of the world starts the week; item i is day
// (i + 1) % 7 in SYSTEMTIME's count, which starts on Sunday.
constexpr int kFirstDayShown = 1;
// What a schedule turned on from Off starts with.
constexpr int kDefaultHour = 20;
constexpr int kTimeTextSize = 16;

constexpr const wchar_t kLastText[] = L"Last scheduled clean: ";
constexpr const char kBadTimeText[] =
    "Give the time of the scheduled clean as HH:MM (24-hour), for example 07:30.";
constexpr const wchar_t kNotChangedText[] = L"The scheduled clean could not be changed.\n\n";

int DayItem(int day) {
    return (day - kFirstDayShown + kDaysInWeek) % kDaysInWeek;
}

// The schedule Task Scheduler holds (in the words of Quenby's copy where the
// platform does not hand a task back): Off when the task is gone, as after an
// uninstall, so that OK registers it again; the copy when Task Scheduler
// cannot be asked.
CleanSchedule RegisteredSchedule() {
    ScheduledClean clean;
    if (FAILED(ReadScheduledClean(clean)))
        return ReadStoredSchedule().schedule;
    return clean.registered ? clean.schedule : CleanSchedule();
}

std::string Ansi(const std::wstring& text) {
    std::string ansi(text.size() * 2 + 1, '\0');
    ansi.resize(WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), &ansi[0],
                                    int(ansi.size()), nullptr, nullptr));
    return ansi;
}
} // namespace

IMPLEMENT_DYNAMIC(COption, CDialog)

BEGIN_MESSAGE_MAP(COption, CDialog)
    ON_CBN_SELCHANGE(IDC_SCHEDULE_KIND, &COption::OnScheduleKindChange)
END_MESSAGE_MAP()

COption::COption(CWnd* pParent) : CDialog(IDD_OPTION, pParent), m_initialAutoRun(0) {}

BOOL COption::OnInitDialog() {
    CDialog::OnInitDialog();

    OptionFlags options = ReadOptionFlags();
    for (int i = 0; i < kOptionCount; ++i) {
        // A clear bit leaves the box unchecked, as the template creates it.
        if (options & (1u << i))
            SendDlgItemMessage(IDC_OPTION_CLEAN_AT_SHUTDOWN + i, BM_SETCHECK, BST_CHECKED);
    }
    m_initialAutoRun = static_cast<int>(options & OptionAutoRun);

    m_initialSchedule = RegisteredSchedule();
    ShowSchedule(m_initialSchedule);
    ShowLastClean();
    return TRUE;
}

void COption::ShowSchedule(const CleanSchedule& schedule) {
    for (const char* item : kKindItems)
        SendDlgItemMessage(IDC_SCHEDULE_KIND, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    for (int i = 0; i < kDaysInWeek; ++i) {
        const std::string day = Ansi(DayName(i + kFirstDayShown));
        SendDlgItemMessage(IDC_SCHEDULE_DAY, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(day.c_str()));
    }
    const bool off = schedule.kind == ScheduleKind::Off;
    SendDlgItemMessage(IDC_SCHEDULE_KIND, CB_SETCURSEL, static_cast<WPARAM>(schedule.kind));
    SendDlgItemMessage(IDC_SCHEDULE_DAY, CB_SETCURSEL, DayItem(schedule.day));
    const std::wstring time = TimeText(off ? kDefaultHour : schedule.hour, schedule.minute);
    SetDlgItemTextW(m_hWnd, IDC_SCHEDULE_TIME, time.c_str());
    OnScheduleKindChange();
}

void COption::ShowLastClean() {
    SetDlgItemTextW(m_hWnd, IDC_SCHEDULE_LAST,
                    (kLastText + LastCleanText(ReadLastClean())).c_str());
}

// The day counts for a weekly clean only, the time for daily and weekly ones.
void COption::OnScheduleKindChange() {
    const LRESULT kind = SendDlgItemMessage(IDC_SCHEDULE_KIND, CB_GETCURSEL);
    const bool weekly = kind == LRESULT(ScheduleKind::Weekly);
    const bool timed = weekly || kind == LRESULT(ScheduleKind::Daily);
    for (int id : {IDC_SCHEDULE_DAY_LABEL, IDC_SCHEDULE_DAY})
        EnableWindow(GetDlgItem(id), weekly);
    for (int id : {IDC_SCHEDULE_TIME_LABEL, IDC_SCHEDULE_TIME})
        EnableWindow(GetDlgItem(id), timed);
}

// The schedule the controls show; false when its time is no time of day.
bool COption::ChosenSchedule(CleanSchedule& schedule) {
    schedule = CleanSchedule();
    const LRESULT kind = SendDlgItemMessage(IDC_SCHEDULE_KIND, CB_GETCURSEL);
    schedule.kind = kind < 0 ? ScheduleKind::Off : static_cast<ScheduleKind>(kind);
    schedule.day =
        (int(SendDlgItemMessage(IDC_SCHEDULE_DAY, CB_GETCURSEL)) + kFirstDayShown) % kDaysInWeek;
    if (schedule.kind != ScheduleKind::Daily && schedule.kind != ScheduleKind::Weekly)
        return true;
    wchar_t time[kTimeTextSize] = {};
    GetDlgItemTextW(m_hWnd, IDC_SCHEDULE_TIME, time, kTimeTextSize);
    return ParseTime(time, schedule.hour, schedule.minute);
}

// A changed schedule is registered anew, and so is one that runs another
// copy of the program (moved, or installed elsewhere since).
void COption::ApplySchedule(const CleanSchedule& chosen) {
    const std::wstring program = ConsoleProgramBesideThis();
    const bool moved = chosen.kind != ScheduleKind::Off &&
                       ReadStoredSchedule().commandLine != ScheduledCommandLine(program);
    if (chosen == m_initialSchedule && !moved)
        return;
    if (HRESULT hr = SetScheduledClean(chosen, program); FAILED(hr))
        MessageBox(Ansi(kNotChangedText + ScheduleFailureText(hr)).c_str(), nullptr,
                   MB_OK | MB_ICONEXCLAMATION);
}

void COption::OnOK() {
    CleanSchedule schedule;
    if (!ChosenSchedule(schedule)) {
        MessageBox(kBadTimeText, nullptr, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(GetDlgItem(IDC_SCHEDULE_TIME));
        return;
    }

    OptionFlags options = 0;
    for (int i = 0; i < kOptionCount; ++i) {
        if (SendDlgItemMessage(IDC_OPTION_CLEAN_AT_SHUTDOWN + i, BM_GETCHECK) == BST_CHECKED)
            options |= 1u << i;
    }
    // "Option" first: it keeps the user's choice even when the entry cannot
    // be changed.
    WriteOptionFlags(options);

    int autoRun = static_cast<int>(options & OptionAutoRun);
    if (autoRun != m_initialAutoRun)
        SetAutoRun(autoRun);
    else if (autoRun)
        RequoteAutoRun();

    ApplySchedule(schedule);
    CDialog::OnOK();
}
