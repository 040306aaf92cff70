// The demonstration's helper, run by scripts/run-demo.sh inside the sandbox:
//
//   clean_demo seed     seeds sample traces of every target and a Chrome and
//                       a Firefox profile, checks all eight boxes of Quenby's
//                       stored selection, lists the traces
//   clean_demo more     opens "Settings > More traces..." in the running
//                       Quenby, checks both browsers' history in the chooser
//                       with the keyboard and prints the chooser's place on
//                       the screen (WIDTHxHEIGHT+X+Y)
//   clean_demo preview  presses "Preview" in the chooser, waits for the
//                       preview's end and prints its window's place
//   clean_demo ok       closes the preview and presses "OK" in the chooser
//   clean_demo show     lists the traces that are left
//   clean_demo wait     waits for Quenby's main window
//   clean_demo clean    presses "Clean" in the running Quenby window, answers
//                       "Yes" and waits for the completion box
//   clean_demo close    closes the completion box and exits Quenby
//   clean_demo engine   seeds, runs the cleaners directly, lists what is left
//
// It refuses to run outside the sandbox of scripts/sandbox.sh, since it
// deletes the user's real traces.
#include "clean/Cleaner.h"
#include "res/resource.h"
#include "platform/Handles.h"
#include "tests/unit/BrowserFixtures.h"

#include <windows.h>
#include <commctrl.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char PlayerClips[] = "Software\\RealNetworks\\RealPlayer\\6.0\\Preferences";
const char FileList[] = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
const char TypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char IntelliForms[] = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
const char StorePrefix[] = "Software\\Microsoft\\Protected Storage System Provider\\";
const char StoreSuffix[] = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
const DWORD IndexSize = 25000;
const DWORD IndexHeaderSize = 64;

void SetValue(const std::string& path, const char* name, const char* data) {
    platform::UniqueHKey key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), key.put()) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                   DWORD(strlen(data) + 1));
}

std::string ShellFolder(int csidl) {
    char folder[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, folder, csidl, TRUE);
    return folder;
}

std::string AutoCompleteStore() {
    platform::UniqueHandle token;
    char buffer[256];
    DWORD size = 0;
    char* text = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size) ||
        !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text))
        return std::string();
    const std::string store = StorePrefix + std::string(text) + StoreSuffix;
    LocalFree(text);
    return store;
}

void WriteSample(const std::string& path, DWORD size) {
    platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(size, 'x');
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), size, &written, nullptr);
}

void MoveToRecycleBin(const std::string& path) {
    WriteSample(path, 100);
    const std::string from = path + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

std::wstring WideShellFolder(int csidl, const wchar_t* below) {
    wchar_t folder[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, folder, csidl, TRUE);
    return std::wstring(folder) + below;
}

std::wstring ChromeProfile() {
    return WideShellFolder(CSIDL_LOCAL_APPDATA, L"\\Google\\Chrome\\User Data\\Default");
}

std::wstring FirefoxProfile() {
    return WideShellFolder(CSIDL_APPDATA, L"\\Mozilla\\Firefox\\Profiles\\demo.default");
}

void SeedTraces() {
    for (int n = 1; n <= 3; ++n)
        SetValue(std::string(PlayerClips) + "\\MostRecentClips" + std::to_string(n), "",
                 "C:\\clips\\news.rm");
    for (int n = 0; n <= 2; ++n)
        SetValue(FileList, ("File" + std::to_string(n)).c_str(), "C:\\music\\song.wma");
    SetValue(TypedUrls, "url1", "http://example.invalid/");
    SetValue(std::string(IntelliForms) + "\\Storage2", "entry", "secret");
    const std::string store = AutoCompleteStore();
    if (!store.empty())
        SetValue(store + "\\Entry", "value", "typed text");

    const std::string recent = ShellFolder(CSIDL_RECENT);
    WriteSample(recent + "\\desktop.ini", 40);
    WriteSample(recent + "\\report.doc.lnk", 300);
    WriteSample(recent + "\\holiday.jpg.lnk", 300);
    const std::string history = ShellFolder(CSIDL_HISTORY);
    CreateDirectoryA((history + "\\History.IE5").c_str(), nullptr);
    CreateDirectoryA((history + "\\History.IE5\\MSHist01").c_str(), nullptr);
    WriteSample(history + "\\History.IE5\\index.dat", IndexSize);
    WriteSample(history + "\\History.IE5\\MSHist01\\index.dat", IndexSize);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    MoveToRecycleBin(std::string(temp) + "old letter.txt");
    SHCreateDirectoryExW(nullptr, ChromeProfile().c_str(), nullptr);
    SHCreateDirectoryExW(nullptr, FirefoxProfile().c_str(), nullptr);
    fixtures::SeedChromiumProfile(ChromeProfile());
    fixtures::SeedFirefoxProfile(FirefoxProfile(), FirefoxProfile());
}

bool KeyExists(const std::string& path) {
    platform::UniqueHKey key;
    return RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), key.put()) == ERROR_SUCCESS;
}

