// The four registry cleaners against the sandbox's real HKEY_CURRENT_USER.
#include "clean/Cleaner.h"
#include "clean/RegistryNotes.h"
#include "platform/Seams.h"
#include "tests/unit/CleanerTestSupport.h"

#include <shlwapi.h>

#include <string>

using namespace cleanertest;

namespace {

const std::string Player = "Software\\RealNetworks\\RealPlayer";
const std::string FileList = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
const std::string Explorer = "Software\\Microsoft\\Internet Explorer";
const std::string TypedUrls = Explorer + "\\TypedURLs";
const std::string IntelliForms = Explorer + "\\IntelliForms";
const std::string Sibling = Explorer + "\\QuenbyTestSibling";

std::string Clip(int n) {
    return "MostRecentClips" + std::to_string(n);
}
std::string File(int n) {
    return "File" + std::to_string(n);
}

// The name of the subkey that `path` enumerates first.
std::string FirstSubkey(const std::string& path) {
    platform::UniqueHKey key;
    char name[256] = {};
    if (RegOpenKeyA(HKEY_CURRENT_USER, path.c_str(), key.put()) == ERROR_SUCCESS)
        RegEnumKeyA(key.get(), 0, name, sizeof name);
    return name;
}

class RegistryCleanerTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_SANDBOX();
        RemoveAll();
    }
    void TearDown() override {
        if (InSandbox())
            RemoveAll();
    }

    static void RemoveAll() {
        SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\RealNetworks");
        SHDeleteKeyA(HKEY_CURRENT_USER, FileList.c_str());
        for (const std::string& key : {TypedUrls, IntelliForms, Sibling})
            SHDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    }

    static void SeedClips(const std::string& preferences, int first, int last) {
        for (int n = first; n <= last; ++n)
            SetStringValue(preferences + "\\" + Clip(n), "", "clip" + std::to_string(n));
    }

    Cleaner m_cleaner;
};

TEST_F(RegistryCleanerTest, MediaPlayerDeletesNumberedFilesUpToTheFirstGap) {
    for (int n : {0, 1, 2, 3, 5})
        SetStringValue(FileList, File(n), "C:\\media" + std::to_string(n) + ".wma");
    SetStringValue(FileList, "Other", "kept");

    EXPECT_EQ(0, m_cleaner.CleanMediaPlayer());

    for (int n : {0, 1, 2, 3})
        EXPECT_FALSE(ValueExists(FileList, File(n))) << File(n) << " should be deleted";
    EXPECT_TRUE(ValueExists(FileList, File(5))) << "the loop should end at the gap at File4";
    EXPECT_TRUE(ValueExists(FileList, "Other"));
    EXPECT_TRUE(KeyExists(FileList)) << "the list key itself stays";
}

TEST_F(RegistryCleanerTest, MediaPlayerDeletesNothingWhenFile0IsMissing) {
    SetStringValue(FileList, File(1), "a");
    SetStringValue(FileList, File(2), "b");

    EXPECT_EQ(0, m_cleaner.CleanMediaPlayer());

    EXPECT_TRUE(ValueExists(FileList, File(1)));
    EXPECT_TRUE(ValueExists(FileList, File(2)));
}

TEST_F(RegistryCleanerTest, MediaPlayerDeletesAtMostTenValues) {
    for (int n = 0; n <= 10; ++n)
        SetStringValue(FileList, File(n), "x");

    EXPECT_EQ(0, m_cleaner.CleanMediaPlayer());

    for (int n = 0; n <= 9; ++n)
        EXPECT_FALSE(ValueExists(FileList, File(n))) << File(n);
    EXPECT_TRUE(ValueExists(FileList, File(10))) << "File10 lies beyond the series";
}

TEST_F(RegistryCleanerTest, MediaPlayerWithoutListKeyReturnsMinusOne) {
    CreateKey("Software\\Microsoft\\MediaPlayer\\Player");
    EXPECT_EQ(-1, m_cleaner.CleanMediaPlayer());
}

TEST_F(RegistryCleanerTest, RealPlayerDeletesTheFirstEightClipsAndLeavesTheNinth) {
    const std::string preferences = Player + "\\6.0\\Preferences";
    SeedClips(preferences, 1, 9);

    EXPECT_EQ(0, m_cleaner.CleanRealPlayer());

    for (int n = 1; n <= 8; ++n)
        EXPECT_FALSE(KeyExists(preferences + "\\" + Clip(n))) << Clip(n) << " should be deleted";
    EXPECT_TRUE(KeyExists(preferences + "\\" + Clip(9))) << "a ninth clip is never touched";
    EXPECT_TRUE(KeyExists(preferences));
}

