// An automatic-destinations jump list
// (Recent\AutomaticDestinations\<AppID>.automaticDestinations-ms): a
// compound file with one numbered stream per entry, each a shell link, and
// the stream "DestList" that lists the entries with their pins. It is read
// whole and checked before anything is decided, and can be written again,
// as a new file, with its pinned entries alone.
//
// DestList: a 32-byte header (format version, entry count, pinned count, ...)
// and the entries. Version 1 (Windows 7) entries are 114 bytes and a path;
// versions 2 to 4 (Windows 10 and 11) are 130 bytes, the path and 4 bytes
// more. In both the entry number, whose hexadecimal form names the entry's
// stream, lies at byte 88, and the pin at byte 108: -1 when the entry is not
// pinned, else its place among the pins.
#pragma once

#include "framework/ComPtr.h"

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

struct JumpListEntry {
    // The numbered stream that holds its shell link ("1a").
    std::wstring stream;
    // What it names: a path, or a known folder ("knownfolder:{...}").
    std::wstring target;
    bool pinned;
    // Its bytes in DestList.
    size_t offset;
    size_t size;
};

class JumpList {
public:
    // Opens `path` for reading, while others may read it but not write it,
    // and reads it. 0 when it is a jump list of a known version whose
    // entries add up; otherwise the platform's error, and why in words in
    // `reason` when the platform's text would say less (empty otherwise).
    DWORD Read(const std::wstring& path, std::wstring& reason);

    const std::wstring& Path() const { return m_path; }
    const std::vector<JumpListEntry>& Entries() const { return m_entries; }
    bool HasPins() const;
    // Whether it holds anything but its pinned entries: other entries, or
    // streams no entry names.
    bool HoldsMoreThanPins() const;

    // Makes a new compound file at `to` that holds the streams of the pinned
    // entries and a DestList of those entries alone, counted so: no byte of
    // another stream reaches it. Only for a list with pins.
    HRESULT WritePinned(const std::wstring& to) const;

    // Lets go of the file.
    void Close() { m_storage.reset(); }

    // Where the new file of the list at `path` is written, beside it, before
    // it takes the list's place.
    static std::wstring ReplacementOf(const std::wstring& path) { return path + L".new"; }

private:
    DWORD ReadDestList(std::wstring& reason);
    DWORD ParseEntries(const std::vector<std::wstring>& streams, std::wstring& reason);
    std::vector<BYTE> PinnedDestList() const;

    std::wstring m_path;
    ComPtr<IStorage> m_storage;
    std::vector<BYTE> m_destList;
    std::vector<JumpListEntry> m_entries;
    size_t m_streams = 0;
};
