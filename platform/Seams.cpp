#include "platform/Seams.h"

// In ntdll since Windows 2000; the MinGW headers leave it to the driver kit's.
extern "C" NTSYSAPI NTSTATUS NTAPI RtlGetVersion(PRTL_OSVERSIONINFOW version);

namespace platform::seam {

BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA info) = ::GetVersionExA;
BOOL(WINAPI* GetUserNameA)(LPSTR buffer, LPDWORD size) = ::GetUserNameA;
BOOL(WINAPI* OpenProcessToken)(HANDLE process, DWORD access, PHANDLE token) = ::OpenProcessToken;
LPVOID(WINAPI* HeapAlloc)(HANDLE heap, DWORD flags, SIZE_T bytes) = ::HeapAlloc;
NTSTATUS(NTAPI* NtQueryObject)
(HANDLE handle, OBJECT_INFORMATION_CLASS kind, PVOID info, ULONG size,
 PULONG needed) = ::NtQueryObject;
NTSTATUS(NTAPI* NtSetInformationFile)
(HANDLE file, PIO_STATUS_BLOCK status, PVOID info, ULONG size,
 FILE_INFORMATION_CLASS kind) = ::NtSetInformationFile;
NTSTATUS(NTAPI* RtlGetVersion)(PRTL_OSVERSIONINFOW version) = ::RtlGetVersion;
BOOL(WINAPI* GetFileInformationByHandleEx)
(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
 DWORD size) = ::GetFileInformationByHandleEx;
BOOL(WINAPI* WriteFile)
(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) = ::WriteFile;
BOOL(WINAPI* FlushFileBuffers)(HANDLE file) = ::FlushFileBuffers;
LONG(WINAPI* RegEnumValueW)
(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type, LPBYTE data,
 LPDWORD dataSize) = ::RegEnumValueW;
LONG(WINAPI* RegEnumKeyExW)
(HKEY key, DWORD index, LPWSTR name, LPDWORD nameSize, LPDWORD reserved, LPWSTR className,
 LPDWORD classSize, PFILETIME written) = ::RegEnumKeyExW;

} // namespace platform::seam