int ValueCount(const char* path) {
    platform::UniqueHKey key;
    DWORD values = 0;
    if (RegOpenKeyA(HKEY_CURRENT_USER, path, key.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
    return int(values);
}

// Size of a file and, for an index file, how many bytes past its header are
// zero.
std::string Describe(const std::string& path, bool isIndexFile) {
    platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD size = GetFileSize(file.get(), nullptr);
    std::vector<char> bytes(size);
    DWORD read = 0;
    ReadFile(file.get(), bytes.data(), size, &read, nullptr);
    int zeros = 0;
    for (DWORD i = IndexHeaderSize; i < read; ++i)
        zeros += bytes[i] == 0 ? 1 : 0;
    const std::string sizeText = std::to_string(size) + " bytes";
    if (!isIndexFile)
        return sizeText;
    return sizeText + ", " + std::to_string(zeros) + " of them zero after the header";
}

void ListFolder(const std::string& folder, const std::string& indent) {
    WIN32_FIND_DATAA entry;
    platform::UniqueFind find(FindFirstFileA((folder + "\\*.*").c_str(), &entry));
    if (!find)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::printf("%s%s\\\n", indent.c_str(), name.c_str());
            ListFolder(path, indent + "  ");
        } else {
            const bool isIndexFile = lstrcmpiA(name.c_str(), "index.dat") == 0;
            std::printf("%s%s (%s)\n", indent.c_str(), name.c_str(),
                        Describe(path, isIndexFile).c_str());
        }
    } while (FindNextFileA(find.get(), &entry));
}

void ShowTraces(const char* title) {
    SHQUERYRBINFO bin = {};
    bin.cbSize = sizeof bin;
    SHQueryRecycleBinA(nullptr, &bin);
    const std::string store = AutoCompleteStore();
    std::printf("\n== %s\n", title);
    std::printf("Real Player: recent clip 1 %s\n",
                KeyExists(std::string(PlayerClips) + "\\MostRecentClips1") ? "present" : "gone");
    std::printf("Media Player: %d recent-file values\n", ValueCount(FileList));
    std::printf("IE address bar: TypedURLs %s\n", KeyExists(TypedUrls) ? "present" : "gone");
    std::printf("IE Auto compelete forms: store %s\n", KeyExists(store) ? "present" : "gone");
    std::printf("IE user names and passwords: IntelliForms %s\n",
                KeyExists(IntelliForms) ? "present" : "gone");
    std::printf("Recycle bin: %d item(s)\n", int(bin.i64NumItems));
    std::printf("Recent documents: %s\n", ShellFolder(CSIDL_RECENT).c_str());
    ListFolder(ShellFolder(CSIDL_RECENT), "  ");
    std::printf("IE history: %s\n", ShellFolder(CSIDL_HISTORY).c_str());
    ListFolder(ShellFolder(CSIDL_HISTORY), "  ");
    std::printf(
        "Chrome history: %d visits, %d addresses (bookmarks among them)\n",
        int(fixtures::Column(ChromeProfile() + L"\\History", "SELECT id FROM visits").size()),
        int(fixtures::Column(ChromeProfile() + L"\\History", "SELECT id FROM urls").size()));
    const std::wstring places = FirefoxProfile() + L"\\places.sqlite";
    std::printf("Firefox history: %d visits, %d places (bookmarks among them)\n",
                int(fixtures::Column(places, "SELECT id FROM moz_historyvisits").size()),
                int(fixtures::Column(places, "SELECT id FROM moz_places").size()));
}

