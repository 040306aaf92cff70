// The folder cleaners against real files of the sandbox: the depth-first
// walk, the kept "desktop.ini", the index-file wipe, links, names outside the
// ANSI code page and long paths.
#include "clean/CleanReport.h"
#include "clean/Cleaner.h"
#include "clean/FolderNotes.h"
#include "clean/FolderWalk.h"
#include "clean/JumpList.h"
#include "clean/NotingVisitors.h"
#include "clean/WidePath.h"
#include "platform/Seams.h"
#include "tests/unit/CleanerTestSupport.h"

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <set>
#include <string>

using namespace cleanertest;

namespace {

const size_t HeaderSize = 64;
const size_t IndexSize = 25000;

std::string Ansi(const std::wstring& text) {
    char buffer[4 * MAX_PATH] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, &lossy);
    EXPECT_FALSE(lossy) << "the test path must be representable in the ANSI code page";
    return buffer;
}

// Keeps a file open for reading and writing by others, but not for deletion,
// so that the cleaner can wipe it and cannot delete it.
platform::UniqueFile HoldUndeletable(const std::wstring& path) {
    return platform::UniqueFile(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The expected state of a wiped index file: header kept, the rest zero.
std::string Wiped(const std::string& original) {
    std::string wiped = original;
    std::fill(wiped.begin() + HeaderSize, wiped.end(), '\0');
    return wiped;
}

class FolderCleanerTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_SANDBOX(); }

    std::string Folder() const { return Ansi(m_root.Path()); }
    std::wstring At(const std::wstring& relative) const { return m_root / relative; }

    TestFolder m_root{L"quenby-folder-test"};
    Cleaner m_cleaner;
};

TEST_F(FolderCleanerTest, EmptiesNestedFoldersButKeepsTheFolder) {
    WriteBytes(At(L"a.txt"), "a");
    MakeFolder(At(L"sub"));
    WriteBytes(At(L"sub\\b.txt"), "b");
    MakeFolder(At(L"sub\\deeper"));
    WriteBytes(At(L"sub\\deeper\\c.lnk"), "c");
    MakeFolder(At(L"sub\\deeper\\empty"));

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 1));

    EXPECT_TRUE(Entries(m_root.Path()).empty()) << "entries left behind";
    EXPECT_TRUE(Exists(m_root.Path())) << "the folder itself stays";
}

TEST_F(FolderCleanerTest, KeepsDesktopIniInAnyCaseWithTheFoldersThatHoldIt) {
    WriteBytes(At(L"desktop.ini"), "top");
    WriteBytes(At(L"other.txt"), "x");
    MakeFolder(At(L"sub"));
    WriteBytes(At(L"sub\\Desktop.INI"), "sub");
    WriteBytes(At(L"sub\\other.txt"), "x");
    MakeFolder(At(L"sub\\deeper"));
    WriteBytes(At(L"sub\\deeper\\DESKTOP.ini"), "deeper");
    MakeFolder(At(L"sub\\deeper\\gone"));
    WriteBytes(At(L"sub\\deeper\\gone\\x.txt"), "x");
    MakeFolder(At(L"plain"));
    WriteBytes(At(L"plain\\y.txt"), "y");

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 1));

    EXPECT_EQ("top", ReadBytes(At(L"desktop.ini")));
    EXPECT_EQ("sub", ReadBytes(At(L"sub\\Desktop.INI")));
    EXPECT_EQ("deeper", ReadBytes(At(L"sub\\deeper\\DESKTOP.ini")));
    EXPECT_EQ(2u, Entries(m_root.Path()).size()) << "only desktop.ini and sub should remain";
    EXPECT_EQ(2u, Entries(At(L"sub")).size()) << "only Desktop.INI and deeper should remain";
    EXPECT_EQ(1u, Entries(At(L"sub\\deeper")).size()) << "only DESKTOP.ini should remain";

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 1, 1));
    EXPECT_TRUE(Entries(m_root.Path()).empty()) << "with includeDesktopIni they go too";
}

TEST_F(FolderCleanerTest, RemovesReadOnlyFilesAndFolders) {
    WriteBytes(At(L"locked.txt"), "x");
    MakeFolder(At(L"lockedFolder"));
    WriteBytes(At(L"lockedFolder\\inner.txt"), "y");
    for (const wchar_t* name : {L"locked.txt", L"lockedFolder\\inner.txt", L"lockedFolder"})
        SetFileAttributesW(At(name).c_str(),
                           GetFileAttributesW(At(name).c_str()) | FILE_ATTRIBUTE_READONLY);
    ASSERT_FALSE(DeleteFileW(At(L"locked.txt").c_str())) << "the read-only bit should hold";

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 1));

    EXPECT_TRUE(Entries(m_root.Path()).empty());
}

TEST_F(FolderCleanerTest, WipesAnUndeletableIndexFileAfterItsHeader) {
    const std::string original = Pattern(IndexSize);
    MakeFolder(At(L"sub"));
    WriteBytes(At(L"index.dat"), original);
    WriteBytes(At(L"sub\\INDEX.Dat"), original);
    WriteBytes(At(L"sub\\index.dat.old"), original);
    SetFileAttributesW(At(L"sub\\INDEX.Dat").c_str(), FILE_ATTRIBUTE_READONLY);
    platform::UniqueFile top = HoldUndeletable(At(L"index.dat"));
    platform::UniqueFile nested = HoldUndeletable(At(L"sub\\INDEX.Dat"));
    platform::UniqueFile other = HoldUndeletable(At(L"sub\\index.dat.old"));
    ASSERT_TRUE(top && nested && other);

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 1));

    EXPECT_EQ(Wiped(original), ReadBytes(At(L"index.dat")))
        << "size and header unchanged, every later byte zero";
    EXPECT_EQ(Wiped(original), ReadBytes(At(L"sub\\INDEX.Dat")))
        << "the name ignores case, and a read-only file is made writable";
    EXPECT_EQ(original, ReadBytes(At(L"sub\\index.dat.old"))) << "only index.dat is wiped";
}

TEST_F(FolderCleanerTest, LeavesIndexFilesOfHeaderSizeOrLessUntouched) {
    for (size_t size : {size_t(0), size_t(10), HeaderSize}) {
        const std::string original = Pattern(size);
        WriteBytes(At(L"index.dat"), original);
        EXPECT_EQ(1, m_cleaner.WipeIndexFile(Folder().c_str(), "index.dat")) << size;
        EXPECT_EQ(original, ReadBytes(At(L"index.dat"))) << "a file of " << size << " bytes";
    }
    const std::string longer = Pattern(HeaderSize + 1);
    WriteBytes(At(L"index.dat"), longer);
    EXPECT_EQ(1, m_cleaner.WipeIndexFile(Folder().c_str(), "index.dat"));
    EXPECT_EQ(Wiped(longer), ReadBytes(At(L"index.dat"))) << "one byte past the header";

    EXPECT_EQ(0, m_cleaner.WipeIndexFile(Folder().c_str(), "missing.dat"));
}

