#include "clean/ProtectedStorageCleaner.h"

#include <cstdio>
#include <new>

#include "clean/RegistryVisitor.h"
#include "platform/Seams.h"

namespace {

constexpr char kStorePrefix[] = "Software\\Microsoft\\Protected Storage System Provider\\";
constexpr char kDataKey[] = "\\Data";
constexpr char kAutoCompleteKey[] = "\\e161255a-37c3-11d2-bcaa-00c04fd929db";

// The version query is first asked with the extended structure; platforms
// older than that refuse its size and are asked again with the plain one.
constexpr DWORD kVersionInfoExSize = 156;
constexpr DWORD kVersionInfoSize = 148;
static_assert(sizeof(OSVERSIONINFOEXA) == kVersionInfoExSize, "extended version structure");
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoSize, "plain version structure");
constexpr DWORD kFirstNt5Major = 5;

// An ACCESS_ALLOWED_ACE is its 4-byte header and 4-byte mask, then the SID.
constexpr DWORD kAceFixedSize = 8;
// The ACL header and the fixed parts of its two entries.
constexpr DWORD kAclFixedSize = 8 + 2 * kAceFixedSize;
constexpr BYTE kInheritToAll = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

constexpr DWORD kSubkeyNameSize = 261;

// The longest SID text, "S-1-255" and fifteen "-4294967295", fits the buffer.
static_assert(7 + SID_MAX_SUB_AUTHORITIES * 11 < ProtectedStorageCleaner::kTextSize,
              "SID text buffer");

// Appends an entry granting `sid` full control, inherited by subkeys, at the
// end of `acl`. The entry is composed in its own zero-filled block because
// AddAce copies it.
bool AppendFullControlAce(PACL acl, PSID sid) {
    const DWORD sidLength = GetLengthSid(sid);
    const DWORD aceSize = sidLength + kAceFixedSize;
    platform::UniqueHeapBlock block(
        platform::seam::HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, aceSize));
    if (!block)
        return false;
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(block.get());
    ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
    ace->Header.AceFlags = kInheritToAll;
    ace->Header.AceSize = static_cast<WORD>(aceSize);
    ace->Mask = KEY_ALL_ACCESS;
    if (!CopySid(sidLength, &ace->SidStart, sid))
        return false;
    return AddAce(acl, ACL_REVISION, MAXDWORD, ace, aceSize) != FALSE;
}

} // namespace

void ProtectedStorageCleaner::Clean() {
    RegistryCleaning deleting;
    Clean(deleting);
}

void ProtectedStorageCleaner::Clean(RegistryVisitor& visitor) {
    if (OnNtFamily())
        CleanNtFamily(visitor);
    else
        CleanOtherPlatform(visitor);
}

// When the version cannot be read at all, both answers are false and the
// store is looked for where the older platforms keep it.
bool ProtectedStorageCleaner::OnNtFamily() {
    return IsWindowsNT5OrLater() || IsWindowsNT4OrEarlier();
}

std::string ProtectedStorageCleaner::SidKey(PSID userSid) {
    char sidText[kTextSize];
    SidToString(userSid, sidText);
    return std::string(kStorePrefix) + sidText;
}

void ProtectedStorageCleaner::CleanOtherPlatform(RegistryVisitor& visitor) {
    char userName[kTextSize] = {};
    DWORD size = kTextSize;
    // Without a name the path would lose its user level (the registry folds
    // the doubled backslash) and name another key, so nothing is deleted on a
    // name the system did not return.
    if (!platform::seam::GetUserNameA(userName, &size) || userName[0] == '\0')
        return;
    const std::string path = std::string(kStorePrefix) + userName + kDataKey + kAutoCompleteKey;
    visitor.DeleteTree(HKEY_LOCAL_MACHINE, path);
}

