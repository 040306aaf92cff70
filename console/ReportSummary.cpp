#include "console/ReportSummary.h"

#include <windows.h>

namespace {

const DWORD ReasonSize = 512;
const wchar_t TrailingSpace[] = L" \r\n";

void Count(const CleanItem& item, TargetSummary& summary) {
    switch (item.kind) {
    case CleanItemKind::RegistryKey:
        summary.registryKeys.push_back(item.path);
        break;
    case CleanItemKind::RegistryValue:
        summary.registryValues.push_back(item.path);
        break;
    case CleanItemKind::File:
        ++summary.files;
        summary.fileBytes += item.bytes;
        break;
    case CleanItemKind::Folder:
        ++summary.folders;
        break;
    case CleanItemKind::FolderLink:
        summary.folderLinks.push_back(item.path);
        break;
    case CleanItemKind::IndexFile:
        summary.indexFiles.push_back({item.path, item.bytes});
        break;
    case CleanItemKind::KeptDesktopIni:
        summary.keptDesktopIni.push_back({item.path, item.bytes});
        break;
    case CleanItemKind::KeptLink:
        summary.keptLinks.push_back(item.path);
        break;
    case CleanItemKind::RecycleBin:
        summary.recycledItems += item.count;
        summary.recycledBytes += item.bytes;
        break;
    }
}

} // namespace

bool TargetSummary::IsEmpty() const {
    return files == 0 && folders == 0 && indexFiles.empty() && keptDesktopIni.empty() &&
           folderLinks.empty() && keptLinks.empty() && registryKeys.empty() &&
           registryValues.empty() && recycledItems == 0 && problems.empty();
}

TargetSummary Summarise(const CleanReport& report) {
    TargetSummary summary;
    for (const CleanItem& item : report.Items()) {
        if (item.error != 0)
            summary.problems.push_back(item);
        else
            Count(item, summary);
    }
    return summary;
}

const char* KindWord(CleanItemKind kind) {
    switch (kind) {
    case CleanItemKind::RegistryKey:
        return "key";
    case CleanItemKind::RegistryValue:
        return "value";
    case CleanItemKind::Folder:
        return "folder";
    case CleanItemKind::FolderLink:
    case CleanItemKind::KeptLink:
        return "link";
    case CleanItemKind::RecycleBin:
        return "recycle bin";
    default:
        return "file";
    }
}

std::wstring ReasonText(DWORD error) {
    wchar_t text[ReasonSize] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, ReasonSize, nullptr);
    std::wstring reason = text;
    reason.erase(reason.find_last_not_of(TrailingSpace) + 1);
    if (!reason.empty())
        reason += L' ';
    return reason + L"(error " + std::to_wstring(error) + L")";
}