TEST_F(FolderCleanerTest, WipesNothingWhenIndexFilesAreNotAskedFor) {
    const std::string original = Pattern(IndexSize);
    WriteBytes(At(L"index.dat"), original);
    platform::UniqueFile held = HoldUndeletable(At(L"index.dat"));

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 0));

    EXPECT_EQ(original, ReadBytes(At(L"index.dat")));
}

TEST_F(FolderCleanerTest, ReturnsZeroForAMissingFolderAndOneForAnEmptyOne) {
    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 1));
    EXPECT_TRUE(Exists(m_root.Path()));
    EXPECT_EQ(0, m_cleaner.DeleteFolderContents((Folder() + "\\missing").c_str(), 0, 1));
    // An empty path would otherwise list the root of the current drive.
    EXPECT_EQ(0, m_cleaner.DeleteFolderContents("", 0, 1));
    EXPECT_EQ(0, m_cleaner.DeleteFolderContents(nullptr, 0, 1));
}

// Seeds a shell folder with traces and a kept desktop.ini; returns the
// folder's path.
std::wstring SeedShellFolder(int csidl) {
    wchar_t folder[MAX_PATH] = {};
    EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, csidl, TRUE));
    const std::wstring path = folder;
    WriteBytes(path + L"\\desktop.ini", "[.ShellClassInfo]");
    WriteBytes(path + L"\\report.doc.lnk", "link");
    MakeFolder(path + L"\\Today");
    WriteBytes(path + L"\\Today\\index.dat", Pattern(IndexSize));
    WriteBytes(path + L"\\index.dat", Pattern(IndexSize));
    return path;
}

TEST_F(FolderCleanerTest, CleansTheRecentDocumentsAndHistoryFolders) {
    const std::pair<int, int (Cleaner::*)()> targets[] = {
        {CSIDL_RECENT, &Cleaner::CleanRecentDocuments}, {CSIDL_HISTORY, &Cleaner::CleanIEHistory}};
    for (const auto& target : targets) {
        const std::wstring folder = SeedShellFolder(target.first);
        platform::UniqueFile held = HoldUndeletable(folder + L"\\index.dat");

        EXPECT_EQ(0, (m_cleaner.*target.second)());

        const std::vector<std::wstring> left = Entries(folder);
        EXPECT_EQ(2u, left.size()) << Narrow(folder) << ": desktop.ini and the held index.dat";
        EXPECT_EQ("[.ShellClassInfo]", ReadBytes(folder + L"\\desktop.ini"));
        EXPECT_EQ(Wiped(Pattern(IndexSize)), ReadBytes(folder + L"\\index.dat"));
        held.reset();
        DeleteFileW((folder + L"\\index.dat").c_str());
    }
}

// A profile outside the ANSI code page: the shell's folder is asked for in
// wide characters and found, where the "A" call would answer '?' for its name.
TEST_F(FolderCleanerTest, CleansTheRecentFolderWhereverItsNameLeavesTheCodePage) {
    const char* ShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    const std::wstring recent = At(L"\u4e2d\u6587 \u0416");
    MakeFolder(recent);
    WriteBytes(recent + L"\\report.doc.lnk", "link");
    platform::UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()));
    wchar_t saved[MAX_PATH] = {};
    DWORD size = sizeof saved, type = 0;
    const bool hadValue = RegQueryValueExW(key.get(), L"Recent", nullptr, &type,
                                           reinterpret_cast<BYTE*>(saved), &size) == ERROR_SUCCESS;
    RegSetValueExW(key.get(), L"Recent", 0, REG_SZ, reinterpret_cast<const BYTE*>(recent.c_str()),
                   DWORD((recent.size() + 1) * sizeof(wchar_t)));

    EXPECT_EQ(0, m_cleaner.CleanRecentDocuments());

    EXPECT_TRUE(Entries(recent).empty()) << "the folder was not found";
    if (hadValue)
        RegSetValueExW(key.get(), L"Recent", 0, type, reinterpret_cast<BYTE*>(saved), size);
    else
        RegDeleteValueW(key.get(), L"Recent");
}

// ---- jump lists ----

struct ListEntry {
    ULONGLONG number;
    bool pinned;
    std::wstring target;
    std::string link;
};

// A jump list of DestList `version`, written through IStorage in the layout
// of Windows 7 (version 1) or Windows 10 (versions 2 to 4).
void WriteJumpList(const std::wstring& path, DWORD version, const std::vector<ListEntry>& entries) {
    const size_t lengthAt = version == 1 ? 112 : 128;
    DWORD pins = 0;
    std::string list(32, '\0');
    for (const ListEntry& entry : entries) {
        std::string bytes(lengthAt + 2, '\0');
        const DWORD pin = entry.pinned ? pins++ : 0xFFFFFFFF;
        const WORD chars = WORD(entry.target.size());
        memcpy(&bytes[88], &entry.number, 8);
        memcpy(&bytes[108], &pin, 4);
        memcpy(&bytes[lengthAt], &chars, 2);
        bytes.append(reinterpret_cast<const char*>(entry.target.data()), chars * 2);
        list += bytes + std::string(version == 1 ? 0 : 4, '\0');
    }
    const DWORD header[] = {version, DWORD(entries.size()), pins};
    memcpy(&list[0], header, sizeof header);
    ComPtr<IStorage> storage;
    ASSERT_EQ(S_OK, StgCreateStorageEx(
                        path.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                        STGFMT_DOCFILE, 0, nullptr, nullptr, IID_IStorage, storage.put_void()));
    auto write = [&](const std::wstring& name, const std::string& bytes) {
        ComPtr<IStream> stream;
        ASSERT_EQ(S_OK, storage->CreateStream(name.c_str(), STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                              stream.put()));
        ASSERT_EQ(S_OK, stream->Write(bytes.data(), ULONG(bytes.size()), nullptr));
    };
    write(L"DestList", list);
    for (const ListEntry& entry : entries) {
        wchar_t name[20];
        swprintf(name, 20, L"%llx", entry.number);
        write(name, entry.link);
    }
    ASSERT_EQ(S_OK, storage->Commit(STGC_DEFAULT));
}