constexpr const char kMainTitle[] = "Marlowick Quenby - Privacy cleaner";
constexpr const char kSelectionKey[] = "Software\\Marlowick software\\Quenby\\Settings";
constexpr DWORD kAllTargets = 0xFF;
constexpr DWORD kPollMs = 100;
constexpr DWORD kWaitMs = 60000;

void CheckAllBoxesAtNextStart() {
    platform::UniqueHKey key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, kSelectionKey, key.put()) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key.get(), "Place", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kAllTargets),
                   sizeof kAllTargets);
}

// Polls for a top-level window until it appears or the wait runs out.
template <typename Find> HWND WaitFor(Find find) {
    for (DWORD waited = 0; waited < kWaitMs; waited += kPollMs) {
        if (HWND hwnd = find())
            return hwnd;
        Sleep(kPollMs);
    }
    return nullptr;
}

HWND MainWindow() {
    return FindWindowA("#32770", kMainTitle);
}

// The message box owned by the main window whose text starts with `text`.
HWND MessageBoxWith(const char* text) {
    HWND main = MainWindow();
    for (HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr); box;
         box = FindWindowExA(nullptr, box, "#32770", nullptr)) {
        char shown[256] = {};
        GetDlgItemTextA(box, 0xFFFF, shown, sizeof shown);
        if (GetWindow(box, GW_OWNER) == main && std::strncmp(shown, text, strlen(text)) == 0)
            return box;
    }
    return nullptr;
}

int PressClean() {
    HWND main = WaitFor(MainWindow);
    if (!main) {
        std::fprintf(stderr, "Quenby's window did not appear\n");
        return 1;
    }
    PostMessageA(GetDlgItem(main, IDC_CLEAN), BM_CLICK, 0, 0);
    HWND question = WaitFor([] { return MessageBoxWith("Are you sure to clean?"); });
    if (!question) {
        std::fprintf(stderr, "no confirmation box\n");
        return 1;
    }
    std::printf("Quenby asks: \"Are you sure to clean?\" - answering Yes\n");
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    HWND finished = WaitFor([] { return MessageBoxWith("Clean finish."); });
    if (!finished) {
        std::fprintf(stderr, "no completion box\n");
        return 1;
    }
    std::printf("Quenby reports: \"Clean finish.\"\n");
    return 0;
}

HWND MoreTracesDialog() {
    return FindWindowA("#32770", "More traces");
}

HWND PreviewDialog() {
    return FindWindowA("#32770", "Preview");
}

void PrintPlace(HWND window) {
    RECT place = {};
    GetWindowRect(window, &place);
    std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left,
                place.top);
}

// The `index`th child of a tree item, as a user reaches it with the arrows.
HTREEITEM ChildOf(HWND tree, HTREEITEM parent, int index) {
    HTREEITEM item = TreeView_GetChild(tree, parent);
    while (item && index-- > 0)
        item = TreeView_GetNextSibling(tree, item);
    return item;
}

// Selects the item and presses Space on it, which checks it.
void CheckItem(HWND tree, HTREEITEM item) {
    TreeView_SelectItem(tree, item);
    SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(tree, WM_KEYUP, VK_SPACE, 0);
}

// Opens the chooser through the menu command and checks the history of the
// two browsers found (Chrome, then Firefox: the first two programs; History
// is each one's second trace), and prints where the chooser is, for a
// screenshot of it alone.
int OpenMoreTraces() {
    HWND main = WaitFor(MainWindow);
    if (!main)
        return 1;
    PostMessageA(main, WM_COMMAND, ID_SETTINGS_MORE_TRACES, 0);
    HWND dialog = WaitFor(MoreTracesDialog);
    if (!dialog) {
        std::fprintf(stderr, "no \"More traces\" window\n");
        return 1;
    }
    HWND tree = GetDlgItem(dialog, IDC_CHOOSER_TREE);
    const HTREEITEM chrome = TreeView_GetRoot(tree);
    const HTREEITEM firefox = TreeView_GetNextSibling(tree, chrome);
    CheckItem(tree, ChildOf(tree, firefox, 1));
    CheckItem(tree, ChildOf(tree, chrome, 1));
    PrintPlace(dialog);
    return 0;
}