void ProtectedStorageCleaner::CleanNtFamily(RegistryVisitor& visitor) {
    platform::UniqueHeapBlock userSid;
    if (!GetCurrentUserSid(userSid))
        return;
    const std::string sidKey = SidKey(userSid.get());

    // Failing to read it only means there is nothing to put back.
    std::unique_ptr<BYTE[]> formerDescriptor;
    GetKeyDacl(HKEY_CURRENT_USER, sidKey.c_str(), formerDescriptor);
    {
        SECURITY_DESCRIPTOR descriptor;
        // Declared with the descriptor, which points at it, and released
        // with it once the store is gone.
        platform::UniqueHeapBlock acl;
        if (BuildDacl(userSid.get(), &descriptor, acl))
            UnlockAndDeleteStore(sidKey, &descriptor, visitor);
    }
    if (formerDescriptor)
        SetKeyDacl(HKEY_CURRENT_USER, sidKey.c_str(), formerDescriptor.get(), 0, visitor);
}

// Each step is tried whatever the previous one gave: a key on the way that is
// missing or refuses the change does not stop the deletion.
void ProtectedStorageCleaner::UnlockAndDeleteStore(const std::string& sidKey,
                                                   PSECURITY_DESCRIPTOR descriptor,
                                                   RegistryVisitor& visitor) {
    std::string path = sidKey;
    SetKeyDacl(HKEY_CURRENT_USER, path.c_str(), descriptor, 0, visitor);
    path += kDataKey;
    SetKeyDacl(HKEY_CURRENT_USER, path.c_str(), descriptor, 0, visitor);
    path += kAutoCompleteKey;
    SetKeyDacl(HKEY_CURRENT_USER, path.c_str(), descriptor, 1, visitor);
    visitor.DeleteTree(HKEY_CURRENT_USER, path);
}

bool ProtectedStorageCleaner::GetCurrentUserSid(platform::UniqueHeapBlock& sid) {
    sid.reset();
    platform::UniqueHandle token;
    if (!platform::seam::OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return false;
    DWORD size = 0;
    if (GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return false;
    platform::UniqueHeapBlock info(platform::seam::HeapAlloc(GetProcessHeap(), 0, size));
    if (!info || !GetTokenInformation(token.get(), TokenUser, info.get(), size, &size))
        return false;

    PSID userSid = static_cast<TOKEN_USER*>(info.get())->User.Sid;
    const DWORD length = GetLengthSid(userSid);
    platform::UniqueHeapBlock copy(platform::seam::HeapAlloc(GetProcessHeap(), 0, length));
    if (!copy || !CopySid(length, copy.get(), userSid))
        return false;
    sid = std::move(copy);
    return true;
}

// Only the last byte of the identifier authority is written: every account
// SID has authority 5, and for those this is the system's own text form.
void ProtectedStorageCleaner::SidToString(PSID sid, char* text) {
    const BYTE authority = GetSidIdentifierAuthority(sid)->Value[5];
    int length = std::snprintf(text, kTextSize, "S-1-%lu", static_cast<unsigned long>(authority));
    const BYTE count = *GetSidSubAuthorityCount(sid);
    for (BYTE index = 0; index < count; ++index) {
        const DWORD subAuthority = *GetSidSubAuthority(sid, index);
        length += std::snprintf(text + length, kTextSize - length, "-%lu",
                                static_cast<unsigned long>(subAuthority));
    }
}

bool ProtectedStorageCleaner::GetKeyDacl(HKEY hive, const char* path,
                                         std::unique_ptr<BYTE[]>& descriptor) {
    descriptor.reset();
    platform::UniqueHKey key;
    if (RegOpenKeyExA(hive, path, 0, READ_CONTROL, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    const LONG status = RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    if (status != ERROR_INSUFFICIENT_BUFFER)
        return status == ERROR_SUCCESS;
    descriptor.reset(new (std::nothrow) BYTE[size]);
    if (!descriptor)
        return false;
    if (RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.get(), &size) !=
        ERROR_SUCCESS) {
        descriptor.reset();
        return false;
    }
    return true;
}

bool ProtectedStorageCleaner::BuildDacl(PSID userSid, SECURITY_DESCRIPTOR* descriptor,
                                        platform::UniqueHeapBlock& acl) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    platform::UniqueSid systemSid;
    if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0,
                                  systemSid.put()))
        return false;

    const DWORD aclSize = GetLengthSid(userSid) + GetLengthSid(systemSid.get()) + kAclFixedSize;
    acl.reset(platform::seam::HeapAlloc(GetProcessHeap(), 0, aclSize));
    if (!acl)
        return false;
    auto* list = static_cast<PACL>(acl.get());
    if (!InitializeAcl(list, aclSize, ACL_REVISION) || !AppendFullControlAce(list, userSid) ||
        !AppendFullControlAce(list, systemSid.get()))
        return false;

    // Absolute form with the DACL alone: owner, group and SACL stay unset, and
    // only the DACL is ever written to a key.
    return InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(descriptor, TRUE, list, FALSE);
}

