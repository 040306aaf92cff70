#include "clean/DatabaseCopy.h"

#include "clean/CleanReport.h"
#include "clean/WidePath.h"
#include "platform/Handles.h"

#include <vector>

namespace {

const wchar_t FolderPrefix[] = L"Quenby-copy-";
const wchar_t CopyName[] = L"copy.sqlite";
const wchar_t WriteAheadLog[] = L"-wal";
const wchar_t Journal[] = L"-journal";
const wchar_t SharedIndex[] = L"-shm";
// The logs a reader of the database needs; the shared-memory index is not
// one of them (SQLite builds it anew from the log).
const wchar_t* const Logs[] = {WriteAheadLog, Journal};
// Everything SQLite may leave beside the copy.
const wchar_t* const Beside[] = {WriteAheadLog, Journal, SharedIndex};
const DWORD ChunkSize = 1 << 16;
// Folders of an earlier run of this process id that was cut short stay;
// the next free name is taken, a few hundred at most.
const unsigned FolderAttempts = 256;
const DWORD AllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const wchar_t CopyFailed[] = L"the database cannot be copied into the temporary folder to be read";

// A new, empty folder of ours in the temporary folder.
DWORD MakeFolder(std::wstring& folder) {
    static unsigned next = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return ERROR_PATH_NOT_FOUND;
    const std::wstring start =
        std::wstring(temp) + FolderPrefix + DecimalText(GetCurrentProcessId()) + L"-";
    for (unsigned attempt = 0; attempt < FolderAttempts; ++attempt) {
        folder = start + DecimalText(next++);
        if (CreateDirectoryW(WidePath::ForApi(folder).c_str(), nullptr))
            return ERROR_SUCCESS;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    const DWORD error = GetLastError();
    folder.clear();
    return error;
}

// Copies the file at `from` into the new file `to`. `from` is only read, and
// opened with every sharing, so that a program holding it is not disturbed.
DWORD CopyBytes(const std::wstring& from, const std::wstring& to) {
    platform::UniqueFile source(CreateFileW(WidePath::ForApi(from).c_str(), GENERIC_READ,
                                            AllSharing, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source)
        return GetLastError();
    platform::UniqueFile target(CreateFileW(WidePath::ForApi(to).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!target)
        return GetLastError();
    std::vector<char> chunk(ChunkSize);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(source.get(), chunk.data(), ChunkSize, &read, nullptr))
            return GetLastError();
        if (read == 0)
            return ERROR_SUCCESS;
        if (!WriteFile(target.get(), chunk.data(), read, &written, nullptr))
            return GetLastError();
    }
}

database::Failure FailureOf(DWORD error) {
    return database::Failure{error, CopyFailed};
}

} // namespace

// The logs are copied before the file: should a checkpoint or a commit run in
// between, SQLite still brings the copy to a state the database had (the log
// applied again, or the journal rolled back), where a file copied first could
// miss pages that the log held when the file was read.
database::Failure DatabaseCopy::Open(const std::wstring& path) {
    Close();
    if (DWORD error = MakeFolder(m_folder))
        return FailureOf(error);
    const std::wstring copy = WidePath::Join(m_folder, CopyName);
    for (const wchar_t* log : Logs) {
        const DWORD error = CopyBytes(path + log, copy + log);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
            return FailureOf(error);
    }
    if (DWORD error = CopyBytes(path, copy))
        return FailureOf(error);
    return database::OpenForChanges(copy, m_db);
}

void DatabaseCopy::Close() {
    m_db.reset();
    if (m_folder.empty())
        return;
    const std::wstring copy = WidePath::Join(m_folder, CopyName);
    for (const wchar_t* beside : Beside)
        DeleteFileW(WidePath::ForApi(copy + beside).c_str());
    DeleteFileW(WidePath::ForApi(copy).c_str());
    RemoveDirectoryW(WidePath::ForApi(m_folder).c_str());
    m_folder.clear();
}

database::Failure DatabaseCopy::Open(const std::wstring& path, std::set<std::string>& tables) {
    if (database::Failure failure = Open(path))
        return failure;
    return database::Tables(m_db.get(), tables);
}
