// Deletes the browser's auto-complete store from the protected-storage area
// of the registry. On the NT family the keys on the way may deny the user
// access, so their DACLs are first opened up to the user and LocalSystem.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/Handles.h"

class RegistryVisitor;

class ProtectedStorageCleaner {
public:
    // Size of the buffer that receives the SID text or the logon name.
    static constexpr DWORD kTextSize = 260;

    void Clean();
    // The same clean with its DACL changes and its deletion made or noted by
    // `visitor`: a preview changes no DACL, so a key that denies reading is
    // noted as it stands.
    void Clean(RegistryVisitor& visitor);

    // On success `sid` owns a process-heap copy of the SID of the user who
    // runs this process; on failure it holds nothing.
    bool GetCurrentUserSid(platform::UniqueHeapBlock& sid);
    // Writes "S-1-<authority>-<sub>-..." into `text`, which holds kTextSize bytes.
    void SidToString(PSID sid, char* text);
    // On success `descriptor` owns the key's self-relative descriptor with its
    // DACL; on failure it holds nothing.
    bool GetKeyDacl(HKEY hive, const char* path, std::unique_ptr<BYTE[]>& descriptor);
    // Fills `descriptor` with a DACL granting the user and LocalSystem full
    // control. `acl` receives the ACL as soon as it is allocated, so the
    // caller releases it whether the build succeeds or not.
    bool BuildDacl(PSID userSid, SECURITY_DESCRIPTOR* descriptor, platform::UniqueHeapBlock& acl);
    bool SetKeyDacl(HKEY parent, const char* path, PSECURITY_DESCRIPTOR descriptor, int recurse);
    bool SetKeyDacl(HKEY parent, const char* path, PSECURITY_DESCRIPTOR descriptor, int recurse,
                    RegistryVisitor& visitor);
    bool IsWindowsNT4OrEarlier();
    bool IsWindowsNT5OrLater();

private:
    bool OnNtFamily();
    void CleanNtFamily(RegistryVisitor& visitor);
    void CleanOtherPlatform(RegistryVisitor& visitor);
    // "<prefix><SID text>": the user's key in the protected-storage area.
    std::string SidKey(PSID userSid);
    void UnlockAndDeleteStore(const std::string& sidKey, PSECURITY_DESCRIPTOR descriptor,
                              RegistryVisitor& visitor);
    bool SetSubkeyDacls(HKEY parent, const char* path, PSECURITY_DESCRIPTOR descriptor,
                        RegistryVisitor& visitor);
    bool ReadVersion(OSVERSIONINFOEXA& info);
};
