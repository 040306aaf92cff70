// "Sites to keep...", from the more traces chooser: the sites a cookie clean
// keeps signed in. A site is typed and added (as the site it belongs to:
// "mail.example.co.uk" adds "example.co.uk"), removed, or taken from the
// suggestions. "OK" stores the list in "KeepSites"; "Cancel" writes nothing.
#pragma once

#include "framework/CDialog.h"

#include <string>
#include <vector>

class KeepSitesDlg : public CDialog {
public:
    explicit KeepSitesDlg(CWnd* pParent = nullptr);
    ~KeepSitesDlg() override = default;

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;

private:
    void OnAdd();
    void OnRemove();
    void OnKeepSuggestion();
    // Adds the site `entry` names to the list; says so, and answers false,
    // when it names none.
    bool AddSite(const std::wstring& entry);
    // Adds the typed site and empties the box; false as AddSite.
    bool AddTyped();
    std::wstring ItemText(int list, int item);
    std::vector<std::wstring> ListTexts(int list);

    DECLARE_MESSAGE_MAP()
};
