// The user's cleaning definitions (winapp2.ini): what is read of the
// fixture, what is refused and why, what is found, and that a preview names
// exactly what the clean removes. The fixture is tests/fixtures/definitions.
#include "catalogue/Definitions.h"
#include "clean/NotingVisitors.h"
#include "platform/KnownFolder.h"
#include "res/resource.h"
#include "tests/unit/CleanerTestSupport.h"

#include <knownfolders.h>
#include <shlwapi.h>

#include <random>
#include <set>

using namespace cleanertest;

namespace {

const wchar_t Outside[] = L"C:\\ProgramData\\QuenbyFixtureOutside";

std::wstring Roaming() {
    return platform::KnownFolderPath(FOLDERID_RoamingAppData);
}

// The fixture, copied where Quenby looks for it.
std::wstring FixtureCopy() {
    using DosNameFn = wchar_t*(CDECL*)(const char*);
    auto dosName = reinterpret_cast<DosNameFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_dos_file_name")));
    platform::UniqueHeapBlock source(dosName(QUENBY_DEFINITIONS_FIXTURE));
    const std::wstring own = Roaming() + L"\\Quenby";
    CreateDirectoryW(own.c_str(), nullptr);
    const std::wstring copy = own + L"\\winapp2.ini";
    CopyFileW(static_cast<wchar_t*>(source.get()), copy.c_str(), FALSE);
    // Gone when the suite ends: a winapp2.ini left in the profile would join
    // the catalogue of every program run later in the same prefix.
    static const struct Remover {
        std::wstring path;
        ~Remover() { DeleteFileW(path.c_str()); }
    } remover{copy};
    return copy;
}

std::shared_ptr<const LoadedDefinitions> Load(bool trusted, const std::wstring& path) {
    DWORD error = 0;
    auto loaded = LoadDefinitions(path, trusted, error);
    EXPECT_TRUE(loaded) << "error " << error;
    return loaded;
}

const Definition& Entry(const LoadedDefinitions& loaded, size_t line) {
    for (const Definition& entry : loaded.file.entries) {
        if (entry.line == line)
            return entry;
    }
    ADD_FAILURE() << "no entry at line " << line;
    return loaded.file.entries.front();
}

std::vector<size_t> RefusedLines(const Definition& entry) {
    std::vector<size_t> lines;
    for (const Refusal& refusal : entry.refusedRules)
        lines.push_back(refusal.line);
    return lines;
}

size_t TemporaryFiles() {
    wchar_t folder[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, folder);
    WIN32_FIND_DATAW found;
    platform::UniqueFind find(FindFirstFileW((std::wstring(folder) + L"*").c_str(), &found));
    if (!find)
        return 0;
    size_t count = 1;
    while (FindNextFileW(find.get(), &found))
        ++count;
    return count;
}

bool Says(const std::wstring& text, const wchar_t* words) {
    return text.find(words) != std::wstring::npos;
}

TEST(DefinitionsTest, TheFixtureReadsEveryConstructAndRefusesWithLineNumbers) {
    REQUIRE_SANDBOX();
    const auto loaded = Load(false, FixtureCopy());
    ASSERT_TRUE(loaded);
    const DefinitionFile& file = loaded->file;
    EXPECT_EQ(L"990101", file.version);
    ASSERT_EQ(1u, file.strayLines.size());
    EXPECT_EQ(3u, file.strayLines[0].line);
    EXPECT_EQ(10u, file.entries.size());
    EXPECT_EQ(17u, file.fileRules) << "the second [notepad++ *] cannot be read";
    EXPECT_EQ(6u, file.registryRules);
    EXPECT_EQ(3u, file.exclusions);

    const Definition& notepad = Entry(*loaded, 5);
    EXPECT_EQ(L"Notepad++", notepad.name);
    EXPECT_EQ(L"Applications", notepad.category);
    EXPECT_TRUE(notepad.Runs()) << Narrow(notepad.refused.reason);
    EXPECT_EQ(4u, notepad.files.size());
    EXPECT_TRUE(notepad.files[1].recurse && notepad.files[2].removeSelf);
    EXPECT_EQ((std::vector<std::wstring>{L"session.xml", L"*.bak"}), notepad.files[0].patterns);
    EXPECT_EQ(2u, notepad.keys.size());
    EXPECT_TRUE(notepad.keys[1].oneValue);
    EXPECT_EQ(16u, notepad.keys[0].line) << "a comment inside an entry counts as a line";
    EXPECT_TRUE(notepad.sensitive) << "session.xml names a session";

    // From a file anyone could write, only HKCU and the profile run.
    const Definition& zip = Entry(*loaded, 20);
    EXPECT_EQ(L"Archivers", zip.category);
    EXPECT_EQ(1u, zip.keys.size());
    EXPECT_TRUE(zip.files.empty());
    EXPECT_EQ((std::vector<size_t>{25, 26, 27}), RefusedLines(zip));

    const Definition& careless = Entry(*loaded, 29);
    EXPECT_TRUE(careless.Runs()) << "a refused rule that reaches a browser hides nothing";
    EXPECT_EQ(L"It removes what it names.", careless.warning);
    EXPECT_EQ((std::vector<size_t>{33, 34, 35, 36, 37, 39}), RefusedLines(careless));
    const std::vector<const wchar_t*> reasons = {
        L"without a pattern", L"unknown flag DEEP", L"unknown variable %Nowhere%",
        L"a folder of the",   L"root of a drive",   L"outside HKCU"};
    for (size_t i = 0; i < reasons.size() && i < careless.refusedRules.size(); ++i)
        EXPECT_TRUE(Says(careless.refusedRules[i].reason, reasons[i]))
            << Narrow(careless.refusedRules[i].reason);
    ASSERT_EQ(1u, careless.files.size());
    EXPECT_EQ(38u, careless.files[0].line);

    EXPECT_TRUE(Entry(*loaded, 45).covered) << "Chrome's profile is Quenby's own";
    EXPECT_FALSE(Entry(*loaded, 45).Runs());
    EXPECT_EQ(53u, Entry(*loaded, 50).refused.line) << "the damaged line refuses its entry";
    EXPECT_TRUE(Says(Entry(*loaded, 55).refused.reason, L"unknown key Flavour"));
    EXPECT_TRUE(Says(Entry(*loaded, 59).refused.reason, L"at line 5"));
    EXPECT_TRUE(Entry(*loaded, 62).sensitive);
    EXPECT_EQ(L"Caf\u00e9 Notes", Entry(*loaded, 67).name) << "UTF-8 is read as such";

    // Beside the program in an administrators' folder, every rule runs, and
    // %ProgramFiles% names both views on 64-bit Windows.
    const auto trusted = Load(true, FixtureCopy());
    ASSERT_TRUE(trusted);
    const Definition& trustedZip = Entry(*trusted, 20);
    EXPECT_TRUE(trustedZip.refusedRules.empty());
    ASSERT_EQ(2u, trustedZip.files.size());
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const size_t views = sizeof(void*) == 8 || wow64 ? 2 : 1;
    EXPECT_EQ(views, trustedZip.files[0].folders.size()) << "one view on 32-bit Windows";
    EXPECT_EQ(2u, trustedZip.keys.size());

    // Larger than a megabyte and than the piece the platform is given at a
    // time (four million characters): UTF-8 still read as such, and a name
    // in the second piece is still a second one.
    std::string large = ReadBytes(FixtureCopy());
    large += large.back() == '\n' ? "" : "\r\n";
    large += std::string((1 << 22) + 1, ';') +
             "\r\n[Caf\xc3\xa9 Notes *]\r\nFileKey1=%AppData%|*.x\r\n";
    const std::wstring largePath = Roaming() + L"\\Quenby\\large.ini";
    WriteBytes(largePath, large);
    const auto read = Load(false, largePath);
    DeleteFileW(largePath.c_str());
    ASSERT_TRUE(read);
    EXPECT_EQ(L"Caf\u00e9 Notes", Entry(*read, 67).name);
    EXPECT_EQ(L"%AppData%\\QuenbyFixture\\Caf\u00e9|*.txt", Entry(*read, 67).files[0].text);
    const size_t last = size_t(std::count(large.begin(), large.end(), '\n')) - 1;
    EXPECT_TRUE(Says(Entry(*read, last).refused.reason, L"at line 67"));
}

TEST(DefinitionsTest, EntriesAreFoundByKeysFilesWildcardsAndWindowsVersionsAndJoinTheCatalogue) {
    REQUIRE_SANDBOX();
    const std::wstring fixture = FixtureCopy(), folder = Roaming() + L"\\QuenbyFixture";
    RemoveTree(folder);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuenbyFixture");
    const auto before = Load(false, fixture);
    ASSERT_TRUE(before);
    EXPECT_FALSE(DefinitionFound(Entry(*before, 5), before->context));
    EXPECT_FALSE(DefinitionFound(Entry(*before, 20), before->context));
    EXPECT_TRUE(DefinitionFound(Entry(*before, 29), before->context)) << "Windows 6.1 and later";
    EXPECT_FALSE(DefinitionFound(Entry(*before, 41), before->context)) << "Windows 6.0 at most";
    EXPECT_TRUE(DefinitionFound(Entry(*before, 55), before->context)) << "no detection: found";

    MakeFolder(folder);
    MakeFolder(folder + L"\\Notepad++");
    CreateKey("Software\\QuenbyFixture\\7-Zip");
    const auto after = Load(false, fixture);
    EXPECT_TRUE(DefinitionFound(Entry(*after, 5), after->context)) << "Note* matches";
    EXPECT_TRUE(DefinitionFound(Entry(*after, 20), after->context));
    // A folder's first entries are looked up one by one, the later ones in
    // its listing: the answers are the same.
    DetectionCache detection;
    for (int ask = 0; ask < 4; ++ask) {
        EXPECT_TRUE(detection.PathExists(folder + L"\\NOTEPAD++")) << ask;
        EXPECT_FALSE(detection.PathExists(folder + L"\\Notepad")) << ask;
    }

    Catalogue catalogue = Catalogue::BuiltInTraces();
    AddDefinitions(catalogue, after);
    const size_t notepad = catalogue.IndexOf(L"winapp2:notepad++");
    ASSERT_NE(Catalogue::npos, notepad);
    EXPECT_EQ(L"Applications", catalogue.ProgramOf(notepad)->name);
    EXPECT_TRUE(catalogue.Found(notepad));
    EXPECT_EQ(Catalogue::npos, catalogue.IndexOf(L"winapp2:Chrome Extra")) << "covered";
    EXPECT_EQ(Catalogue::npos, catalogue.IndexOf(L"winapp2:Damaged"));
    const size_t keeper = catalogue.IndexOf(L"winapp2:Passwords Keeper");
    const size_t careless = catalogue.IndexOf(L"winapp2:Careless Rules");
    ASSERT_NE(Catalogue::npos, keeper);
    ASSERT_NE(Catalogue::npos, careless);
    EXPECT_TRUE(Says(catalogue.Traces()[keeper].warning, L"passwords"));
    EXPECT_TRUE(Says(catalogue.Traces()[careless].stays, L"line 36: "))
        << Narrow(catalogue.Traces()[careless].stays);
    // The program's own catalogue: a start-up read that the program's end
    // stops at once leaves nothing half read behind; its first user reads it.
    { const CataloguePreload preload; }
    EXPECT_NE(Catalogue::npos, Catalogue::BuiltIn().IndexOf(L"winapp2:notepad++"));
    RemoveTree(folder);
    RemoveDirectoryW(folder.c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuenbyFixture");
}

// What each run named as gone, without the order.
std::set<std::wstring> Gone(const CleanReport& report) {
    std::set<std::wstring> gone;
    for (const CleanItem& item : report.Items()) {
        if (item.status == CleanStatus::Gone)
            gone.insert(std::to_wstring(int(item.kind)) + L" " + item.path);
    }
    return gone;
}

void SeedTree(const std::wstring& app) {
    MakeFolder(Roaming() + L"\\QuenbyFixture");
    for (const wchar_t* folder :
         {L"", L"\\backup", L"\\backup\\deep", L"\\backup\\pinned", L"\\plugin1",
          L"\\plugin1\\cache", L"\\plugin1\\cache\\sub", L"\\plugin2", L"\\plugin2\\cache"})
        MakeFolder(app + folder);
    for (const wchar_t* file :
         {L"\\session.xml", L"\\a.bak", L"\\keep.bak", L"\\config.xml", L"\\backup\\x",
          L"\\backup\\deep\\y.txt", L"\\backup\\pinned\\z.txt", L"\\plugin1\\cache\\c.dat",
          L"\\plugin1\\cache\\sub\\d.dat", L"\\plugin2\\cache\\e.dat"})
        WriteBytes(app + file, "x");
    MakeFolder(Outside);
    WriteBytes(std::wstring(Outside) + L"\\outside.txt", "x");
    MakeSymlink(Outside, app + L"\\linked");
    MakeSymlink(Outside, app + L"\\backup\\elsewhere");
    const std::string key = "Software\\QuenbyFixture\\Notepad++";
    SetStringValue(key, "LastFile", "x");
    SetStringValue(key, "Theme", "x");
    SetStringValue(key + "\\History", "a", "x");
    SetStringValue(key + "\\History\\Old", "o", "x");
    SetStringValue(key + "\\History\\Pinned", "p", "x");
}

TEST(DefinitionsTest, APreviewNamesExactlyWhatTheCleanRemovesAndExclusionsAndLinksStay) {
    REQUIRE_SANDBOX();
    const std::wstring fixture = FixtureCopy(), app = Roaming() + L"\\QuenbyFixture\\Notepad++";
    SeedTree(app);
    const auto loaded = Load(false, fixture);
    ASSERT_TRUE(loaded);
    CleanReport previewed, cleaned;
    PreviewVisitors preview(previewed);
    RunDefinition(Entry(*loaded, 5), loaded->context, preview.Get());
    EXPECT_TRUE(Exists(app + L"\\session.xml")) << "a preview changes nothing";
    NotedCleaningVisitors clean(cleaned);
    RunDefinition(Entry(*loaded, 5), loaded->context, clean.Get());

    EXPECT_EQ(Gone(previewed), Gone(cleaned));
    EXPECT_EQ(14u, Gone(cleaned).size()) << "7 files, 3 folders, 2 values, a key and its value";
    for (const wchar_t* gone : {L"\\session.xml", L"\\a.bak", L"\\backup\\x",
                                L"\\backup\\deep\\y.txt", L"\\plugin1\\cache", L"\\plugin2\\cache"})
        EXPECT_FALSE(Exists(app + gone)) << Narrow(gone);
    for (const wchar_t* stays : {L"\\keep.bak", L"\\config.xml", L"\\backup\\deep",
                                 L"\\backup\\pinned\\z.txt", L"\\plugin1", L"\\plugin2"})
        EXPECT_TRUE(Exists(app + stays)) << Narrow(stays);
    EXPECT_TRUE(Exists(std::wstring(Outside) + L"\\outside.txt")) << "links are never followed";
    const std::string key = "Software\\QuenbyFixture\\Notepad++";
    EXPECT_FALSE(ValueExists(key, "LastFile"));
    EXPECT_TRUE(ValueExists(key, "Theme"));
    EXPECT_FALSE(ValueExists(key + "\\History", "a"));
    EXPECT_FALSE(KeyExists(key + "\\History\\Old"));
    EXPECT_TRUE(ValueExists(key + "\\History\\Pinned", "p"));
    EXPECT_TRUE(std::any_of(cleaned.Items().begin(), cleaned.Items().end(),
                            [&](const CleanItem& item) {
                                return item.path == app + L"\\linked" &&
                                       Says(item.detail, L"outside your profile");
                            }))
        << "a rule's folder that leads outside the profile is refused when it runs";

    RemoveSymlink(app + L"\\linked");
    RemoveSymlink(app + L"\\backup\\elsewhere");
    RemoveTree(Roaming() + L"\\QuenbyFixture");
    RemoveTree(Outside);
    RemoveDirectoryW(Outside);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\QuenbyFixture");
}

// Lines of the fixture cut short, spliced with the format's own signs and
// with bytes that are no text, in random order: whatever the file holds, it
// reads, and every refusal names a line of it.
TEST(DefinitionsTest, RandomAndTruncatedLinesNeverCrashTheReader) {
    REQUIRE_SANDBOX();
    const std::string fixture = ReadBytes(FixtureCopy());
    std::vector<std::string> lines;
    for (size_t start = 0; start < fixture.size();) {
        const size_t end = std::min(fixture.find('\n', start), fixture.size());
        lines.push_back(fixture.substr(start, end - start));
        start = end + 1;
    }
    const std::string signs = "[]=|;%\\*?.:\t\r \x01\x7f\xc3\xa9\xff";
    std::mt19937 random(29);
    const std::wstring path = Roaming() + L"\\Quenby\\fuzzed.ini";
    const size_t temporaries = TemporaryFiles();
    for (int round = 0; round < 150; ++round) {
        std::string text;
        size_t count = 0;
        for (; count < 1 + random() % 40; ++count) {
            std::string line = lines[random() % lines.size()];
            line.resize(random() % (line.size() + 1));
            for (size_t splice = random() % 4; splice > 0; --splice)
                line.insert(random() % (line.size() + 1), 1, signs[random() % signs.size()]);
            text += line + (random() % 8 ? "\r\n" : "\n");
        }
        WriteBytes(path, text);
        DWORD error = 0;
        const auto loaded = LoadDefinitions(path, random() % 2 == 0, error);
        ASSERT_TRUE(loaded) << "round " << round << ", error " << error;
        for (const Definition& entry : loaded->file.entries) {
            DefinitionFound(entry, loaded->context);
            for (const Refusal& refusal : entry.refusedRules)
                ASSERT_LE(refusal.line, count + 1) << "round " << round;
            ASSERT_LE(entry.refused.line, count + 1) << "round " << round;
        }
    }
    DeleteFileW(path.c_str());
    EXPECT_EQ(temporaries, TemporaryFiles()) << "the pieces read are deleted";
}

} // namespace
