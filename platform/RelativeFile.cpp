#include "platform/RelativeFile.h"

#include "platform/Seams.h"

#include <winternl.h>

#include <vector>

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

namespace {

// NtQueryObject's answers when the buffer is too small for the name.
const NTSTATUS NameBufferOverflow = NTSTATUS(0x80000005L);
const NTSTATUS NameLengthMismatch = NTSTATUS(0xC0000004L);
// A name grows no longer than this (bytes, UNICODE_STRING's limit) plus its header.
const ULONG LongestName = 0xFFFF;

} // namespace

DWORD OpenedPath(HANDLE file, size_t guess, std::wstring& path) {
    path.clear();
    ULONG size = ULONG(sizeof(OBJECT_NAME_INFORMATION) + (guess + 1) * sizeof(wchar_t));
    for (;;) {
        std::vector<BYTE> buffer(size);
        ULONG needed = 0;
        const NTSTATUS result = platform::seam::NtQueryObject(file, ObjectNameInformation,
                                                              buffer.data(), size, &needed);
        if ((result == NameBufferOverflow || result == NameLengthMismatch) && needed > size &&
            needed <= sizeof(OBJECT_NAME_INFORMATION) + LongestName) {
            size = needed;
            continue;
        }
        if (!NT_SUCCESS(result))
            return RtlNtStatusToDosError(result);
        const auto* name = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data());
        path.assign(name->Name.Buffer, name->Name.Length / sizeof(wchar_t));
        return path.empty() ? ERROR_INVALID_NAME : ERROR_SUCCESS;
    }
}

DWORD QueryIdentity(HANDLE entry, EntryIdentity& identity) {
    IO_STATUS_BLOCK status;
    FILE_BASIC_INFORMATION basic;
    NTSTATUS result =
        NtQueryInformationFile(entry, &status, &basic, sizeof basic, FileBasicInformation);
    FILE_INTERNAL_INFORMATION internal;
    if (NT_SUCCESS(result))
        result = NtQueryInformationFile(entry, &status, &internal, sizeof internal,
                                        FileInternalInformation);
    if (!NT_SUCCESS(result))
        return RtlNtStatusToDosError(result);
    identity = {basic.FileAttributes, internal.IndexNumber.QuadPart};
    return ERROR_SUCCESS;
}

} // namespace platform
