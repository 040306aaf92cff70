#include "platform/Seams.h"

namespace platform::seam {

BOOL(WINAPI* GetVersionExA)(LPOSVERSIONINFOA info) = ::GetVersionExA;
BOOL(WINAPI* GetUserNameA)(LPSTR buffer, LPDWORD size) = ::GetUserNameA;
BOOL(WINAPI* OpenProcessToken)(HANDLE process, DWORD access, PHANDLE token) = ::OpenProcessToken;
LPVOID(WINAPI* HeapAlloc)(HANDLE heap, DWORD flags, SIZE_T bytes) = ::HeapAlloc;
DWORD(WINAPI* GetFinalPathNameByHandleW)
(HANDLE file, LPWSTR path, DWORD size, DWORD flags) = ::GetFinalPathNameByHandleW;

} // namespace platform::seam