// "Close" stands where "Cancel" stood once the preview has ended.
bool PreviewEnded() {
    char text[32] = {};
    GetDlgItemTextA(PreviewDialog(), IDCANCEL, text, sizeof text);
    return std::strcmp(text, "&Close") == 0;
}

int ShowPreview() {
    HWND dialog = MoreTracesDialog();
    if (!dialog)
        return 1;
    PostMessageA(GetDlgItem(dialog, IDC_CHOOSER_PREVIEW), BM_CLICK, 0, 0);
    HWND preview = WaitFor(PreviewDialog);
    if (!preview || !WaitFor([] { return PreviewEnded() ? PreviewDialog() : nullptr; })) {
        std::fprintf(stderr, "no preview, or it did not end\n");
        return 1;
    }
    PrintPlace(preview);
    return 0;
}

int CloseMoreTraces() {
    if (HWND preview = PreviewDialog()) {
        PostMessageA(preview, WM_COMMAND, IDCANCEL, 0);
        WaitFor([] { return PreviewDialog() ? nullptr : GetDesktopWindow(); });
    }
    HWND dialog = MoreTracesDialog();
    if (!dialog)
        return 1;
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return WaitFor([] { return MoreTracesDialog() ? nullptr : GetDesktopWindow(); }) ? 0 : 1;
}

int CloseQuenby() {
    if (HWND finished = MessageBoxWith("Clean finish."))
        PostMessageA(finished, WM_COMMAND, IDOK, 0);
    HWND main = WaitFor(MainWindow);
    if (!main)
        return 1;
    WaitFor([] { return MessageBoxWith("Clean finish.") ? nullptr : MainWindow(); });
    PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    return WaitFor([] { return MainWindow() ? nullptr : GetDesktopWindow(); }) ? 0 : 1;
}

int RunEngineDirectly() {
    SeedTraces();
    // A browser that still has the history open: the index file cannot be
    // deleted, so it is left wiped after its header.
    const std::string held = ShellFolder(CSIDL_HISTORY) + "\\History.IE5\\index.dat";
    platform::UniqueFile browser(CreateFileA(held.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ShowTraces("Before the clean");

    Cleaner cleaner;
    cleaner.CleanRealPlayer();
    cleaner.CleanMediaPlayer();
    cleaner.CleanRecentDocuments();
    cleaner.CleanIEHistory();
    cleaner.CleanTypedUrls();
    cleaner.CleanAutoComplete();
    cleaner.CleanIntelliForms();
    cleaner.EmptyRecycleBin();

    ShowTraces("After the clean (the held index.dat stays, wiped; desktop.ini stays)");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* box = std::getenv("QUENBY_SANDBOX");
    if (box == nullptr || box[0] == '\0') {
        std::fprintf(stderr, "clean_demo deletes real traces: run it through scripts/sandbox.sh\n");
        return 2;
    }
    const std::string command = argc > 1 ? argv[1] : "engine";
    if (command == "seed") {
        SeedTraces();
        CheckAllBoxesAtNextStart();
        ShowTraces("Sample traces before the clean");
        return 0;
    }
    if (command == "show") {
        ShowTraces("After the clean (desktop.ini stays)");
        return 0;
    }
    if (command == "wait")
        return WaitFor(MainWindow) ? 0 : 1;
    if (command == "more")
        return OpenMoreTraces();
    if (command == "preview")
        return ShowPreview();
    if (command == "ok")
        return CloseMoreTraces();
    if (command == "clean")
        return PressClean();
    if (command == "close")
        return CloseQuenby();
    if (command == "engine")
        return RunEngineDirectly();
    std::fprintf(stderr, "usage: clean_demo seed|show|wait|more|preview|ok|clean|close|engine\n");
    return 2;
}
