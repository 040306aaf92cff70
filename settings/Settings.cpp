#include "settings/Settings.h"

#include "framework/CWinApp.h"

CleanSelection ReadCleanSelection() {
    return static_cast<CleanSelection>(AfxGetApp()->GetProfileInt(kSettingsSection, kPlaceEntry, 0));
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

std::string ReadMoreTraces() {
    return AfxGetApp()->GetProfileString(kSettingsSection, kMoreTracesEntry);
}

void WriteMoreTraces(const std::string& names) {
    AfxGetApp()->WriteProfileString(kSettingsSection, kMoreTracesEntry, names.c_str());
}
