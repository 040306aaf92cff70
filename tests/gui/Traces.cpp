#include "tests/gui/Traces.h"

#include "tests/gui/DriverOptions.h"
#include "tests/gui/Registry.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <set>

namespace gui {

namespace {

constexpr const char* RealPlayerRoot = "Software\\RealNetworks\\RealPlayer";
// The first version key and its first preferences key: the only ones cleaned.
constexpr const char* RealPlayerPreferences =
    "Software\\RealNetworks\\RealPlayer\\6.0\\Preferences";
constexpr const char* RecentClipKeyPrefix = "\\MostRecentClips";
constexpr int PlantedRecentClips = 9;
constexpr int DeletedRecentClips = 8;

constexpr const char* RecentFileList = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
constexpr const char* RecentFileValuePrefix = "File";
constexpr int PlantedRecentFiles = 10;
// File4 is missing: the values before it go, the ones after it stay.
constexpr int RecentFileGap = 4;

constexpr const char* TypedUrls = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr const char* IntelliForms = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
constexpr const char* ProtectedStorage = "Software\\Microsoft\\Protected Storage System Provider";
constexpr const char* AutoCompleteGuid = "e161255a-37c3-11d2-bcaa-00c04fd929db";
// Another store beside the auto-complete one: it stays.
constexpr const char* SiblingGuid = "5e7e8100-9138-11d1-945a-00c04fc308ff";

// Labels of the parts of a capture.
constexpr const char* RegistryLabel = "HKCU\\";
constexpr const char* RecentLabel = "recent";
constexpr const char* HistoryLabel = "history";
constexpr const char* RecycleBinLabel = "recycle bin\\";

constexpr const char* RecycledInfoSubfolder = "\\info\\";
constexpr const char* RecycledInfoExtension = ".trashinfo";

// An index file of the history: 25,000 bytes, the driver holds it open.
constexpr const char* HeldIndexFile = "History.IE5\\index.dat";
constexpr size_t IndexFileSize = 25000;
constexpr size_t IndexHeaderSize = 64;
constexpr const char* IndexHeader = "Client UrlCache MMF Ver 5.2";
// Other index files, not held: wiped and deleted.
constexpr size_t SmallIndexFileSize = 300;

constexpr DWORD Normal = FILE_ATTRIBUTE_NORMAL;
constexpr DWORD ReadOnly = FILE_ATTRIBUTE_READONLY;
constexpr DWORD ShellFile = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr const char* DesktopIni = "[.ShellClassInfo]\r\nIconIndex=-1\r\n";

DWORD Bit(int target) {
    return 1u << target;
}

std::string Numbered(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

// A file's content: a recognisable header, then non-zero bytes.
std::string IndexContent(size_t size) {
    std::string content(IndexHeader);
    content.resize(std::min(size, IndexHeaderSize), '\x01');
    while (content.size() < size)
        content.push_back(static_cast<char>('A' + content.size() % 26));
    return content;
}

// What wiping an index file leaves: its header, then zeros.
std::string Wiped(const std::string& content) {
    std::string wiped = content.substr(0, IndexHeaderSize);
    wiped.resize(content.size(), '\0');
    return wiped;
}

std::string TopName(const std::string& relative) {
    return relative.substr(0, relative.find('\\'));
}

void EraseStartingWith(TreeSnapshot& snapshot, const std::string& prefix) {
    for (auto entry = snapshot.lower_bound(prefix);
         entry != snapshot.end() && entry->first.compare(0, prefix.size(), prefix) == 0;)
        entry = snapshot.erase(entry);
}

std::string AutoCompleteKey(const std::string& sid) {
    return std::string(ProtectedStorage) + "\\" + sid + "\\Data\\" + AutoCompleteGuid;
}

} // namespace

Traces::Traces()
    : m_sid(CurrentUserSid()), m_recentFolder(SpecialFolder(CSIDL_RECENT)),
      m_historyFolder(SpecialFolder(CSIDL_HISTORY)) {}

Traces::~Traces() {
    m_heldIndexFile.reset();
    RemoveFolderTraces(m_recentFolder, m_recentFiles);
    RemoveFolderTraces(m_historyFolder, m_historyFiles);
    for (const std::string& key : m_createdKeys)
        DeleteKeyTree(key);
    if (!m_recycledName.empty()) {
        RemovePath(RecycledFilesFolder() + "\\" + m_recycledName);
        RemovePath(Options().trashFolder + RecycledInfoSubfolder + m_recycledName +
                   RecycledInfoExtension);
    }
}

bool Traces::Plant(DWORD targets, int extraHistoryFiles) {
    bool planted = PlantKeys(targets);
    if (targets & Bit(TargetRecentDocuments)) {
        m_recentFiles = {
            {"Report.doc.lnk", "shortcut", Normal, false},
            {"Notes.txt.lnk", "shortcut", ReadOnly, false},
            {"desktop.ini", DesktopIni, ShellFile, true},
            // Wiped too, then deleted: both folders are walked alike.
            {"INDEX.DAT", IndexContent(SmallIndexFileSize), ReadOnly, false},
            {"Sub\\a.lnk", "shortcut", Normal, false},
            {"Sub\\Deeper\\b.lnk", "shortcut", ReadOnly, false},
            {"Sub\\Deeper\\Desktop.INI", DesktopIni, Normal, true},
            {"Gone\\c.lnk", "shortcut", Normal, false},
            {"Gone\\Inner\\d.lnk", "shortcut", ReadOnly, false},
            {"Gone\\Inner\\Empty\\", "", Normal, false},
        };
        planted &= PlantFolder(m_recentFolder, m_recentFiles);
    }
    if (targets & Bit(TargetIEHistory))
        planted &= PlantHistory(extraHistoryFiles);
    if (targets & Bit(TargetRecycleBin))
        planted &= PlantRecycledFile();
    if (!planted)
        ADD_FAILURE() << "could not plant the traces of targets 0x" << std::hex << targets;
    return planted;
}

bool Traces::CreateTracedKey(const std::string& path) {
    std::string missing = FirstMissingKey(path);
    if (!missing.empty())
        m_createdKeys.push_back(missing);
    return CreateKey(path);
}

bool Traces::PlantKeys(DWORD targets) {
    bool planted = true;
    if (targets & Bit(TargetRealPlayer)) {
        // Only the first version key is cleaned: one left by others would be
        // the one cleaned instead.
        if (KeyExists(RealPlayerRoot)) {
            ADD_FAILURE() << RealPlayerRoot << " exists before planting";
            return false;
        }
        for (int n = 1; n <= PlantedRecentClips; ++n) {
            std::string key = RealPlayerPreferences + Numbered(RecentClipKeyPrefix, n);
            planted &= CreateTracedKey(key) &&
                       WriteString(key, "Clip", "C:\\clips\\" + Numbered("clip", n) + ".rm");
        }
    }
    if (targets & Bit(TargetMediaPlayer)) {
        planted &= CreateTracedKey(RecentFileList);
        for (int n = 0; n < PlantedRecentFiles; ++n) {
            if (n != RecentFileGap)
                planted &= WriteString(RecentFileList, Numbered(RecentFileValuePrefix, n).c_str(),
                                       "C:\\music\\" + Numbered("song", n) + ".wma");
        }
    }
    if (targets & Bit(TargetIEAddressBar)) {
        planted &= CreateTracedKey(std::string(TypedUrls) + "\\Extra") &&
                   WriteString(TypedUrls, "url1", "http://example.test/") &&
                   WriteString(TypedUrls, "url2", "http://example.test/typed") &&
                   WriteString(std::string(TypedUrls) + "\\Extra", "note", "below the list");
    }
    if (targets & Bit(TargetIEAutoComplete)) {
        std::string guid = AutoCompleteKey(m_sid);
        std::string data = guid.substr(0, guid.rfind('\\'));
        planted &= !m_sid.empty() && CreateTracedKey(guid + "\\Level1\\Level2") &&
                   WriteString(guid, "entry", "typed into a form") &&
                   WriteString(guid + "\\Level1", "entry", "one level down") &&
                   WriteString(guid + "\\Level1\\Level2", "entry", "two levels down") &&
                   WriteString(data, "kept", "beside the store") &&
                   WriteString(data + "\\" + SiblingGuid, "kept", "another store");
    }
    if (targets & Bit(TargetIEPasswords)) {
        planted &= CreateTracedKey(std::string(IntelliForms) + "\\SPW") &&
                   WriteString(IntelliForms, "AskUser", "yes") &&
                   WriteString(std::string(IntelliForms) + "\\SPW", "site", "user and password");
    }
    return planted;
}

bool Traces::PlantFolder(const std::string& folder, const std::vector<PlantedFile>& files) {
    if (folder.empty())
        return false;
    bool planted = true;
    for (const PlantedFile& file : files) {
        std::string path = folder + "\\" + file.relative;
        if (path.back() == '\\') {
            planted &= MakeFolders(path.substr(0, path.size() - 1));
            continue;
        }
        planted &= MakeFolders(path.substr(0, path.rfind('\\')));
        planted &= PlantFile(path, file.content, file.attributes);
    }
    return planted;
}

bool Traces::PlantHistory(int extraHistoryFiles) {
    const std::string visited = "http://example.test/visited";
    m_historyFiles = {
        {"desktop.ini", DesktopIni, ShellFile, true},
        {HeldIndexFile, IndexContent(IndexFileSize), Normal, true},
        {"History.IE5\\DESKTOP.INI", DesktopIni, Normal, true},
        {"History.IE5\\MSHist012024010120240108\\index.dat", IndexContent(IndexFileSize), ReadOnly,
         false},
        {"History.IE5\\MSHist012024010120240108\\visit.url", visited, Normal, false},
        {"Low\\History.IE5\\index.dat", IndexContent(SmallIndexFileSize), Normal, false},
    };
    for (int i = 0; i < extraHistoryFiles; ++i)
        m_historyFiles.push_back(
            {"Bulk\\" + Numbered("visit", i) + ".url", visited, Normal, false});
    if (!PlantFolder(m_historyFolder, m_historyFiles))
        return false;
    // Held as a browser holds its index: others may read and write it, but
    // not delete it.
    m_heldIndexFile.reset(CreateFileA((m_historyFolder + "\\" + HeldIndexFile).c_str(),
                                      GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(m_heldIndexFile);
}

bool Traces::PlantRecycledFile() {
    if (RecycledFilesFolder().empty())
        return false;
    std::string path = Options().scratchFolder + "\\" +
                       Numbered("recycled-", static_cast<int>(GetTickCount())) + ".txt";
    if (!PlantFile(path, "deleted by the user"))
        return false;
    std::vector<std::string> before = RecycledNames();
    if (!MoveToRecycleBin(path)) {
        RemovePath(path);
        return false;
    }
    for (const std::string& name : RecycledNames()) {
        if (std::find(before.begin(), before.end(), name) == before.end())
            m_recycledName = name;
    }
    return !m_recycledName.empty();
}

void Traces::RemoveFolderTraces(const std::string& folder, const std::vector<PlantedFile>& files) {
    for (const PlantedFile& file : files)
        RemovePath(folder + "\\" + TopName(file.relative));
}

TreeSnapshot Traces::Capture(bool withTimes) const {
    TreeSnapshot snapshot;
    std::vector<std::string> roots = {RealPlayerRoot, RecentFileList, TypedUrls, IntelliForms};
    if (!m_sid.empty())
        roots.push_back(std::string(ProtectedStorage) + "\\" + m_sid);
    for (const std::string& root : roots) {
        for (const auto& [key, value] : TakeSnapshot(root))
            snapshot[RegistryLabel + key] = value;
    }
    // Only what was planted: a folder may hold what others left in it.
    auto capturePlanted = [&snapshot, withTimes](const std::string& folder,
                                                 const std::string& label,
                                                 const std::vector<PlantedFile>& files) {
        std::set<std::string> names;
        for (const PlantedFile& file : files)
            names.insert(TopName(file.relative));
        for (const std::string& name : names)
            SnapshotPath(folder + "\\" + name, label + "\\" + name, snapshot, withTimes);
    };
    capturePlanted(m_recentFolder, RecentLabel, m_recentFiles);
    capturePlanted(m_historyFolder, HistoryLabel, m_historyFiles);
    for (const std::string& name : RecycledNames())
        snapshot[RecycleBinLabel + name] = "file";
    return snapshot;
}

void Traces::KeepFolderEntries(const std::string& label, const std::vector<PlantedFile>& files,
                               TreeSnapshot& expected) const {
    std::set<std::string> kept;
    for (const PlantedFile& file : files) {
        if (!file.stays)
            continue;
        std::string key = label + "\\" + file.relative;
        kept.insert(key);
        for (size_t slash = key.find('\\'); slash != std::string::npos;
             slash = key.find('\\', slash + 1))
            kept.insert(key.substr(0, slash + 1));
        if (label == HistoryLabel && file.relative == HeldIndexFile)
            expected[key] = DescribeFile(file.content.size(), file.attributes, Wiped(file.content));
    }
    std::string prefix = label + "\\";
    for (auto entry = expected.lower_bound(prefix);
         entry != expected.end() && entry->first.compare(0, prefix.size(), prefix) == 0;) {
        entry = kept.count(entry->first) ? std::next(entry) : expected.erase(entry);
    }
}

TreeSnapshot Traces::AfterClean(const TreeSnapshot& before, DWORD targets) const {
    TreeSnapshot expected = before;
    const std::string registry = RegistryLabel;
    if (targets & Bit(TargetRealPlayer)) {
        for (int n = 1; n <= DeletedRecentClips; ++n)
            EraseStartingWith(expected, registry + RealPlayerPreferences +
                                            Numbered(RecentClipKeyPrefix, n) + "\\");
    }
    if (targets & Bit(TargetMediaPlayer)) {
        for (int n = 0; n < RecentFileGap; ++n)
            expected.erase(registry + RecentFileList + "\\" + Numbered(RecentFileValuePrefix, n));
    }
    if (targets & Bit(TargetRecentDocuments))
        KeepFolderEntries(RecentLabel, m_recentFiles, expected);
    if (targets & Bit(TargetIEHistory))
        KeepFolderEntries(HistoryLabel, m_historyFiles, expected);
    if (targets & Bit(TargetIEAddressBar))
        EraseStartingWith(expected, registry + TypedUrls + "\\");
    if (targets & Bit(TargetIEAutoComplete))
        EraseStartingWith(expected, registry + AutoCompleteKey(m_sid) + "\\");
    if (targets & Bit(TargetIEPasswords))
        EraseStartingWith(expected, registry + IntelliForms + "\\");
    if (targets & Bit(TargetRecycleBin))
        EraseStartingWith(expected, RecycleBinLabel);
    return expected;
}

bool Traces::FolderCleaned(const std::string& folder, const std::vector<PlantedFile>& files) {
    std::set<std::string> kept;
    for (const PlantedFile& file : files) {
        if (file.stays)
            kept.insert(TopName(file.relative));
    }
    for (const PlantedFile& file : files) {
        std::string name = TopName(file.relative);
        if (!kept.count(name) && PathExists(folder + "\\" + name))
            return false;
    }
    return true;
}

bool Traces::LooksCleaned(int target) const {
    switch (target) {
    case TargetRealPlayer:
        return !KeyExists(RealPlayerPreferences + Numbered(RecentClipKeyPrefix, 1));
    case TargetMediaPlayer:
        return !ValueExists(RecentFileList, Numbered(RecentFileValuePrefix, 0).c_str());
    case TargetRecentDocuments:
        return FolderCleaned(m_recentFolder, m_recentFiles);
    case TargetIEHistory:
        return FolderCleaned(m_historyFolder, m_historyFiles);
    case TargetIEAddressBar:
        return !KeyExists(TypedUrls);
    case TargetIEAutoComplete:
        return !KeyExists(AutoCompleteKey(m_sid));
    case TargetIEPasswords:
        return !KeyExists(IntelliForms);
    case TargetRecycleBin:
        return m_recycledName.empty() ||
               GetFileAttributesA((RecycledFilesFolder() + "\\" + m_recycledName).c_str()) ==
                   INVALID_FILE_ATTRIBUTES;
    default:
        return false;
    }
}

void Traces::ExpectHeldIndexFileWiped() const {
    ASSERT_TRUE(m_heldIndexFile) << "the history's index file was not planted";
    EXPECT_EQ(GetFileSize(m_heldIndexFile.get(), nullptr), IndexFileSize) << "its size changed";
    std::string content(IndexFileSize, '\0');
    DWORD read = 0;
    SetFilePointer(m_heldIndexFile.get(), 0, nullptr, FILE_BEGIN);
    ASSERT_TRUE(ReadFile(m_heldIndexFile.get(), &content[0], static_cast<DWORD>(content.size()),
                         &read, nullptr));
    content.resize(read);
    std::string planted = IndexContent(IndexFileSize);
    EXPECT_EQ(content.substr(0, IndexHeaderSize), planted.substr(0, IndexHeaderSize))
        << "the first " << IndexHeaderSize << " bytes changed";
    size_t nonZero = content.find_first_not_of('\0', IndexHeaderSize);
    EXPECT_EQ(nonZero, std::string::npos)
        << "byte " << nonZero << " of " << content.size() << " is not zero";
}

} // namespace gui
