// The one-call cleaners: the recycle bin (Wine's is the freedesktop trash of
// the sandbox's $XDG_DATA_HOME) and the auto-complete wrapper.
#include "clean/Cleaner.h"
#include "tests/unit/CleanerTestSupport.h"

#include <sddl.h>
#include <shellapi.h>

#include <string>

using namespace cleanertest;

namespace {

const char StorePrefix[] = "Software\\Microsoft\\Protected Storage System Provider\\";
const char AutoCompleteKey[] = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

long long ItemsInRecycleBin() {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(SHQueryRecycleBinA(nullptr, &info)))
        return -1;
    return info.i64NumItems;
}

// The trash's files folder as Wine shows it to Windows programs.
std::wstring TrashFiles() {
    using DosNameFn = wchar_t*(CDECL*)(const char*);
    auto dosName = reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
    const char* data = std::getenv("XDG_DATA_HOME");
    if (dosName == nullptr || data == nullptr)
        return std::wstring();
    platform::UniqueHeapBlock name(dosName((std::string(data) + "/Trash/files").c_str()));
    return name ? std::wstring(static_cast<wchar_t*>(name.get())) : std::wstring();
}

void MoveToRecycleBin(const std::wstring& path) {
    WriteBytes(path, "trashed");
    const std::string from = Narrow(path) + '\0'; // the list ends with two nulls
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(0, SHFileOperationA(&operation));
    ASSERT_FALSE(Exists(path));
}

BOOL CALLBACK CountOwnWindow(HWND window, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int OwnTopLevelWindows() {
    int count = 0;
    EnumWindows(CountOwnWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string UserSidText() {
    platform::UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return std::string();
    char buffer[256];
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size))
        return std::string();
    char* text = nullptr;
    if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
        return std::string();
    const std::string sid = text;
    LocalFree(text);
    return sid;
}

class CleanerTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_SANDBOX(); }

    TestFolder m_root{L"quenby-cleaner-test"};
    Cleaner m_cleaner;
};

TEST_F(CleanerTest, EmptyRecycleBinEmptiesTheTrashWithoutAnyWindow) {
    MoveToRecycleBin(m_root / L"first.txt");
    MoveToRecycleBin(m_root / L"second.txt");
    const std::wstring trash = TrashFiles();
    ASSERT_EQ(2u, Entries(trash).size()) << "the trash should hold both files: " << Narrow(trash);
    ASSERT_EQ(2, ItemsInRecycleBin());
    ASSERT_EQ(0, OwnTopLevelWindows());

    EXPECT_EQ(0, m_cleaner.EmptyRecycleBin());

    EXPECT_EQ(0, ItemsInRecycleBin());
    EXPECT_TRUE(Entries(trash).empty());
    EXPECT_EQ(0, OwnTopLevelWindows()) << "no confirmation or progress window";

    EXPECT_EQ(0, m_cleaner.EmptyRecycleBin()) << "an empty bin";
    EXPECT_EQ(0, OwnTopLevelWindows()) << "no window for an empty bin either";
}

TEST_F(CleanerTest, CleanAutoCompleteDeletesTheStoreAndReturnsZero) {
    const std::string sid = UserSidText();
    ASSERT_FALSE(sid.empty());
    const std::string store = StorePrefix + sid + AutoCompleteKey;
    SetStringValue(store + "\\Entry", "v", "typed text");

    EXPECT_EQ(0, m_cleaner.CleanAutoComplete());

    EXPECT_FALSE(KeyExists(store));
    EXPECT_EQ(0, m_cleaner.CleanAutoComplete()) << "with nothing left to delete";
}

TEST_F(CleanerTest, NoHandleStaysOpenAfterTheOneCallCleaners) {
    ASSERT_GT(CountOwnHandles(), 0) << "the handle table cannot be read";
    const std::string store = StorePrefix + UserSidText() + AutoCompleteKey;
    ExpectNothingLeft(
        "EmptyRecycleBin", [this] { MoveToRecycleBin(m_root / L"trashed.txt"); },
        [this] { m_cleaner.EmptyRecycleBin(); }, Check::HandlesOnly);
    ExpectNothingLeft(
        "EmptyRecycleBin on an empty bin", [] {}, [this] { m_cleaner.EmptyRecycleBin(); },
        Check::HandlesOnly);
    ExpectNothingLeft(
        "CleanAutoComplete", [&] { SetStringValue(store + "\\Entry", "v", "typed"); },
        [this] { m_cleaner.CleanAutoComplete(); });
    ExpectNothingLeft(
        "CleanAutoComplete without a store", [] {}, [this] { m_cleaner.CleanAutoComplete(); });
}

} // namespace
