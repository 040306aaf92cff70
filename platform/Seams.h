// Test seams for the few platform calls whose failures cannot be produced on
// demand on a working system: a version query that fails for both structure
// sizes or reports an older platform, a logon name that cannot be read, a
// process token that cannot be opened, a process heap that is out of memory,
// a handle whose path cannot be read, a write or flush that fails, a registry
// key that another program deletes while it is being listed, a folder swapped
// for a link between its listing and the walk into it, a newer Windows that
// deletes a name at once or leaves its read-only bit alone.
//
// Production code calls these through the pointers below, which start out as
// the real functions, so `platform::seam::GetVersionExA(&info)` still reads as
// that call. A test swaps one of them for the life of a ScopedOverride. Every
// other call goes straight to the platform.
#pragma once

#include <windows.h>
#include <winternl.h>

namespace platform::seam {

extern BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA info);
extern BOOL(WINAPI* GetUserNameA)(LPSTR buffer, LPDWORD size);
extern BOOL(WINAPI* OpenProcessToken)(HANDLE process, DWORD access, PHANDLE token);
extern LPVOID(WINAPI* HeapAlloc)(HANDLE heap, DWORD flags, SIZE_T bytes);
extern NTSTATUS(NTAPI* NtQueryObject)(HANDLE handle, OBJECT_INFORMATION_CLASS kind, PVOID info,
                                      ULONG size, PULONG needed);
extern NTSTATUS(NTAPI* NtSetInformationFile)(HANDLE file, PIO_STATUS_BLOCK status, PVOID info,
                                             ULONG size, FILE_INFORMATION_CLASS kind);
extern NTSTATUS(NTAPI* RtlGetVersion)(PRTL_OSVERSIONINFOW version);
extern BOOL(WINAPI* GetFileInformationByHandleEx)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind,
                                                  LPVOID info, DWORD size);
extern BOOL(WINAPI* WriteFile)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                               LPOVERLAPPED overlapped);
extern BOOL(WINAPI* FlushFileBuffers)(HANDLE file);
extern LONG(WINAPI* RegEnumValueW)(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize,
                                   LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);
extern LONG(WINAPI* RegEnumKeyExW)(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize,
                                   LPDWORD reserved, LPWSTR className, LPDWORD classSize,
                                   PFILETIME written);

// Puts a replacement into one seam and puts the previous function back when
// it goes out of scope, whatever way the test leaves.
template <typename Function> class ScopedOverride {
public:
    ScopedOverride(Function& seam, Function replacement) : m_seam(seam), m_saved(seam) {
        m_seam = replacement;
    }
    ~ScopedOverride() { m_seam = m_saved; }

    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    Function& m_seam;
    Function m_saved;
};

} // namespace platform::seam
