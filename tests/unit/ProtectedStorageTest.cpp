// The protected-storage cleaner against the sandbox's real registry.
//
// Facts of the Wine registry these tests rely on (checked under Wine 8):
// key DACLs are enforced when a key is opened, so KEY_READ is refused by a
// DACL that does not grant it; the owner (Administrators, of which the user
// is a member) always gets READ_CONTROL and WRITE_DAC; opening a key by path
// does not check the keys above it; SHDeleteKeyA fails on a subtree holding a
// key the user cannot read; a doubled backslash in a path is folded into one;
// HKEY_LOCAL_MACHINE is writable. The system's handle list counts registry
// keys, so handle leaks are visible.
#include "clean/ProtectedStorageCleaner.h"

#include <windows.h>
#include <sddl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "platform/Seams.h"
#include "tests/unit/CleanerTestSupport.h"
#include "tests/unit/ResourceCensus.h"

using cleanertest::SetSecurity;
using platform::UniqueHeapBlock;
using platform::UniqueHKey;
using platform::seam::ScopedOverride;

namespace {

const std::string kPrefix = "Software\\Microsoft\\Protected Storage System Provider\\";
const std::string kGuid = "e161255a-37c3-11d2-bcaa-00c04fd929db";
const std::string kLocalSystem = "S-1-5-18";
// A DACL that grants nobody but LocalSystem anything: only the walk that
// rewrites it first can read or delete such a key.
const char kLockedDacl[] = "D:P(A;;KA;;;SY)";

// ---- the system's own answers, independent of the cleaner ----

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text))
        return "<invalid SID>";
    std::string result = text;
    LocalFree(text);
    return result;
}

std::vector<BYTE> ReadTokenUser() {
    platform::UniqueHandle token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put());
    std::vector<BYTE> info(256);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, info.data(), info.size(), &size);
    return info;
}

std::string UserName() {
    char name[ProtectedStorageCleaner::kTextSize];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

// ---- registry seeding and inspection ----

bool KeyExists(HKEY hive, const std::string& path) {
    // No access asked, so even a key that refuses its owner READ_CONTROL opens.
    UniqueHKey key;
    return RegOpenKeyExA(hive, path.c_str(), 0, 0, key.put()) == ERROR_SUCCESS;
}

void CreateKey(HKEY hive, const std::string& path) {
    UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, key.put(), nullptr))
        << path;
}

std::vector<BYTE> ReadDacl(HKEY hive, const std::string& path) {
    UniqueHKey key;
    DWORD size = 0;
    if (RegOpenKeyExA(hive, path.c_str(), 0, READ_CONTROL, key.put()) != ERROR_SUCCESS ||
        RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size) !=
            ERROR_INSUFFICIENT_BUFFER)
        return {};
    std::vector<BYTE> descriptor(size);
    RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    return descriptor;
}

std::string AceText(BYTE type, BYTE flags, DWORD mask, const std::string& sid) {
    char text[64];
    std::snprintf(text, sizeof text, "(type %u flags %u mask 0x%lX ", type, flags,
                  static_cast<unsigned long>(mask));
    return text + sid + ")";
}

// The entries of a DACL, one "(type flags mask sid)" each, in order.
std::string DaclText(PACL acl) {
    std::string text;
    for (DWORD index = 0; acl && index < acl->AceCount; ++index) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        GetAce(acl, index, reinterpret_cast<void**>(&ace));
        text +=
            AceText(ace->Header.AceType, ace->Header.AceFlags, ace->Mask, SidText(&ace->SidStart));
    }
    return text;
}

std::string KeyDaclText(HKEY hive, const std::string& path) {
    std::vector<BYTE> descriptor = ReadDacl(hive, path);
    if (descriptor.empty())
        return "<unreadable>";
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted);
    return present ? DaclText(acl) : "<no DACL>";
}

// What the cleaner writes: full control for the user, then for LocalSystem,
// both inherited by subkeys and values.
std::string UnlockedDaclText(const std::string& userSid) {
    return AceText(0, 3, 0xF003F, userSid) + AceText(0, 3, 0xF003F, kLocalSystem);
}