// The streams of a compound file by name; none when it cannot be read as one.
std::map<std::wstring, std::string> Streams(const std::wstring& path) {
    std::map<std::wstring, std::string> streams;
    ComPtr<IStorage> storage;
    ComPtr<IEnumSTATSTG> elements;
    if (FAILED(StgOpenStorageEx(path.c_str(), STGM_READ | STGM_SHARE_EXCLUSIVE, STGFMT_DOCFILE, 0,
                                nullptr, nullptr, IID_IStorage, storage.put_void())) ||
        FAILED(storage->EnumElements(0, nullptr, 0, elements.put())))
        return streams;
    STATSTG element;
    while (elements->Next(1, &element, nullptr) == S_OK) {
        ComPtr<IStream> stream;
        std::string bytes(size_t(element.cbSize.QuadPart), '\0');
        if (SUCCEEDED(storage->OpenStream(element.pwcsName, nullptr,
                                          STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put())))
            stream->Read(&bytes[0], ULONG(bytes.size()), nullptr);
        streams[element.pwcsName] = bytes;
        CoTaskMemFree(element.pwcsName);
    }
    return streams;
}

std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

std::wstring FileRights(const std::wstring& path) {
    char descriptor[1024];
    DWORD needed = 0;
    wchar_t* text = nullptr;
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor,
                          &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"<unread>";
    const std::wstring rights = text;
    LocalFree(text);
    return rights;
}

// Pinned entries stay in jump lists of three versions, written by Windows or
// through IStorage; every other entry, and its link's bytes, leave the file,
// which keeps its access rights and stays a compound file. A list without
// pins goes whole; one that cannot be read stays byte for byte and is named,
// in the preview as in the clean.
TEST_F(FolderCleanerTest, RecentDocumentsKeepThePinnedEntriesOfJumpLists) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, CSIDL_RECENT, TRUE));
    const std::wstring recent = folder, lists = recent + L"\\AutomaticDestinations\\";
    const std::wstring fixtures = DosPath(QUENBY_JUMPLIST_FIXTURES) + L"\\";
    const std::wstring own1 = lists + L"a1.automaticDestinations-ms",
                       own3 = lists + L"b3.automaticDestinations-ms",
                       quick = lists + L"f01b4d95cf55d32a.automaticDestinations-ms",
                       unknown = lists + L"c9.automaticDestinations-ms",
                       damaged = lists + L"d.automaticDestinations-ms";
    MakeFolder(lists);
    MakeFolder(recent + L"\\CustomDestinations");
    WriteBytes(recent + L"\\CustomDestinations\\e.customDestinations-ms", "custom");
    WriteJumpList(own1, 1,
                  {{1, true, L"C:\\kept.txt", "LINK-KEPT-1"},
                   {2, false, L"C:\\secret-one.txt", "SECRET-ONE" + Pattern(100)},
                   {3, true, L"knownfolder:{FDD39AD0-238F-46AF-ADB4-6C85480369C7}", "LINK-3"}});
    WriteJumpList(own3, 3,
                  {{0x1a, false, L"C:\\secret-two.txt", std::string(5000, 'S')},
                   {0x1b, true, L"C:\\kept-two.txt", "LINK-KEPT-1B"}});
    WriteJumpList(unknown, 9, {{1, false, L"C:\\secret-nine.txt", "SECRET-NINE"}});
    WriteBytes(damaged, "no compound file");
    for (const wchar_t* name : {L"windows7-v1", L"windows10-v3"})
        ASSERT_TRUE(CopyFileW((fixtures + name + L".automaticDestinations-ms").c_str(),
                              (lists + name + L".automaticDestinations-ms").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((fixtures + L"windows11-v4-pinned.automaticDestinations-ms").c_str(),
                          quick.c_str(), FALSE));
    PSECURITY_DESCRIPTOR rights = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;WD)(A;;FR;;;BU)", SDDL_REVISION_1, &rights, nullptr));
    ASSERT_TRUE(SetFileSecurityW(own1.c_str(), DACL_SECURITY_INFORMATION, rights));
    LocalFree(rights);
    const std::wstring ownRights = FileRights(own1);
    const std::map<std::wstring, std::string> quickBefore = Streams(quick);
    JumpList original;
    std::wstring reason;
    ASSERT_EQ(0u, original.Read(quick, reason)) << Narrow(reason);
    original.Close();

    CleanReport preview, clean;
    PreviewVisitors previewing(preview);
    NotedCleaningVisitors cleaning(clean);
    const std::string ownBefore = ReadBytes(own1), damagedBefore = ReadBytes(damaged);
    m_cleaner.CleanRecentDocuments(previewing.Get());
    EXPECT_EQ(ownBefore, ReadBytes(own1)) << "the preview changed a jump list";
    m_cleaner.CleanRecentDocuments(cleaning.Get());

    std::vector<std::wstring> previewed, cleaned;
    std::map<CleanItemKind, int> kinds;
    for (const CleanItem& item : preview.Items())
        previewed.push_back(item.path + L"|" + item.detail + L"|" + DecimalText(item.error));
    for (const CleanItem& item : clean.Items()) {
        cleaned.push_back(item.path + L"|" + item.detail + L"|" + DecimalText(item.error));
        ++kinds[item.kind];
    }
    EXPECT_TRUE(previewed == cleaned) << previewed.size() << " previewed, " << cleaned.size();
    EXPECT_EQ(1 + 1 + 22, kinds[CleanItemKind::JumpListEntry]);
    EXPECT_EQ(2 + 1 + 4, kinds[CleanItemKind::PinnedEntry]);
    EXPECT_EQ(2, kinds[CleanItemKind::JumpList]) << "the unknown version and the damaged file";
    EXPECT_EQ(damagedBefore, ReadBytes(damaged));
    EXPECT_FALSE(Exists(recent + L"\\CustomDestinations"));
    std::vector<std::wstring> left = Entries(lists);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(
        (std::vector<std::wstring>{L"a1.automaticDestinations-ms", L"b3.automaticDestinations-ms",
                                   L"c9.automaticDestinations-ms", L"d.automaticDestinations-ms",
                                   L"f01b4d95cf55d32a.automaticDestinations-ms"}),
        left);

    auto names = [](const std::map<std::wstring, std::string>& streams) {
        std::vector<std::wstring> found;
        for (const auto& stream : streams)
            found.push_back(stream.first);
        return found;
    };
    const std::map<std::wstring, std::string> kept1 = Streams(own1);
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"3", L"DestList"}), names(kept1));
    EXPECT_EQ((std::vector<std::wstring>{L"1b", L"DestList"}), names(Streams(own3)));
    EXPECT_EQ("LINK-KEPT-1", kept1.count(L"1") ? kept1.at(L"1") : "");
    EXPECT_EQ(ownRights, FileRights(own1)) << "the jump list lost its access rights";
    for (const std::string& secret : {std::string("SECRET-ONE"), Utf16(L"secret-one")})
        EXPECT_EQ(std::string::npos, ReadBytes(own1).find(secret));
    for (const std::string& secret : {std::string(64, 'S'), Utf16(L"secret-two")})
        EXPECT_EQ(std::string::npos, ReadBytes(own3).find(secret));

    JumpList quickAfter;
    ASSERT_EQ(0u, quickAfter.Read(quick, reason)) << Narrow(reason);
    EXPECT_EQ(4u, quickAfter.Entries().size());
    quickAfter.Close();
    const std::string quickBytes = ReadBytes(quick);
    std::map<std::wstring, std::string> quickStreams = Streams(quick);
    for (const JumpListEntry& entry : original.Entries()) {
        if (entry.pinned)
            EXPECT_EQ(quickBefore.at(entry.stream), quickStreams[entry.stream]);
        else
            EXPECT_EQ(std::string::npos, quickBytes.find(Utf16(entry.target)))
                << Narrow(entry.target) << " is still in the file";
    }
    // A list of pins alone is not written again: it keeps an old time.
    auto open = [&](DWORD access) {
        return platform::UniqueFile(CreateFileW(quick.c_str(), access, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    };
    const FILETIME old = {0, 0x01D00000};
    FILETIME seen = {};
    ASSERT_TRUE(SetFileTime(open(FILE_WRITE_ATTRIBUTES).get(), nullptr, nullptr, &old));
    m_cleaner.CleanRecentDocuments(cleaning.Get());
    GetFileTime(open(GENERIC_READ).get(), nullptr, nullptr, &seen);
    EXPECT_EQ(old.dwHighDateTime, seen.dwHighDateTime) << "a list of pins alone was written again";
    RemoveTree(lists);
    RemoveDirectoryW(lists.c_str());
}

// A link to a folder is never walked into; the folder it points to keeps all
// it holds, also when it is empty (Wine's RemoveDirectoryW on such a link
// removes an empty target). Wine 8 neither lists nor removes a dangling Unix link.
TEST_F(FolderCleanerTest, NeverWalksIntoALinkedFolder) {
    const std::string original = Pattern(IndexSize);
    MakeFolder(At(L"cleaned"));
    MakeFolder(At(L"target"));
    MakeFolder(At(L"target\\inner"));
    WriteBytes(At(L"target\\keep.txt"), "keep");
    WriteBytes(At(L"target\\inner\\index.dat"), original);
    MakeFolder(At(L"emptyTarget"));
    WriteBytes(At(L"cleaned\\trace.txt"), "x");
    MakeSymlink(At(L"target"), At(L"cleaned\\link"));
    MakeSymlink(At(L"emptyTarget"), At(L"cleaned\\emptyLink"));
    MakeFolder(At(L"gone"));
    MakeSymlink(At(L"gone"), At(L"cleaned\\dangling"));
    ASSERT_TRUE(RemoveDirectoryW(At(L"gone").c_str()));
    EXPECT_FALSE(RemoveDirectoryW(At(L"cleaned\\dangling").c_str()));
    ASSERT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
              GetFileAttributesW(At(L"cleaned\\link").c_str()));

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(At(L"cleaned")).c_str(), 0, 1));

    EXPECT_FALSE(Exists(At(L"cleaned\\trace.txt")));
    EXPECT_EQ("keep", ReadBytes(At(L"target\\keep.txt")));
    EXPECT_EQ(original, ReadBytes(At(L"target\\inner\\index.dat"))) << "not wiped through a link";
    EXPECT_TRUE(Exists(At(L"emptyTarget"))) << "an empty linked folder must not be removed";
    MakeFolder(At(L"gone"));
    EXPECT_TRUE(IsListed(At(L"cleaned\\dangling"))) << "a Win32 call removed the dangling link";
    RemoveSymlink(At(L"cleaned\\dangling"));
    RemoveSymlink(At(L"cleaned\\link"));
    RemoveSymlink(At(L"cleaned\\emptyLink"));
}

