#include "platform/RelativeFile.h"

#include <winternl.h>

namespace platform {

DWORD OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                   ULONG options, UniqueFile& file) {
    file.reset();
    UNICODE_STRING relative;
    relative.Buffer = const_cast<PWSTR>(name.c_str());
    relative.Length = USHORT(name.size() * sizeof(wchar_t));
    relative.MaximumLength = relative.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &relative, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE opened = nullptr;
    const NTSTATUS result =
        NtCreateFile(&opened, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, share,
                     FILE_OPEN, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (!NT_SUCCESS(result))
        return RtlNtStatusToDosError(result);
    file.reset(opened);
    return ERROR_SUCCESS;
}

} // namespace platform