TEST_F(RegistryCleanerTest, RealPlayerStopsAtAGapAndAtAClipWithSubkeys) {
    const std::string preferences = Player + "\\6.0\\Preferences";
    SeedClips(preferences, 1, 2);
    SeedClips(preferences, 4, 4);
    EXPECT_EQ(0, m_cleaner.CleanRealPlayer());
    EXPECT_FALSE(KeyExists(preferences + "\\" + Clip(1)));
    EXPECT_FALSE(KeyExists(preferences + "\\" + Clip(2)));
    EXPECT_TRUE(KeyExists(preferences + "\\" + Clip(4))) << "the gap at 3 ends the series";

    SeedClips(preferences, 1, 3);
    CreateKey(preferences + "\\" + Clip(2) + "\\Nested");
    EXPECT_EQ(0, m_cleaner.CleanRealPlayer());
    EXPECT_FALSE(KeyExists(preferences + "\\" + Clip(1)));
    EXPECT_TRUE(KeyExists(preferences + "\\" + Clip(2) + "\\Nested"))
        << "a clip key with subkeys cannot be deleted key by key";
    EXPECT_TRUE(KeyExists(preferences + "\\" + Clip(3))) << "the failed deletion ends the series";
}

TEST_F(RegistryCleanerTest, RealPlayerVisitsOnlyTheFirstVersionAndPreferencesKeys) {
    for (const char* version : {"6.0", "7.0", "8.0"})
        for (const char* preferences : {"Preferences", "Profiles"})
            SeedClips(Player + "\\" + version + "\\" + preferences, 1, 2);
    const std::string firstVersion = FirstSubkey(Player);
    const std::string cleaned =
        Player + "\\" + firstVersion + "\\" + FirstSubkey(Player + "\\" + firstVersion);

    EXPECT_EQ(0, m_cleaner.CleanRealPlayer());

    for (const char* version : {"6.0", "7.0", "8.0"})
        for (const char* preferences : {"Preferences", "Profiles"}) {
            const std::string key = Player + "\\" + version + "\\" + preferences;
            EXPECT_EQ(key != cleaned, KeyExists(key + "\\" + Clip(1))) << key;
            EXPECT_EQ(key != cleaned, KeyExists(key + "\\" + Clip(2))) << key;
        }
}

TEST_F(RegistryCleanerTest, RealPlayerReturnsZeroWithoutSubkeysAndMinusOneWithoutRoot) {
    EXPECT_EQ(-1, m_cleaner.CleanRealPlayer()) << "no player key";

    CreateKey(Player);
    EXPECT_EQ(0, m_cleaner.CleanRealPlayer()) << "player key without version";

    CreateKey(Player + "\\6.0");
    EXPECT_EQ(0, m_cleaner.CleanRealPlayer()) << "version key without preferences";
    EXPECT_TRUE(KeyExists(Player + "\\6.0"));
}

TEST_F(RegistryCleanerTest, TypedUrlsAndIntelliFormsGoWithTheirSubtrees) {
    for (const std::string& key : {TypedUrls, IntelliForms}) {
        SetStringValue(key, "url1", "http://example.invalid/");
        SetStringValue(key + "\\Sub\\Deeper", "v", "x");
    }
    SetStringValue(Sibling, "v", "kept");

    EXPECT_EQ(0, m_cleaner.CleanTypedUrls());
    EXPECT_FALSE(KeyExists(TypedUrls));
    EXPECT_TRUE(KeyExists(IntelliForms)) << "each cleaner removes only its own key";

    EXPECT_EQ(0, m_cleaner.CleanIntelliForms());
    EXPECT_FALSE(KeyExists(IntelliForms));
    EXPECT_TRUE(ValueExists(Sibling, "v")) << "keys beside them stay";
}

TEST_F(RegistryCleanerTest, TypedUrlsAndIntelliFormsWithoutKeysReturnZero) {
    EXPECT_EQ(0, m_cleaner.CleanTypedUrls());
    EXPECT_EQ(0, m_cleaner.CleanIntelliForms());
    EXPECT_FALSE(KeyExists(TypedUrls)) << "nothing is re-created";
    EXPECT_FALSE(KeyExists(IntelliForms));
}