// Removes a seeded tree whatever DACL a test left on it: the owner may always
// rewrite a DACL, and the seeded DACLs that deny the owner grant WRITE_DAC.
void ForceDelete(HKEY hive, const std::string& path) {
    if (!KeyExists(hive, path))
        return;
    SetSecurity(hive, path, "D:(A;;KA;;;WD)");
    std::vector<std::string> children;
    {
        UniqueHKey key;
        RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ, key.put());
        char name[MAX_PATH];
        for (DWORD index = 0; RegEnumKeyA(key.get(), index, name, sizeof name) == 0; ++index)
            children.push_back(name);
    }
    for (const std::string& child : children)
        ForceDelete(hive, path + "\\" + child);
    RegDeleteKeyA(hive, path.c_str());
}

// ---- resource census: handles are listed by the system, heap blocks walked ----

struct Census {
    int handles = census::CountOwnHandles();
    int heapBlocks = census::CountProcessHeapBlocks();
};

::testing::AssertionResult NothingLeakedSince(const Census& before) {
    Census after;
    if (after.handles == before.handles && after.heapBlocks == before.heapBlocks)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "handles " << before.handles << " -> " << after.handles << ", process-heap blocks "
           << before.heapBlocks << " -> " << after.heapBlocks;
}

// ---- seam replacements ----

struct VersionAnswer {
    bool acceptExtended;
    bool acceptPlain;
    DWORD platformId;
    DWORD major;
};
VersionAnswer g_version;
std::vector<DWORD> g_versionSizes;

BOOL WINAPI FakeGetVersionExA(LPOSVERSIONINFOA info) {
    const DWORD size = info->dwOSVersionInfoSize;
    g_versionSizes.push_back(size);
    if (!(size == 156 ? g_version.acceptExtended : size == 148 && g_version.acceptPlain)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwPlatformId = g_version.platformId;
    info->dwMajorVersion = g_version.major;
    return TRUE;
}

// Failure that still leaves the real name in the buffer, as a short buffer might.
BOOL WINAPI GetUserNameLeavingNameButFailing(LPSTR buffer, LPDWORD size) {
    lstrcpynA(buffer, UserName().c_str(), *size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
}
BOOL WINAPI GetUserNameFailing(LPSTR, LPDWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
BOOL WINAPI GetUserNameEmpty(LPSTR buffer, LPDWORD size) {
    buffer[0] = '\0';
    *size = 1;
    return TRUE;
}

BOOL WINAPI OpenProcessTokenFailing(HANDLE, DWORD, PHANDLE) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// Fails the allocation after g_allocationsAllowed successful ones.
int g_allocationsAllowed;
bool g_allocationFailed;
LPVOID WINAPI HeapAllocRunningOut(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (g_allocationsAllowed-- > 0)
        return ::HeapAlloc(heap, flags, bytes);
    g_allocationFailed = true;
    return nullptr;
}

class ProtectedStorageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // One run with nothing to find lets the system make its lazy,
        // process-long allocations before any census is taken.
        ProtectedStorageCleaner().Clean();
    }

    void SetUp() override {
        auto* user = reinterpret_cast<TOKEN_USER*>(m_tokenUser.data());
        m_userSid = user->User.Sid;
        m_sidKey = kPrefix + SidText(m_userSid);
        m_dataKey = m_sidKey + "\\Data";
        m_guidKey = m_dataKey + "\\" + kGuid;
        m_machineKey = kPrefix + UserName() + "\\Data\\" + kGuid;
        for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            m_prefixExisted.push_back(KeyExists(hive, kPrefix));
        RemoveSeededKeys();
    }

    void TearDown() override {
        RemoveSeededKeys();
        const HKEY hives[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
        for (int index = 0; index < 2; ++index)
            if (!m_prefixExisted[index])
                RegDeleteKeyA(hives[index], kPrefix.c_str());
    }

    void RemoveSeededKeys() {
        ForceDelete(HKEY_CURRENT_USER, m_sidKey);
        ForceDelete(HKEY_LOCAL_MACHINE, kPrefix + UserName());
        ForceDelete(HKEY_LOCAL_MACHINE, kPrefix + "Data");
    }

    // The SID key with a DACL of its own, "Data", and a store three levels
    // deep. A locked store refuses the user reading and listing in every
    // key, so it can be deleted only after all its DACLs were rewritten; an
    // open one can be deleted at any time.
    void SeedUserStore(bool locked = true) {
        CreateKey(HKEY_CURRENT_USER, m_dataKey);
        SetSecurity(HKEY_CURRENT_USER, m_sidKey, DistinctiveDacl());
        SetSecurity(HKEY_CURRENT_USER, m_dataKey, "D:(A;;KA;;;BA)(A;;KR;;;WD)");
        for (const std::string& path : StoreKeys())
            CreateKey(HKEY_CURRENT_USER, path);
        if (!locked)
            return;
        for (const std::string& path : StoreKeys())
            SetSecurity(HKEY_CURRENT_USER, path, kLockedDacl);
    }

    std::vector<std::string> StoreKeys() const {
        return {m_guidKey,
                m_guidKey + "\\site1",
                m_guidKey + "\\site1\\form1",
                m_guidKey + "\\site1\\form1\\field1",
                m_guidKey + "\\site1\\form2",
                m_guidKey + "\\site2"};
    }

    std::string DistinctiveDacl() const {
        return "D:P(A;;KA;;;" + SidText(m_userSid) + ")(A;CI;KR;;;BU)(A;;0x1;;;WD)";
    }

    void SeedMachineStore() { CreateKey(HKEY_LOCAL_MACHINE, m_machineKey + "\\site1"); }

    std::string UnlockedDacl() const { return UnlockedDaclText(SidText(m_userSid)); }

    std::vector<BYTE> m_tokenUser = ReadTokenUser();
    PSID m_userSid = nullptr;
    std::string m_sidKey, m_dataKey, m_guidKey, m_machineKey;
    std::vector<bool> m_prefixExisted;
};

TEST_F(ProtectedStorageTest, HandleCensusCountsOpenRegistryKeys) {
    const int before = census::CountOwnHandles();
    ASSERT_GT(before, 0) << "the system handle list is needed to see handle leaks";
    UniqueHKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, key.put()));
    EXPECT_EQ(before + 1, census::CountOwnHandles());
}