// Wine shows a Unix symbolic link to a file as a plain file and resolves
// every open of it, so deleting or wiping it by its path would act on the
// target. The link stays; its target keeps its data and its attributes.
// The targets' paths are as long as the links', so that only the paths
// themselves tell them apart.
TEST_F(FolderCleanerTest, LeavesALinkedFileAndItsTargetAlone) {
    const std::wstring target = At(L"outside\\link.txt");
    MakeFolder(At(L"cleaned"));
    MakeFolder(At(L"outside"));
    WriteBytes(target, "keep");
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(At(L"cleaned\\trace.txt"), "x");
    MakeSymlink(target, At(L"cleaned\\link.txt"));
    // Also where the link's path is longer than MAX_PATH.
    std::wstring deep = L"\\\\?\\" + At(L"cleaned");
    for (wchar_t letter = L'a'; letter < L'f'; ++letter) {
        deep += L"\\" + std::wstring(60, letter);
        MakeFolder(deep);
    }
    MakeSymlink(target, deep + L"\\link.txt");
    ASSERT_FALSE(GetFileAttributesW(At(L"cleaned\\link.txt").c_str()) &
                 FILE_ATTRIBUTE_REPARSE_POINT)
        << "the link should look like a plain file";

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(At(L"cleaned")).c_str(), 0, 1));

    EXPECT_FALSE(Exists(At(L"cleaned\\trace.txt")));
    EXPECT_EQ("keep", ReadBytes(target)) << "the target must not be deleted";
    EXPECT_TRUE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the target must stay read-only";
    EXPECT_TRUE(IsListed(At(L"cleaned\\link.txt"))) << "the link stays with its target";
    EXPECT_TRUE(IsListed(deep + L"\\link.txt")) << "the link past MAX_PATH stays too";
    RemoveSymlink(At(L"cleaned\\link.txt"));
    RemoveSymlink(deep + L"\\link.txt");
}

TEST_F(FolderCleanerTest, NeverZerosAFileThroughALinkNamedIndexDat) {
    const std::string original = Pattern(IndexSize);
    const std::wstring target = At(L"outside\\index.dat");
    MakeFolder(At(L"cleaned"));
    MakeFolder(At(L"outside"));
    WriteBytes(target, original);
    for (const wchar_t* name : {L"index.dat", L"INDEX.DAT"}) {
        const std::wstring link = At(L"cleaned\\") + name;
        MakeSymlink(target, link);

        EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(At(L"cleaned")).c_str(), 0, 1));
        EXPECT_EQ(original, ReadBytes(target)) << Narrow(name) << ", by the walk";
        EXPECT_EQ(1, m_cleaner.WipeIndexFile(Ansi(At(L"cleaned")).c_str(), Ansi(name).c_str()));
        EXPECT_EQ(original, ReadBytes(target)) << Narrow(name) << ", by the wipe";
        RemoveSymlink(link);
    }
}