bool ProtectedStorageCleaner::SetKeyDacl(HKEY parent, const char* path,
                                         PSECURITY_DESCRIPTOR descriptor, int recurse) {
    RegistryCleaning changing;
    return SetKeyDacl(parent, path, descriptor, recurse, changing);
}

bool ProtectedStorageCleaner::SetKeyDacl(HKEY parent, const char* path,
                                         PSECURITY_DESCRIPTOR descriptor, int recurse,
                                         RegistryVisitor& visitor) {
    if (!path)
        return false;
    {
        // WRITE_DAC alone: a key that denies the user everything else still
        // lets its owner rewrite the DACL.
        platform::UniqueHKey key;
        if (RegOpenKeyExA(parent, path, 0, WRITE_DAC, key.put()) != ERROR_SUCCESS)
            return false;
        if (visitor.SetKeyDacl(key.get(), descriptor) != ERROR_SUCCESS)
            return false;
    }
    if (!recurse)
        return true;
    return SetSubkeyDacls(parent, path, descriptor, visitor);
}

// Reopens the key for listing only now that it carries the new DACL, so a key
// that refused reading before is listed; each subkey gets the DACL before its
// own subkeys are visited.
bool ProtectedStorageCleaner::SetSubkeyDacls(HKEY parent, const char* path,
                                             PSECURITY_DESCRIPTOR descriptor,
                                             RegistryVisitor& visitor) {
    platform::UniqueHKey key;
    if (RegOpenKeyExA(parent, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    DWORD subkeyCount = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeyCount, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::unique_ptr<char[]> name(new (std::nothrow) char[kSubkeyNameSize]);
    if (!name)
        return false;
    for (DWORD index = 0; index < subkeyCount; ++index) {
        const LONG status = RegEnumKeyA(key.get(), index, name.get(), kSubkeyNameSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_SUCCESS)
            SetKeyDacl(key.get(), name.get(), descriptor, 1, visitor);
    }
    return true;
}

bool ProtectedStorageCleaner::ReadVersion(OSVERSIONINFOEXA& info) {
    ZeroMemory(&info, sizeof info);
    info.dwOSVersionInfoSize = kVersionInfoExSize;
    auto* plain = reinterpret_cast<LPOSVERSIONINFOA>(&info);
    if (platform::seam::GetVersionExA(plain))
        return true;
    info.dwOSVersionInfoSize = kVersionInfoSize;
    return platform::seam::GetVersionExA(plain) != FALSE;
}

bool ProtectedStorageCleaner::IsWindowsNT5OrLater() {
    OSVERSIONINFOEXA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           info.dwMajorVersion >= kFirstNt5Major;
}

bool ProtectedStorageCleaner::IsWindowsNT4OrEarlier() {
    OSVERSIONINFOEXA info;
    return ReadVersion(info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           info.dwMajorVersion < kFirstNt5Major;
}
