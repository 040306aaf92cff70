// A database looked at without touching it: a private copy of the file and
// of the logs beside it in a folder of our own under the temporary folder,
// opened there and removed when it closes.
//
// Reading a database in place can change its folder even through a read-only
// connection: SQLite creates a shared-memory index ("-shm") beside a
// write-ahead log and, when the file is empty, deletes the log it takes for
// stale. On the copy that happens to our files; the originals are only read,
// with every sharing allowed, so no byte, time or file of theirs changes.
#pragma once

#include "clean/Database.h"

#include <set>
#include <string>

class DatabaseCopy {
public:
    DatabaseCopy() = default;
    DatabaseCopy(const DatabaseCopy&) = delete;
    DatabaseCopy& operator=(const DatabaseCopy&) = delete;
    ~DatabaseCopy() { Close(); }

    // Copies the database at `path` with its write-ahead log and its rollback
    // journal, where they exist, and opens the copy; SQLite applies the log
    // (or rolls a hot journal back) in the copy as a connection to the
    // original would.
    database::Failure Open(const std::wstring& path);
    // Opens the copy as Open does, and reads the names of its tables.
    database::Failure Open(const std::wstring& path, std::set<std::string>& tables);
    sqlite3* get() const { return m_db.get(); }

private:
    // Closes the copy, then deletes it and whatever SQLite made beside it.
    void Close();

    std::wstring m_folder;
    platform::UniqueDatabase m_db;
};
