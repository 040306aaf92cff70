// The options dialog: three check boxes showing the bits of "Option", and
// beside them the scheduled clean (Off, Daily, Weekly, At sign-in; the day
// and the time) with how its last run ended. "OK" stores the boxes and adds
// or removes the start-with-Windows entry when that option changed (when it
// stays on, an entry an earlier version wrote without quotes is rewritten
// with them); a changed schedule registers, replaces or removes its task in
// Task Scheduler. "Cancel" writes nothing.
#pragma once

#include "framework/CDialog.h"
#include "settings/CleanSchedule.h"

class COption : public CDialog {
    DECLARE_DYNAMIC(COption)

public:
    explicit COption(CWnd* pParent = nullptr);
    ~COption() override = default;

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    void OnScheduleKindChange();

    // The auto-run bit (0 or OptionAutoRun) as stored when the dialog opened.
    int m_initialAutoRun;
    // The schedule as Task Scheduler held it when the dialog opened.
    CleanSchedule m_initialSchedule;

private:
    void ShowSchedule(const CleanSchedule& schedule);
    void ShowLastClean();
    bool ChosenSchedule(CleanSchedule& schedule);
    void ApplySchedule(const CleanSchedule& chosen);

    DECLARE_MESSAGE_MAP()
};