// The folder to clean may itself be reached through a link (some shell
// folders of a Wine prefix link into the home folder): what it holds is its
// own, and is wiped and deleted.
TEST_F(FolderCleanerTest, EmptiesAFolderGivenThroughALink) {
    const std::string original = Pattern(IndexSize);
    MakeFolder(At(L"real"));
    MakeFolder(At(L"real\\sub"));
    WriteBytes(At(L"real\\trace.txt"), "x");
    WriteBytes(At(L"real\\sub\\index.dat"), original);
    platform::UniqueFile held = HoldUndeletable(At(L"real\\sub\\index.dat"));
    MakeSymlink(At(L"real"), At(L"via"));

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(At(L"via")).c_str(), 0, 1));

    EXPECT_FALSE(Exists(At(L"real\\trace.txt")));
    EXPECT_EQ(Wiped(original), ReadBytes(At(L"real\\sub\\index.dat")));
    held.reset();
    RemoveSymlink(At(L"via"));
}

// A hard link's name is deleted; the data its other names share is not zeroed.
TEST_F(FolderCleanerTest, NeverZerosAnIndexFileThroughAHardLink) {
    const std::string original = Pattern(IndexSize);
    MakeFolder(At(L"cleaned"));
    WriteBytes(At(L"shared.dat"), original);
    ASSERT_TRUE(
        CreateHardLinkW(At(L"cleaned\\index.dat").c_str(), At(L"shared.dat").c_str(), nullptr));

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(At(L"cleaned")).c_str(), 0, 1));

    EXPECT_FALSE(Exists(At(L"cleaned\\index.dat"))) << "the link itself is deleted";
    EXPECT_EQ(original, ReadBytes(At(L"shared.dat"))) << "the other name keeps its data";
    EXPECT_EQ(1, m_cleaner.WipeIndexFile(Folder().c_str(), "shared.dat"))
        << "with one name left the file is wiped again";
    EXPECT_EQ(Wiped(original), ReadBytes(At(L"shared.dat")));
}

TEST_F(FolderCleanerTest, RemovesNamesOutsideTheCodePageAndLongPaths) {
    WriteBytes(At(L"\u4e2d\u6587.txt"), "x");
    MakeFolder(At(L"\u0416\u0443\u043a"));
    WriteBytes(At(L"\u0416\u0443\u043a\\\u03b1\u03b2.txt"), "y");
    std::wstring deep = L"\\\\?\\" + m_root.Path();
    for (wchar_t letter = L'a'; letter < L'f'; ++letter) {
        deep += L"\\" + std::wstring(60, letter);
        MakeFolder(deep);
    }
    WriteBytes(deep + L"\\index.dat", Pattern(IndexSize));
    WriteBytes(deep + L"\\\u4e2d.txt", "z");
    ASSERT_GT(deep.size(), size_t(MAX_PATH));
    // A folder given in the ANSI code page: converted at the entry.
    const std::wstring accented = At(L"caf\u00e9");
    MakeFolder(accented);
    WriteBytes(accented + L"\\inside.txt", "w");

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(accented).c_str(), 0, 1));
    EXPECT_TRUE(Entries(accented).empty());

    EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Folder().c_str(), 0, 1));
    EXPECT_TRUE(Entries(m_root.Path()).empty()) << Entries(m_root.Path()).size() << " left";
}

// ---- faults of the walk and the wipe, each through the seam that shows it ----

// What a noted clean and a preview of `folder` report, item by item.
CleanReport Noted(const std::wstring& folder, bool preview) {
    CleanReport report;
    FolderPreview previewing(report);
    NotedFolderCleaning cleaning(report);
    FolderVisitor& visitor = preview ? static_cast<FolderVisitor&>(previewing) : cleaning;
    FolderWalk(visitor).KeepDesktopIni().WipeIndexFiles().EmptyFolder(folder);
    return report;
}

