#include "app/KeepSitesDlg.h"

#include "catalogue/BrowserTable.h"
#include "moretraces/KeptSites.h"
#include "moretraces/SiteSuggestions.h"
#include "res/resource.h"
#include "settings/Settings.h"
#include "platform/TextConversion.h"

#include <algorithm>

namespace {

// The sites with the most cookies that the suggestions show.
const size_t MostCookieSites = 10;
const int NoItem = -1;

std::vector<const Browser*> FoundBrowsers() {
    std::vector<const Browser*> found;
    for (const auto* family : {&ChromiumBrowsers(), &FirefoxBrowsers()}) {
        for (const BrowserRow& row : *family) {
            if (BrowserFound(row.browser))
                found.push_back(&row.browser);
        }
    }
    return found;
}

std::wstring LoadedText(UINT id) {
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, size_t(length)) : std::wstring();
}

} // namespace

BEGIN_MESSAGE_MAP(KeepSitesDlg, CDialog)
    ON_BN_CLICKED(IDC_KEEP_SITE_ADD, &KeepSitesDlg::OnAdd)
    ON_BN_CLICKED(IDC_KEEP_SITE_REMOVE, &KeepSitesDlg::OnRemove)
    ON_BN_CLICKED(IDC_KEEP_SITE_SUGGEST_ADD, &KeepSitesDlg::OnKeepSuggestion)
END_MESSAGE_MAP()

KeepSitesDlg::KeepSitesDlg(CWnd* pParent) : CDialog(IDD_KEEP_SITES, pParent) {}

BOOL KeepSitesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const std::wstring& site : ReadKeepSites())
        SendDlgItemMessageW(m_hWnd, IDC_KEEP_SITE_LIST, LB_ADDSTRING, 0, LPARAM(site.c_str()));
    for (const std::string& site : SuggestedSites(FoundBrowsers(), MostCookieSites))
        SendDlgItemMessageW(m_hWnd, IDC_KEEP_SITE_SUGGESTIONS, LB_ADDSTRING, 0,
                            LPARAM(platform::FromUtf8(site).c_str()));
    return TRUE;
}

std::wstring KeepSitesDlg::ItemText(int list, int item) {
    const LRESULT length = SendDlgItemMessageW(m_hWnd, list, LB_GETTEXTLEN, WPARAM(item), 0);
    if (length == LB_ERR)
        return std::wstring();
    std::wstring text(size_t(length) + 1, L'\0');
    SendDlgItemMessageW(m_hWnd, list, LB_GETTEXT, WPARAM(item), LPARAM(&text[0]));
    text.resize(size_t(length));
    return text;
}

std::vector<std::wstring> KeepSitesDlg::ListTexts(int list) {
    std::vector<std::wstring> texts;
    const LRESULT count = SendDlgItemMessageW(m_hWnd, list, LB_GETCOUNT, 0, 0);
    for (int item = 0; item < int(count); ++item)
        texts.push_back(ItemText(list, item));
    return texts;
}

bool KeepSitesDlg::AddSite(const std::wstring& entry) {
    const std::string site = sites::KeptSiteOf(entry);
    if (site.empty()) {
        MessageBoxW(m_hWnd, LoadedText(IDS_KEEP_SITE_NONE).c_str(), nullptr,
                    MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::wstring text = platform::FromUtf8(site);
    const std::vector<std::wstring> kept = ListTexts(IDC_KEEP_SITE_LIST);
    if (std::find(kept.begin(), kept.end(), text) == kept.end())
        SendDlgItemMessageW(m_hWnd, IDC_KEEP_SITE_LIST, LB_ADDSTRING, 0, LPARAM(text.c_str()));
    return true;
}

bool KeepSitesDlg::AddTyped() {
    const int length = GetWindowTextLengthW(GetDlgItem(IDC_KEEP_SITE_EDIT));
    std::wstring entry(size_t(length) + 1, L'\0');
    GetDlgItemTextW(m_hWnd, IDC_KEEP_SITE_EDIT, &entry[0], length + 1);
    entry.resize(size_t(length));
    if (!AddSite(entry))
        return false;
    SetDlgItemTextW(m_hWnd, IDC_KEEP_SITE_EDIT, L"");
    return true;
}

void KeepSitesDlg::OnAdd() {
    AddTyped();
}

void KeepSitesDlg::OnRemove() {
    const LRESULT item = SendDlgItemMessageW(m_hWnd, IDC_KEEP_SITE_LIST, LB_GETCURSEL, 0, 0);
    if (item != NoItem)
        SendDlgItemMessageW(m_hWnd, IDC_KEEP_SITE_LIST, LB_DELETESTRING, WPARAM(item), 0);
}

void KeepSitesDlg::OnKeepSuggestion() {
    const LRESULT item = SendDlgItemMessageW(m_hWnd, IDC_KEEP_SITE_SUGGESTIONS, LB_GETCURSEL, 0, 0);
    if (item != NoItem)
        AddSite(ItemText(IDC_KEEP_SITE_SUGGESTIONS, int(item)));
}

// Enter after typing a site adds it too; one that names no site keeps the
// dialog open.
void KeepSitesDlg::OnOK() {
    if (GetWindowTextLengthW(GetDlgItem(IDC_KEEP_SITE_EDIT)) > 0 && !AddTyped())
        return;
    WriteKeepSites(ListTexts(IDC_KEEP_SITE_LIST));
    CDialog::OnOK();
}