TEST_F(ProtectedStorageTest, UserSidIsTheTokenUserAndItsTextIsTheSystemForm) {
    ProtectedStorageCleaner cleaner;
    UniqueHeapBlock sid;
    ASSERT_TRUE(cleaner.GetCurrentUserSid(sid));
    EXPECT_TRUE(EqualSid(sid.get(), m_userSid));
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, sid.get()), GetLengthSid(m_userSid));

    char text[ProtectedStorageCleaner::kTextSize];
    cleaner.SidToString(sid.get(), text);
    EXPECT_EQ(SidText(m_userSid), text);

    // A domain account (sub-authorities above 2^31 must stay unsigned),
    // LocalSystem and a builtin group.
    const char* const others[] = {"S-1-5-21-3623811015-3361044348-30300820-1001", "S-1-5-18",
                                  "S-1-5-32-544"};
    for (const char* expected : others) {
        PSID other = nullptr;
        ASSERT_TRUE(ConvertStringSidToSidA(expected, &other)) << expected;
        cleaner.SidToString(other, text);
        EXPECT_EQ(SidText(other), text);
        EXPECT_STREQ(expected, text);
        LocalFree(other);
    }
}

TEST_F(ProtectedStorageTest, NewDaclGrantsFullControlToUserThenLocalSystem) {
    ProtectedStorageCleaner cleaner;
    SECURITY_DESCRIPTOR descriptor;
    UniqueHeapBlock acl;
    ASSERT_TRUE(cleaner.BuildDacl(m_userSid, &descriptor, acl));

    auto* list = static_cast<PACL>(acl.get());
    EXPECT_EQ(ACL_REVISION, list->AclRevision);
    EXPECT_EQ(GetLengthSid(m_userSid) + 12 + 24, list->AclSize) << "user SID + LocalSystem + 24";
    EXPECT_EQ(UnlockedDacl(), DaclText(list));

    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(&descriptor, &control, &revision);
    EXPECT_EQ(SECURITY_DESCRIPTOR_REVISION, revision);
    EXPECT_EQ(SE_DACL_PRESENT, control) << "only a DACL, present and not defaulted";
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(&descriptor, &present, &dacl, &defaulted);
    EXPECT_EQ(list, dacl);
    PSID owner = nullptr;
    GetSecurityDescriptorOwner(&descriptor, &owner, &defaulted);
    EXPECT_EQ(nullptr, owner);
}