// The size is read whole: a file past 4 GiB (sparse, so nothing is written)
// is not taken for its low 32 bits.
TEST_F(FolderCleanerTest, IndexFilesPastFourGibibytesAreMeasuredWhole) {
    const LONGLONG size = (LONGLONG(1) << 32) + 100;
    {
        platform::UniqueFile big(CreateFileW(At(L"index.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = size;
        ASSERT_TRUE(SetFilePointerEx(big.get(), end, nullptr, FILE_BEGIN) &&
                    SetEndOfFile(big.get()));
    }
    const CleanReport report = Noted(m_root.Path(), true);
    ASSERT_FALSE(report.Items().empty());
    EXPECT_EQ(ULONGLONG(size) - HeaderSize, report.Items()[0].bytes);
    DeleteFileW(At(L"index.dat").c_str());
}

int g_writes = 0;
std::wstring g_wiped;
std::string g_seenAtFlush;
BOOL WINAPI ShortSecondWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                             LPOVERLAPPED overlapped) {
    if (++g_writes != 2)
        return WriteFile(file, data, size, written, overlapped);
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
BOOL WINAPI FlushNoting(HANDLE file) {
    g_seenAtFlush = ReadBytes(g_wiped);
    return FlushFileBuffers(file);
}

// A failed write is reported, with only what was zeroed counted; the zeros
// are flushed while the file still exists, before it is deleted.
TEST_F(FolderCleanerTest, WipeCountsOnlyWhatItWroteAndFlushesBeforeTheDeletion) {
    platform::seam::ScopedOverride writes(platform::seam::WriteFile, &ShortSecondWrite);
    platform::seam::ScopedOverride flush(platform::seam::FlushFileBuffers, &FlushNoting);
    g_writes = 0;
    g_seenAtFlush.clear();
    g_wiped = At(L"index.dat");
    WriteBytes(At(L"index.dat"), Pattern(IndexSize));

    const CleanReport report = Noted(m_root.Path(), false);

    ASSERT_EQ(2u, report.Items().size());
    const CleanItem& wipe = report.Items()[0];
    EXPECT_EQ(CleanItemKind::IndexFile, wipe.kind);
    EXPECT_EQ(CleanStatus::Failed, wipe.status);
    EXPECT_EQ(DWORD(ERROR_DISK_FULL), wipe.error);
    EXPECT_EQ(IndexSize - HeaderSize - 10000, wipe.bytes) << "the failed block is not counted";
    std::string expected = Wiped(Pattern(IndexSize));
    std::copy_n(Pattern(IndexSize).begin() + HeaderSize + 10000, 10000,
                expected.begin() + HeaderSize + 10000);
    EXPECT_EQ(expected, g_seenAtFlush) << "flushed with the file in place, the later block zeroed";
    EXPECT_FALSE(Exists(At(L"index.dat")));
}

int g_listings = 0;
std::wstring g_swapTarget, g_swapFolder;
BOOL WINAPI SwapAfterFirstListing(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                  DWORD size) {
    const BOOL listed = GetFileInformationByHandleEx(file, kind, info, size);
    if (kind == FileIdBothDirectoryRestartInfo && ++g_listings == 1) {
        MoveFileW(g_swapFolder.c_str(), (g_swapFolder + L".moved").c_str());
        MakeSymlink(g_swapTarget, g_swapFolder);
    }
    return listed;
}

// A folder swapped for a link after its parent was listed is not walked into.
TEST_F(FolderCleanerTest, AFolderSwappedForALinkAfterTheListingIsNotWalked) {
    MakeFolder(At(L"cleaned"));
    MakeFolder(At(L"cleaned\\sub"));
    WriteBytes(At(L"cleaned\\sub\\trace.txt"), "x");
    MakeFolder(At(L"target"));
    WriteBytes(At(L"target\\keep.txt"), "keep");
    g_listings = 0;
    g_swapFolder = At(L"cleaned\\sub");
    g_swapTarget = At(L"target");
    {
        platform::seam::ScopedOverride swap(platform::seam::GetFileInformationByHandleEx,
                                            &SwapAfterFirstListing);
        EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(At(L"cleaned")).c_str(), 0, 1));
    }
    EXPECT_EQ("keep", ReadBytes(At(L"target\\keep.txt"))) << "the link's target was emptied";
    EXPECT_TRUE(IsListed(At(L"cleaned\\sub"))) << "the link stays";
    RemoveSymlink(At(L"cleaned\\sub"));
}

struct DeepWalk {
    std::wstring folder;
    int listed = -1;
};
DWORD WINAPI WalkDeepTree(LPVOID context) {
    auto* walk = static_cast<DeepWalk*>(context);
    FolderCleaning cleaning;
    walk->listed = FolderWalk(cleaning).KeepDesktopIni().WipeIndexFiles().EmptyFolder(walk->folder);
    return 0;
}

// The walk keeps its own stack: a deep tree is emptied on a thread whose
// stack would hold a few dozen levels of recursion.
TEST_F(FolderCleanerTest, ADeepTreeDoesNotExhaustTheStack) {
    const int Depth = 400;
    const SIZE_T SmallStack = 64 * 1024;
    std::wstring deep = L"\\\\?\\" + m_root.Path();
    for (int level = 0; level < Depth; ++level) {
        deep += L"\\d";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << level;
    }
    WriteBytes(deep + L"\\bottom.txt", "x");
    DeepWalk walk{m_root.Path()};
    platform::UniqueHandle thread(CreateThread(nullptr, SmallStack, &WalkDeepTree, &walk,
                                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    ASSERT_TRUE(bool(thread));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), 120000));
    EXPECT_EQ(1, walk.listed);
    EXPECT_TRUE(Entries(m_root.Path()).empty());
}

// A folder held open without sharing cannot be listed: the preview and the
// clean both name it, with the reason.
TEST_F(FolderCleanerTest, AFolderThatCannotBeListedIsAProblemInPreviewAndClean) {
    MakeFolder(At(L"busy"));
    WriteBytes(At(L"busy\\in.txt"), "x");
    platform::UniqueFile held(CreateFileW(At(L"busy").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(bool(held));
    for (bool preview : {true, false}) {
        const CleanReport report = Noted(m_root.Path(), preview);
        ASSERT_EQ(1u, report.Items().size()) << preview;
        EXPECT_EQ(CleanItemKind::Problem, report.Items()[0].kind);
        EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), report.Items()[0].error);
        EXPECT_TRUE(report.HasFailures());
    }
    EXPECT_EQ("x", ReadBytes(At(L"busy\\in.txt")));
}

NTSTATUS NTAPI NoObjectName(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG) {
    return NTSTATUS(0xC0000002L); // STATUS_NOT_IMPLEMENTED
}

// Under Wine a file whose path cannot be read might be a link's target:
// nothing changes through it, and the preview and the clean name it.
TEST_F(FolderCleanerTest, AFileThatCannotBeToldFromALinkTargetStaysAndIsAProblem) {
    const std::string original = Pattern(IndexSize);
    WriteBytes(At(L"index.dat"), original);
    platform::seam::ScopedOverride untold(platform::seam::NtQueryObject, &NoObjectName);
    for (bool preview : {true, false}) {
        const CleanReport report = Noted(m_root.Path(), preview);
        ASSERT_EQ(1u, report.Items().size()) << preview;
        EXPECT_EQ(CleanItemKind::Problem, report.Items()[0].kind);
        EXPECT_EQ(DWORD(ERROR_INVALID_FUNCTION), report.Items()[0].error);
    }
    EXPECT_EQ(1, m_cleaner.WipeIndexFile(Folder().c_str(), "index.dat"));
    EXPECT_EQ(original, ReadBytes(At(L"index.dat"))) << "neither deleted nor zeroed";
}

std::vector<ULONG> g_markFlags;
NTSTATUS NTAPI Windows1809(PRTL_OSVERSIONINFOW version) {
    version->dwMajorVersion = 10;
    version->dwBuildNumber = 17763;
    return 0;
}
// Takes a mark that names its flags, as newer Windows does (the names stay under Wine).
NTSTATUS NTAPI FlaggedMarks(HANDLE file, PIO_STATUS_BLOCK io, PVOID info, ULONG size,
                            FILE_INFORMATION_CLASS kind) {
    if (kind != FILE_INFORMATION_CLASS(64))
        return NtSetInformationFile(file, io, info, size, kind);
    g_markFlags.push_back(*static_cast<ULONG*>(info));
    return 0;
}

