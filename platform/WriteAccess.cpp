#include "platform/WriteAccess.h"

#include "platform/Handles.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

extern "C" NTSTATUS NTAPI NtQueryKey(HANDLE key, int infoClass, PVOID info, ULONG size,
                                     PULONG needed);

namespace platform {

namespace {

const wchar_t InstallerServiceSid[] =
    L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
const ACCESS_MASK ChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                 FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER |
                                 GENERIC_WRITE | GENERIC_ALL | MAXIMUM_ALLOWED;
const int KeyNameInformation = 3;
const ULONG KeyNameSize = 1024;
const NTSTATUS BufferOverflow = NTSTATUS(0x80000005L);
const NTSTATUS BufferTooSmall = NTSTATUS(0xC0000023L);
const wchar_t UsersHive[] = L"\\REGISTRY\\USER\\";

bool IsTrusted(PSID sid) {
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid))
        return true;
    PSID installer = nullptr;
    if (!ConvertStringSidToSidW(InstallerServiceSid, &installer))
        return false;
    UniqueLocal held(installer);
    return EqualSid(sid, installer) != FALSE;
}

// An entry that grants rights to change, to anyone not trusted. An entry
// only handed down to what the folder will hold later does not count; one
// of a kind that is not understood does.
bool GrantsChange(const ACE_HEADER* header) {
    if (header->AceFlags & INHERIT_ONLY_ACE)
        return false;
    if (header->AceType == ACCESS_DENIED_ACE_TYPE)
        return false;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
        return true;
    const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
    PSID sid = const_cast<DWORD*>(&ace->SidStart);
    return (ace->Mask & ChangeRights) != 0 && !IsTrusted(sid);
}

} // namespace

bool OnlyAdministratorsCanChange(const std::wstring& path) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    UniqueLocal held(descriptor);
    // No access list at all lets everyone do everything.
    if (!owner || !IsTrusted(owner) || !dacl)
        return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace) || GrantsChange(static_cast<const ACE_HEADER*>(ace)))
            return false;
    }
    return true;
}

std::wstring RegistryKeyName(HKEY key) {
    std::vector<BYTE> buffer(KeyNameSize);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQueryKey(key, KeyNameInformation, buffer.data(), ULONG(buffer.size()),
                                &needed)) == BufferOverflow ||
           status == BufferTooSmall) {
        if (needed <= buffer.size())
            return std::wstring();
        buffer.resize(needed);
    }
    if (!NT_SUCCESS(status))
        return std::wstring();
    const ULONG length = *reinterpret_cast<const ULONG*>(buffer.data());
    const wchar_t* name = reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG));
    return std::wstring(name, std::min<size_t>(length / sizeof(wchar_t),
                                               (buffer.size() - sizeof(ULONG)) / sizeof(wchar_t)));
}

std::wstring CurrentUserHiveName() {
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return std::wstring();
    std::vector<BYTE> user(SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER));
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenUser, user.data(), DWORD(user.size()), &size))
        return std::wstring();
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        return std::wstring();
    UniqueLocal held(text);
    return UsersHive + std::wstring(text);
}

} // namespace platform