TEST_F(ProtectedStorageTest, BuildDaclHandsOutTheAclEvenWhenItFailsLater) {
    ProtectedStorageCleaner cleaner;
    ScopedOverride heap(platform::seam::HeapAlloc, &HeapAllocRunningOut);
    for (int allowed = 0;; ++allowed) {
        g_allocationsAllowed = allowed;
        g_allocationFailed = false;
        const Census before;
        SECURITY_DESCRIPTOR descriptor;
        UniqueHeapBlock acl;
        const bool built = cleaner.BuildDacl(m_userSid, &descriptor, acl);
        if (!g_allocationFailed) {
            EXPECT_TRUE(built);
            EXPECT_GE(allowed, 3) << "the ACL and one block per entry";
            break;
        }
        EXPECT_FALSE(built) << "after " << allowed << " allocations";
        EXPECT_EQ(allowed > 0, static_cast<bool>(acl)) << "after " << allowed << " allocations";
        acl.reset();
        EXPECT_TRUE(NothingLeakedSince(before)) << "after " << allowed << " allocations";
    }
}

TEST_F(ProtectedStorageTest, KeyDaclsAreReadAndWrittenWholeTreesDeep) {
    SeedUserStore();
    for (const std::string& path : StoreKeys()) {
        UniqueHKey key;
        ASSERT_EQ(ERROR_ACCESS_DENIED,
                  RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()))
            << path << " must refuse listing for the walk to be tested";
    }
    ProtectedStorageCleaner cleaner;
    std::unique_ptr<BYTE[]> former;
    ASSERT_TRUE(cleaner.GetKeyDacl(HKEY_CURRENT_USER, m_sidKey.c_str(), former));
    ASSERT_TRUE(former);
    const std::vector<BYTE> expected = ReadDacl(HKEY_CURRENT_USER, m_sidKey);
    EXPECT_EQ(expected, std::vector<BYTE>(former.get(), former.get() + expected.size()));
    EXPECT_FALSE(cleaner.GetKeyDacl(HKEY_CURRENT_USER, (m_sidKey + "\\missing").c_str(), former));
    EXPECT_EQ(nullptr, former.get());

    SECURITY_DESCRIPTOR descriptor;
    UniqueHeapBlock acl;
    ASSERT_TRUE(cleaner.BuildDacl(m_userSid, &descriptor, acl));
    EXPECT_FALSE(cleaner.SetKeyDacl(HKEY_CURRENT_USER, nullptr, &descriptor, 1));
    EXPECT_FALSE(
        cleaner.SetKeyDacl(HKEY_CURRENT_USER, (m_guidKey + "\\x").c_str(), &descriptor, 1));

    // Without recursion only the named key changes.
    const std::string site2 = m_guidKey + "\\site2";
    EXPECT_TRUE(cleaner.SetKeyDacl(HKEY_CURRENT_USER, m_guidKey.c_str(), &descriptor, 0));
    EXPECT_EQ(UnlockedDacl(), KeyDaclText(HKEY_CURRENT_USER, m_guidKey));
    EXPECT_EQ(AceText(0, 0, KEY_ALL_ACCESS, kLocalSystem), KeyDaclText(HKEY_CURRENT_USER, site2));

    SetSecurity(HKEY_CURRENT_USER, m_guidKey, kLockedDacl);
    EXPECT_TRUE(cleaner.SetKeyDacl(HKEY_CURRENT_USER, m_guidKey.c_str(), &descriptor, 1));
    for (const std::string& path : StoreKeys())
        EXPECT_EQ(UnlockedDacl(), KeyDaclText(HKEY_CURRENT_USER, path)) << path;
}

TEST_F(ProtectedStorageTest, CleanDeletesLockedStoreAndPutsSidKeyDaclBack) {
    SeedUserStore();
    SeedMachineStore();
    const std::vector<BYTE> sidKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_sidKey);
    const Census before;

    ProtectedStorageCleaner().Clean();

    EXPECT_TRUE(NothingLeakedSince(before));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, m_guidKey));
    EXPECT_EQ(sidKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_sidKey)) << "SID key's DACL restored";
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, m_dataKey));
    EXPECT_EQ(UnlockedDacl(), KeyDaclText(HKEY_CURRENT_USER, m_dataKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_machineKey)) << "machine hive is not this branch";
}