// The read-only bit is the file's, not the name's: a file with other names keeps
// it, and stays where the platform cannot delete it otherwise (Wine 8).
TEST_F(FolderCleanerTest, AReadOnlyFileWithOtherNamesKeepsItsBit) {
    const wchar_t* const names[] = {L"doc.txt", L"index.dat", L"held.txt"};
    MakeFolder(At(L"cleaned"));
    for (const std::wstring name : names) {
        WriteBytes(At(name), Pattern(IndexSize));
        ASSERT_TRUE(CreateHardLinkW(At(L"cleaned\\" + name).c_str(), At(name).c_str(), nullptr));
        SetFileAttributesW(At(name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    platform::UniqueFile held = HoldUndeletable(At(L"cleaned\\held.txt"));
    const CleanReport previewed = Noted(At(L"cleaned"), true),
                      cleaned = Noted(At(L"cleaned"), false);
    const auto kept = [](const CleanItem& i) { return i.kind == CleanItemKind::KeptHardLink; };
    EXPECT_EQ(3, std::count_if(previewed.Items().begin(), previewed.Items().end(), kept));
    EXPECT_EQ(2, std::count_if(cleaned.Items().begin(), cleaned.Items().end(), kept));
    EXPECT_FALSE(cleaned.HasFailures(true)) << "the held one is in use";
    // Newer Windows deletes them, the bit untouched, and a held one sharing its deletion at once.
    held.reset(CreateFileW(At(L"cleaned\\doc.txt").c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr));
    platform::seam::ScopedOverride version(platform::seam::RtlGetVersion, &Windows1809);
    platform::seam::ScopedOverride marks(platform::seam::NtSetInformationFile, &FlaggedMarks);
    EXPECT_FALSE(Noted(At(L"cleaned"), false).HasFailures());
    std::sort(g_markFlags.begin(), g_markFlags.end());
    EXPECT_EQ((std::vector<ULONG>{0x11, 0x11, 0x13}), g_markFlags) << "POSIX for the held one";
    for (const std::wstring name : names)
        EXPECT_TRUE(GetFileAttributesW(At(name).c_str()) & FILE_ATTRIBUTE_READONLY) << Narrow(name);
}

// ---- randomised trees: the preview names exactly what the clean removes ----

// Every entry below `folder` (links not followed): path -> attributes, size,
// write time and, for files, content.
using TreeState = std::map<std::wstring, std::string>;
void Capture(const std::wstring& folder, TreeState& state) {
    WIN32_FIND_DATAW entry;
    platform::UniqueFind find(FindFirstFileW(WidePath::ForApi(folder + L"\\*").c_str(), &entry));
    if (!find)
        return;
    do {
        const std::wstring name = entry.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        const bool walked = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
        state[path] = std::to_string(entry.dwFileAttributes) + " " +
                      std::to_string(entry.nFileSizeLow) + " " +
                      std::to_string(entry.ftLastWriteTime.dwLowDateTime) +
                      (walked ? "" : ReadBytes(WidePath::ForApi(path)));
        if (walked)
            Capture(path, state);
    } while (FindNextFileW(find.get(), &entry));
}

class RandomTree {
public:
    RandomTree(unsigned seed, const std::wstring& root, const std::wstring& outside)
        : m_random(seed), m_outside(outside) {
        Fill(root, 0, true);
        if (!m_links.empty()) {
            EXPECT_TRUE(RunUnix("/bin/sh -c \"" + m_links + "\"")) << m_links;
        }
        for (const std::wstring& link : m_linkPaths)
            EXPECT_TRUE(WaitFor([&] { return IsListed(link); })) << Narrow(link);
    }
    ~RandomTree() {
        std::string unlink;
        for (const std::wstring& link : m_linkPaths)
            unlink += " " + UnixPath(link);
        if (!unlink.empty() && RunUnix("/bin/rm -f" + unlink))
            for (const std::wstring& link : m_linkPaths)
                WaitFor([&] { return !IsListed(link); });
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(m_random); }

    // Names in and out of the code page, the two kept names in any case, and
    // long ones that take the deeper folders past MAX_PATH.
    std::wstring Name(int kind) {
        static const wchar_t* const names[] = {L"a.txt", L"\u4e2d\u6587.lnk", L"caf\u00e9",
                                               L"\u0416\u0443\u043a", L"b"};
        static const wchar_t* const kept[] = {L"desktop.ini", L"DESKTOP.INI", L"Desktop.Ini",
                                              L"index.dat",   L"INDEX.DAT",   L"Index.Dat"};
        if (kind == 0)
            return kept[Pick(6)];
        return std::wstring(Pick(4) == 0 ? 90 : 1, L'x') + std::to_wstring(m_next++) +
               names[Pick(5)];
    }

    // Links are made from the Unix side, whose command line takes only ASCII.
    void Fill(const std::wstring& folder, int depth, bool ascii) {
        std::set<std::wstring> used;
        for (int i = Pick(6); i > 0; --i) {
            const std::wstring name = Name(Pick(3));
            std::wstring folded = name;
            CharLowerW(&folded[0]);
            if (!used.insert(folded).second)
                continue;
            const std::wstring path = folder + L"\\" + name, api = WidePath::ForApi(path);
            const bool asciiName =
                ascii && std::all_of(name.begin(), name.end(), [](wchar_t c) { return c < 0x80; });
            switch (Pick(depth < 3 ? 6 : 3)) {
            case 0:
            case 1: // sizes around the kept header of an index file
                WriteBytes(api, Pattern(size_t(std::max(0, 64 + Pick(5) - 2 + 100 * Pick(2)))));
                break;
            case 2: // a hard link to a file outside, read-only at times
                WriteBytes(m_outside + L"\\h" + name, Pattern(200));
                CreateHardLinkW(api.c_str(), (m_outside + L"\\h" + name).c_str(), nullptr);
                if (Pick(3) == 0)
                    SetFileAttributesW((m_outside + L"\\h" + name).c_str(),
                                       FILE_ATTRIBUTE_READONLY);
                continue; // its attributes are those of the name outside
            case 3:       // a link to a folder or a file outside
                if (!asciiName)
                    continue;
                MakeFolder(m_outside + L"\\d" + name);
                WriteBytes(m_outside + L"\\d" + name + L"\\inner.dat", Pattern(100));
                m_links += "ln -s " +
                           UnixPath(m_outside + L"\\d" + name + (Pick(2) ? L"" : L"\\inner.dat")) +
                           " " + UnixPath(path) + "; ";
                m_linkPaths.push_back(path);
                continue;
            default:
                MakeFolder(api);
                Fill(path, depth + 1, asciiName);
            }
            if (Pick(3) == 0)
                SetFileAttributesW(api.c_str(),
                                   GetFileAttributesW(api.c_str()) | FILE_ATTRIBUTE_READONLY);
        }
    }

    std::mt19937 m_random;
    std::wstring m_outside;
    std::string m_links;
    std::vector<std::wstring> m_linkPaths;
    int m_next = 0;
};

TEST_F(FolderCleanerTest, PreviewNamesExactlyWhatTheCleanRemovesOnRandomTrees) {
    const int Trees = 200;
    const char* given = std::getenv("QUENBY_TEST_SEED");
    const unsigned first =
        given ? unsigned(std::strtoul(given, nullptr, 10))
              : unsigned(std::chrono::steady_clock::now().time_since_epoch().count());
    const std::wstring cleaned = At(L"cleaned"), outside = At(L"outside");
    for (int tree = 0; tree < Trees && !HasFailure(); ++tree) {
        SCOPED_TRACE("seed " + std::to_string(first + tree) + " (QUENBY_TEST_SEED reruns it)");
        MakeFolder(cleaned);
        MakeFolder(outside);
        {
            RandomTree built(first + tree, cleaned, outside);
            TreeState before, outsideBefore, previewed, after, outsideAfter;
            Capture(cleaned, before);
            Capture(outside, outsideBefore);
            CleanReport report;
            FolderPreview preview(report);
            EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(cleaned).c_str(), 0, 1, preview));
            Capture(cleaned, previewed);
            EXPECT_TRUE(previewed == before) << "the preview changed the tree";

            CleanReport cleanReport;
            NotedFolderCleaning noted(cleanReport);
            EXPECT_EQ(1, m_cleaner.DeleteFolderContents(Ansi(cleaned).c_str(), 0, 1, noted));
            Capture(cleaned, after);
            // The clean's own report says, item by item, what the preview said.
            const auto line = [](const CleanItem& item) {
                return std::to_wstring(int(item.kind)) + L" " + std::to_wstring(int(item.status)) +
                       L" " + std::to_wstring(item.bytes) + L" " + item.path;
            };
            std::vector<std::wstring> previewed_, cleaned_;
            for (const CleanItem& item : report.Items())
                previewed_.push_back(line(item));
            for (const CleanItem& item : cleanReport.Items())
                cleaned_.push_back(line(item));
            EXPECT_TRUE(previewed_ == cleaned_)
                << previewed_.size() << " previewed items, " << cleaned_.size() << " cleaned";
            if (previewed_ != cleaned_) {
                for (auto& l : previewed_)
                    printf("P %s\n", Narrow(l).c_str());
                for (auto& l : cleaned_)
                    printf("C %s\n", Narrow(l).c_str());
            }
            Capture(outside, outsideAfter);
            std::set<std::wstring> removed, gone;
            for (const CleanItem& item : report.Items()) {
                if (item.kind == CleanItemKind::File || item.kind == CleanItemKind::Folder ||
                    item.kind == CleanItemKind::FolderLink)
                    removed.insert(item.path);
            }
            for (const auto& entry : before)
                if (!after.count(entry.first))
                    gone.insert(entry.first);
            EXPECT_TRUE(removed == gone)
                << removed.size() << " previewed, " << gone.size() << " gone";
            EXPECT_TRUE(outsideAfter == outsideBefore) << "something outside the folder changed";
        }
        RemoveTree(cleaned);
        RemoveTree(outside);
    }
}

// Wine accepts long paths without the "\\?\" form, Windows does not: check
// the form itself.
TEST(WidePathTest, LongPathsTakeTheExtendedForm) {
    const std::wstring longName(300, L'a');
    EXPECT_EQ(L"C:\\short\\name", WidePath::ForApi(L"C:\\short\\name"));
    EXPECT_EQ(L"\\\\?\\C:\\dir\\" + longName, WidePath::ForApi(L"C:\\dir\\sub\\..\\" + longName))
        << "relative parts are resolved before the prefix";
    EXPECT_EQ(L"\\\\?\\C:\\dir\\" + longName, WidePath::ForApi(L"C:/dir//" + longName))
        << "separators are normalised";
    EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + longName,
              WidePath::ForApi(L"\\\\server\\share\\" + longName));
    EXPECT_EQ(L"\\\\?\\C:\\" + longName, WidePath::ForApi(L"\\\\?\\C:\\" + longName));
}

