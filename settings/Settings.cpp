#include "settings/Settings.h"

#include "framework/CWinApp.h"
#include "settings/MoreTracesValue.h"

CleanSelection ReadCleanSelection() {
    return static_cast<CleanSelection>(
        AfxGetApp()->GetProfileInt(kSettingsSection, kPlaceEntry, 0));
}

OptionFlags ReadOptionFlags() {
    return static_cast<OptionFlags>(AfxGetApp()->GetProfileInt(kSettingsSection, kOptionEntry, 0));
}

void WriteCleanSelection(CleanSelection selection) {
    AfxGetApp()->WriteProfileInt(kSettingsSection, kPlaceEntry,
                                 static_cast<int>(selection & kCleanSelectionBits));
}

void WriteOptionFlags(OptionFlags options) {
    AfxGetApp()->WriteProfileInt(kSettingsSection, kOptionEntry,
                                 static_cast<int>(options & kOptionFlagBits));
}

std::vector<std::wstring> ReadMoreTraces() {
    return MoreTraceNamesOf(AfxGetApp()->GetProfileStringW(kSettingsSection, kMoreTracesEntry));
}

void WriteMoreTraces(const std::vector<std::wstring>& names) {
    AfxGetApp()->WriteProfileStringW(kSettingsSection, kMoreTracesEntry,
                                     MoreTracesValueOf(names).c_str());
}

std::vector<std::wstring> ReadKeepSites() {
    return AfxGetApp()->GetProfileStringList(kSettingsSection, kKeepSitesEntry);
}

void WriteKeepSites(const std::vector<std::wstring>& sites) {
    AfxGetApp()->WriteProfileStringList(kSettingsSection, kKeepSitesEntry, sites);
}