TEST_F(ProtectedStorageTest, CleanWithoutStoreOpensDataKeyAndPutsSidKeyDaclBack) {
    CreateKey(HKEY_CURRENT_USER, m_dataKey);
    SetSecurity(HKEY_CURRENT_USER, m_sidKey, DistinctiveDacl());
    const std::vector<BYTE> sidKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_sidKey);
    const Census before;

    ProtectedStorageCleaner().Clean();

    EXPECT_TRUE(NothingLeakedSince(before));
    EXPECT_EQ(sidKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_sidKey));
    EXPECT_EQ(UnlockedDacl(), KeyDaclText(HKEY_CURRENT_USER, m_dataKey));
}

TEST_F(ProtectedStorageTest, CleanWithUnreadableSidKeyDaclDeletesStoreAndRestoresNothing) {
    SeedUserStore();
    // Owned by LocalSystem and granting the user everything but READ_CONTROL:
    // its DACL cannot be read, but it can be rewritten.
    SetSecurity(HKEY_CURRENT_USER, m_sidKey, "O:SYD:P(A;;0xD003F;;;" + SidText(m_userSid) + ")",
                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(ReadDacl(HKEY_CURRENT_USER, m_sidKey).empty());
    const Census before;

    ProtectedStorageCleaner().Clean();

    EXPECT_TRUE(NothingLeakedSince(before));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, m_guidKey));
    EXPECT_EQ(UnlockedDacl(), KeyDaclText(HKEY_CURRENT_USER, m_sidKey)) << "nothing put back";
}

struct BranchCase {
    VersionAnswer version;
    bool ntFamily;
};

TEST_F(ProtectedStorageTest, PlatformFamilyComesFromExtendedThenPlainVersionQuery) {
    ScopedOverride version(platform::seam::GetVersionExA, &FakeGetVersionExA);
    struct Case {
        VersionAnswer version;
        bool nt5OrLater, nt4OrEarlier;
        std::vector<DWORD> sizes;
    };
    const Case cases[] = {
        {{true, true, VER_PLATFORM_WIN32_NT, 6}, true, false, {156}},
        {{true, true, VER_PLATFORM_WIN32_NT, 5}, true, false, {156}},
        {{true, true, VER_PLATFORM_WIN32_NT, 4}, false, true, {156}},
        {{false, true, VER_PLATFORM_WIN32_NT, 4}, false, true, {156, 148}},
        {{false, true, VER_PLATFORM_WIN32_NT, 3}, false, true, {156, 148}},
        {{true, true, VER_PLATFORM_WIN32_WINDOWS, 4}, false, false, {156}},
        {{false, false, VER_PLATFORM_WIN32_NT, 5}, false, false, {156, 148}},
    };
    ProtectedStorageCleaner cleaner;
    for (const Case& c : cases) {
        g_version = c.version;
        g_versionSizes.clear();
        EXPECT_EQ(c.nt5OrLater, cleaner.IsWindowsNT5OrLater()) << "major " << c.version.major;
        EXPECT_EQ(c.sizes, g_versionSizes);
        g_versionSizes.clear();
        EXPECT_EQ(c.nt4OrEarlier, cleaner.IsWindowsNT4OrEarlier()) << "major " << c.version.major;
        EXPECT_EQ(c.sizes, g_versionSizes);
    }
}