TEST_F(FolderCleanerTest, NoHandleStaysOpenOnAnyPath) {
    ASSERT_GT(CountOwnHandles(), 0) << "the handle table cannot be read";
    const std::string folder = Folder();
    platform::UniqueFile exclusive;
    auto seed = [&] {
        exclusive.reset();
        MakeFolder(At(L"sub"));
        MakeFolder(At(L"sub\\deeper"));
        WriteBytes(At(L"sub\\index.dat"), Pattern(IndexSize));
        WriteBytes(At(L"sub\\deeper\\x.txt"), "x");
        WriteBytes(At(L"small.dat"), Pattern(10));
        WriteBytes(At(L"held.dat"), Pattern(IndexSize));
        WriteBytes(At(L"desktop.ini"), "x");
        // Open without sharing: the wipe cannot open it, the walk cannot delete it.
        exclusive.reset(CreateFileW(At(L"held.dat").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    auto wipe = [&](const std::string& in, const char* name) {
        return [this, in, name] { m_cleaner.WipeIndexFile(in.c_str(), name); };
    };
    ExpectNothingLeft("a wipe", seed, wipe(folder + "\\sub", "index.dat"));
    ExpectNothingLeft("a short file", seed, wipe(folder, "small.dat"));
    ExpectNothingLeft("a file in use", seed, wipe(folder, "held.dat"));
    ExpectNothingLeft("a missing file", seed, wipe(folder, "none.dat"));
    ExpectNothingLeft("a walk", seed,
                      [&] { m_cleaner.DeleteFolderContents(folder.c_str(), 0, 1); });
    ExpectNothingLeft("a missing folder", seed,
                      [&] { m_cleaner.DeleteFolderContents((folder + "\\none").c_str(), 0, 1); });
    std::wstring lists;
    auto seedShell = [&lists] {
        lists = SeedShellFolder(CSIDL_RECENT) + L"\\AutomaticDestinations";
        SeedShellFolder(CSIDL_HISTORY);
        MakeFolder(lists);
        WriteJumpList(lists + L"\\a.automaticDestinations-ms", 3,
                      {{1, true, L"C:\\kept", "kept"}, {2, false, L"C:\\gone", "gone"}});
    };
    ExpectNothingLeft("the recent folder", seedShell, [&] { m_cleaner.CleanRecentDocuments(); });
    RemoveTree(lists);
    RemoveDirectoryW(lists.c_str());
    ExpectNothingLeft("the history folder", seedShell, [&] { m_cleaner.CleanIEHistory(); });
    RemoveTree(lists);
    RemoveDirectoryW(lists.c_str());
}

} // namespace