// What each registry cleaner's preview notes is what its clean then notes
// as gone, key by key and value by value.
TEST_F(RegistryCleanerTest, PreviewNotesExactlyWhatTheCleanDeletes) {
    using Operation = int (Cleaner::*)(RegistryVisitor&);
    const Operation cleaners[] = {&Cleaner::CleanRealPlayer, &Cleaner::CleanMediaPlayer,
                                  &Cleaner::CleanTypedUrls, &Cleaner::CleanIntelliForms};
    SeedClips(Player + "\\6.0\\Preferences", 1, 9);
    CreateKey(Player + "\\6.0\\Preferences\\" + Clip(4) + "\\Nested");
    for (int n = 0; n <= 10; ++n)
        SetStringValue(FileList, File(n), "x");
    for (const std::string& key : {TypedUrls, IntelliForms}) {
        SetStringValue(key, "url1", "http://example.invalid/");
        SetStringValue(key + "\\Sub\\Deeper", "v", "x");
    }
    for (Operation cleaner : cleaners) {
        CleanReport previewed, cleaned;
        RegistryPreview preview(previewed);
        NotedRegistryCleaning clean(cleaned);
        (m_cleaner.*cleaner)(preview);
        (m_cleaner.*cleaner)(clean);
        ASSERT_FALSE(previewed.Items().empty());
        ASSERT_EQ(previewed.Items().size(), cleaned.Items().size());
        for (size_t i = 0; i < previewed.Items().size(); ++i) {
            EXPECT_EQ(previewed.Items()[i].kind, cleaned.Items()[i].kind) << i;
            EXPECT_EQ(Narrow(previewed.Items()[i].path), Narrow(cleaned.Items()[i].path));
            EXPECT_EQ(previewed.Items()[i].status, cleaned.Items()[i].status);
        }
    }
}

int g_enumerations = 0;
LONG WINAPI KeyDeletedMeanwhile(HKEY, DWORD, LPWSTR, LPDWORD, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
    // Past this many calls the listing would spin: end it, and fail below.
    return ++g_enumerations > 100 ? ERROR_NO_MORE_ITEMS : ERROR_KEY_DELETED;
}

// A key deleted while it is listed answers every index with an error: the
// listing ends at once and notes why.
TEST_F(RegistryCleanerTest, AKeyDeletedWhileListedEndsTheListingWithItsReason) {
    SetStringValue(TypedUrls, "url1", "x");
    platform::seam::ScopedOverride deleted(platform::seam::RegEnumValueW, &KeyDeletedMeanwhile);
    g_enumerations = 0;
    CleanReport report;
    RegistryPreview preview(report);
    m_cleaner.CleanTypedUrls(preview);
    EXPECT_EQ(1, g_enumerations);
    ASSERT_EQ(2u, report.Items().size());
    EXPECT_EQ(CleanItemKind::Problem, report.Items()[1].kind);
    EXPECT_EQ(DWORD(ERROR_KEY_DELETED), report.Items()[1].error);
}

TEST_F(RegistryCleanerTest, NoKeyStaysOpenOnAnyPath) {
    ASSERT_GT(CountOwnHandles(), 0) << "the handle table cannot be read";
    using Operation = int (Cleaner::*)();
    const std::pair<const char*, Operation> cleaners[] = {
        {"CleanRealPlayer", &Cleaner::CleanRealPlayer},
        {"CleanMediaPlayer", &Cleaner::CleanMediaPlayer},
        {"CleanTypedUrls", &Cleaner::CleanTypedUrls},
        {"CleanIntelliForms", &Cleaner::CleanIntelliForms}};
    const std::function<void()> states[] = {[] { RemoveAll(); },
                                            [] {
                                                RemoveAll();
                                                CreateKey(Player);
                                            },
                                            [] {
                                                RemoveAll();
                                                CreateKey(Player + "\\6.0");
                                            },
                                            [] {
                                                SeedClips(Player + "\\6.0\\Preferences", 1, 9);
                                                CreateKey(Player + "\\6.0\\Preferences\\" +
                                                          Clip(2) + "\\Nested");
                                            },
                                            [] {
                                                SeedClips(Player + "\\6.0\\Preferences", 1, 9);
                                                for (int n = 0; n <= 10; ++n)
                                                    SetStringValue(FileList, File(n), "x");
                                                SetStringValue(TypedUrls + "\\Sub", "url1", "x");
                                                SetStringValue(IntelliForms + "\\Sub", "v", "x");
                                            }};
    for (const auto& cleaner : cleaners)
        for (const auto& state : states)
            ExpectNothingLeft(cleaner.first, state, [&] { (m_cleaner.*cleaner.second)(); });
}

} // namespace