TEST_F(ProtectedStorageTest, CleanUsesUserHiveOnNtFamilyAndMachineHiveElsewhere) {
    ScopedOverride version(platform::seam::GetVersionExA, &FakeGetVersionExA);
    const BranchCase cases[] = {
        {{true, true, VER_PLATFORM_WIN32_NT, 5}, true},
        {{true, true, VER_PLATFORM_WIN32_NT, 4}, true},
        {{false, true, VER_PLATFORM_WIN32_NT, 4}, true},
        {{true, true, VER_PLATFORM_WIN32_WINDOWS, 4}, false},
        {{false, false, VER_PLATFORM_WIN32_NT, 6}, false},
    };
    for (const BranchCase& c : cases) {
        SCOPED_TRACE("platform " + std::to_string(c.version.platformId) + " major " +
                     std::to_string(c.version.major) +
                     (c.version.acceptExtended ? "" : ", extended size refused") +
                     (c.version.acceptPlain ? "" : ", plain size refused"));
        SeedUserStore();
        SeedMachineStore();
        const std::vector<BYTE> sidKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_sidKey);
        const std::vector<BYTE> dataKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_dataKey);
        g_version = c.version;

        ProtectedStorageCleaner().Clean();

        EXPECT_EQ(c.ntFamily, !KeyExists(HKEY_CURRENT_USER, m_guidKey));
        EXPECT_EQ(!c.ntFamily, !KeyExists(HKEY_LOCAL_MACHINE, m_machineKey));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPrefix + UserName() + "\\Data"));
        if (!c.ntFamily) {
            EXPECT_EQ(sidKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_sidKey));
            EXPECT_EQ(dataKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_dataKey));
            EXPECT_EQ(AceText(0, 0, KEY_ALL_ACCESS, kLocalSystem),
                      KeyDaclText(HKEY_CURRENT_USER, m_guidKey));
        }
        RemoveSeededKeys();
    }
}

TEST_F(ProtectedStorageTest, OtherPlatformDeletesNothingWithoutUserName) {
    ScopedOverride version(platform::seam::GetVersionExA, &FakeGetVersionExA);
    g_version = {false, false, 0, 0};
    // Where an empty name would lead once the doubled backslash is folded.
    const std::string nameless = kPrefix + "Data\\" + kGuid;
    using GetUserNameFunction = decltype(platform::seam::GetUserNameA);
    const GetUserNameFunction answers[] = {&GetUserNameLeavingNameButFailing, &GetUserNameFailing,
                                           &GetUserNameEmpty};
    for (GetUserNameFunction answer : answers) {
        ScopedOverride userName(platform::seam::GetUserNameA, answer);
        SeedMachineStore();
        CreateKey(HKEY_LOCAL_MACHINE, nameless);
        const Census before;

        ProtectedStorageCleaner().Clean();

        EXPECT_TRUE(NothingLeakedSince(before));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_machineKey));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, nameless));
    }
}

TEST_F(ProtectedStorageTest, CleanChangesNothingWithoutTheUserSid) {
    SeedUserStore(false);
    const std::vector<BYTE> sidKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_sidKey);
    const std::vector<BYTE> dataKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_dataKey);
    ScopedOverride token(platform::seam::OpenProcessToken, &OpenProcessTokenFailing);
    const Census before;

    ProtectedStorageCleaner().Clean();

    EXPECT_TRUE(NothingLeakedSince(before));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, m_guidKey));
    EXPECT_EQ(sidKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_sidKey));
    EXPECT_EQ(dataKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_dataKey));
}

TEST_F(ProtectedStorageTest, CleanChangesNothingWhenMemoryRunsOut) {
    SeedUserStore(false);
    const std::vector<BYTE> sidKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_sidKey);
    const std::vector<BYTE> dataKeyDacl = ReadDacl(HKEY_CURRENT_USER, m_dataKey);
    ScopedOverride heap(platform::seam::HeapAlloc, &HeapAllocRunningOut);
    int failurePoints = 0;
    for (int allowed = 0;; ++allowed, ++failurePoints) {
        g_allocationsAllowed = allowed;
        g_allocationFailed = false;
        const Census before;

        ProtectedStorageCleaner().Clean();

        const ::testing::AssertionResult leaks = NothingLeakedSince(before);
        if (!g_allocationFailed)
            break;
        SCOPED_TRACE("failing after " + std::to_string(allowed) + " allocations");
        EXPECT_TRUE(leaks);
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, m_guidKey));
        EXPECT_EQ(sidKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_sidKey));
        EXPECT_EQ(dataKeyDacl, ReadDacl(HKEY_CURRENT_USER, m_dataKey));
    }
    // Token information, SID copy, ACL and one block per entry.
    EXPECT_GE(failurePoints, 5);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, m_guidKey)) << "enough memory: store deleted";
}

} // namespace
