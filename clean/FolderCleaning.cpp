// The visitor that makes a walk's changes: the deletion marks, the read-only
// bit and the index files' wipe.
#include "clean/FolderVisitor.h"

#include "clean/IndexWipe.h"
#include "platform/Seams.h"

#include <algorithm>
#include <iterator>

namespace {

// The deletion mark that names its flags (Windows 10 1607 and later).
const FILE_INFORMATION_CLASS FileDispositionInformationEx = FILE_INFORMATION_CLASS(64);
const ULONG DispositionDelete = 0x1;
// The name goes at once, while other programs still hold the file open.
const ULONG DispositionPosixSemantics = 0x2;
// The read-only bit does not stop the deletion (Windows 10 1809 and later).
const ULONG DispositionIgnoreReadOnly = 0x10;
// What a platform answers for a class or flag it does not offer: Wine 8 and
// Windows before 10 1607 the first two, a file system without it the others.
const NTSTATUS NotOffered[] = {NTSTATUS(0xC0000002L), NTSTATUS(0xC0000003L), NTSTATUS(0xC000000DL),
                               NTSTATUS(0xC00000BBL)};
// A read-only file, or one mapped as a running program or loaded DLL (under
// Wine, mapped at all); Win32 calls both "access denied".
const NTSTATUS CannotDelete = NTSTATUS(0xC0000121L);

NTSTATUS Mark(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition = {TRUE};
    IO_STATUS_BLOCK io;
    return platform::seam::NtSetInformationFile(handle, &io, &disposition, sizeof disposition,
                                                FileDispositionInformation);
}

NTSTATUS MarkWith(HANDLE handle, ULONG flags) {
    IO_STATUS_BLOCK io;
    return platform::seam::NtSetInformationFile(handle, &io, &flags, sizeof flags,
                                                FileDispositionInformationEx);
}

// An entry that stays, with the reason left for GetLastError.
CleanStatus Stays(DWORD error) {
    SetLastError(error);
    return StatusOf(CleanItemKind::File, error);
}

CleanStatus Outcome(NTSTATUS status) {
    return NT_SUCCESS(status) ? CleanStatus::Gone : Stays(RtlNtStatusToDosError(status));
}

// Marks the entry open as `entry.handle` for deletion, which happens as the
// handle closes; without a handle, answers why there is none.
CleanStatus MarkForDeletion(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return Stays(entry.error);
    return Outcome(Mark(entry.handle));
}

// A file that is not read-only refuses its mark while it is mapped: in use.
CleanStatus FileOutcome(HANDLE file, NTSTATUS status) {
    FILE_BASIC_INFO basic;
    if (status == CannotDelete &&
        GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) &&
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return Stays(ERROR_USER_MAPPED_FILE);
    return Outcome(status);
}

bool Offered(NTSTATUS status) {
    return std::find(std::begin(NotOffered), std::end(NotOffered), status) == std::end(NotOffered);
}

// A file others hold, sharing its deletion, loses its name at once where the
// platform offers it; elsewhere the name stays until they close the file,
// which then goes: in use until then.
CleanStatus MarkFile(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return Stays(entry.error);
    if (!entry.heldByOthers && !entry.keepsReadOnly)
        return FileOutcome(entry.handle, Mark(entry.handle));
    const ULONG flags = DispositionDelete | (entry.heldByOthers ? DispositionPosixSemantics : 0) |
                        (entry.keepsReadOnly ? DispositionIgnoreReadOnly : 0);
    const NTSTATUS status = MarkWith(entry.handle, flags);
    if (entry.keepsReadOnly || Offered(status))
        return FileOutcome(entry.handle, status);
    const NTSTATUS marked = Mark(entry.handle);
    return NT_SUCCESS(marked) ? Stays(ERROR_SHARING_VIOLATION) : FileOutcome(entry.handle, marked);
}

} // namespace

void FolderCleaning::ClearReadOnly(const FolderEntry& entry, DWORD attributes) {
    FILE_BASIC_INFO change = {}; // times of zero stay as they are
    const DWORD cleared = attributes & ~FILE_ATTRIBUTE_READONLY;
    // Attributes of zero would also mean "unchanged".
    change.FileAttributes = cleared != 0 ? cleared : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(entry.handle, FileBasicInfo, &change, sizeof change);
}

CleanStatus FolderCleaning::WipeIndexFile(const FolderEntry& entry) {
    if (entry.handle == INVALID_HANDLE_VALUE)
        return StatusOf(CleanItemKind::IndexFile, entry.error);
    return StatusOf(CleanItemKind::IndexFile, ZeroAfterHeader(entry.handle, entry.bytes).error);
}

CleanStatus FolderCleaning::RemoveFile(const FolderEntry& entry) {
    return MarkFile(entry);
}

CleanStatus FolderCleaning::RemoveFolderLink(const FolderEntry& entry) {
    return MarkForDeletion(entry);
}

// The folder goes when its handle closes, as the walk leaves it.
CleanStatus FolderCleaning::RemoveFolder(const FolderEntry& entry, FolderState) {
    return MarkForDeletion(entry);
}
