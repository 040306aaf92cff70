#include "console/TargetNames.h"

#include <windows.h>

namespace {
const char NameSeparator[] = ", ";
} // namespace

const TargetName kTargetNames[CleanTargetCount] = {
    {RealPlayer, "realplayer", "Real Player"},
    {MediaPlayer, "mediaplayer", "Media Player"},
    {RecentDocuments, "recent", "Recent documents"},
    {IEHistory, "history", "IE history"},
    {IEAddressBar, "typed-urls", "IE address bar"},
    {IEAutoComplete, "autocomplete", "IE Auto compelete forms"},
    {IEPasswords, "forms", "IE user names and passwords"},
    {RecycleBin, "recycle-bin", "Recycle bin"},
};

bool FindTarget(const std::string& name, CleanTarget& target) {
    for (const TargetName& entry : kTargetNames) {
        if (lstrcmpiA(name.c_str(), entry.name) == 0) {
            target = entry.target;
            return true;
        }
    }
    return false;
}

std::string TargetNameList() {
    std::string list;
    for (const TargetName& entry : kTargetNames)
        list += (list.empty() ? "" : NameSeparator) + std::string(entry.name);
    return list;
}
