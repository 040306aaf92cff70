#include "clean/JumpList.h"

#include "clean/CleanReport.h"
#include "platform/Handles.h"

#include <algorithm>
#include <cstring>

namespace {

const wchar_t DestListName[] = L"DestList";
// Others may go on reading the list, and nobody writes it while it is read.
const DWORD OpenMode = STGM_READ | STGM_SHARE_DENY_WRITE | STGM_TRANSACTED;
const DWORD CreateMode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
// The mode streams must be opened in, within any storage.
const DWORD StreamReadMode = STGM_READ | STGM_SHARE_EXCLUSIVE;
const DWORD StreamCreateMode = STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE;

const size_t HeaderSize = 32;
const size_t VersionAt = 0;
const size_t EntryCountAt = 4;
const size_t PinnedCountAt = 8;
const size_t EntryNumberAt = 88;
const size_t PinAt = 108;
const DWORD NotPinned = 0xFFFFFFFF;
// Far beyond any list's: a larger DestList is no jump list's, and is not
// read into memory.
const ULONGLONG MaxDestListSize = 16 * 1024 * 1024;

// Where an entry's path length lies (the path follows it), and the bytes
// after the path, by format version.
struct Layout {
    DWORD version;
    size_t pathLengthAt;
    size_t tail;
};
const Layout Layouts[] = {{1, 112, 0}, {2, 128, 4}, {3, 128, 4}, {4, 128, 4}};

const wchar_t NotCompound[] = L"not a compound file that can be read";
const wchar_t UnexpectedElement[] = L"it holds an element that is no entry: ";
const wchar_t NoDestList[] = L"it has no DestList stream";
const wchar_t UnreadDestList[] = L"its DestList stream cannot be read";
const wchar_t ShortHeader[] = L"its DestList is shorter than its header";
const wchar_t UnknownVersion[] = L"its DestList has version ";
const wchar_t UnknownVersionEnd[] = L", which is not known";
const wchar_t Truncated[] = L"its DestList ends inside entry ";
const wchar_t Trailing[] = L"its DestList holds more than its entries";
const wchar_t PinCount[] = L"its DestList counts other pins than its entries hold";
const wchar_t MissingStream[] = L"its pinned entry has no stream: ";
const wchar_t StaysAsItIs[] = L", so it stays as it is";

DWORD Unreadable(std::wstring& reason, const std::wstring& why, DWORD error = ERROR_FILE_CORRUPT) {
    reason = why + StaysAsItIs;
    return error;
}

// The storage's own codes for these are the platform's, in an HRESULT; any
// other failure to open says the file is no compound file.
DWORD OpenFailure(HRESULT result, std::wstring& reason) {
    switch (result) {
    case STG_E_SHAREVIOLATION:
    case STG_E_LOCKVIOLATION:
    case STG_E_ACCESSDENIED:
    case STG_E_FILENOTFOUND:
    case STG_E_PATHNOTFOUND:
        return HRESULT_CODE(result);
    default:
        return Unreadable(reason, NotCompound);
    }
}

DWORD Read32(const std::vector<BYTE>& bytes, size_t at) {
    DWORD value = 0;
    memcpy(&value, &bytes[at], sizeof value);
    return value;
}

void Write32(std::vector<BYTE>& bytes, size_t at, DWORD value) {
    memcpy(&bytes[at], &value, sizeof value);
}

std::wstring Hex(ULONGLONG number) {
    const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    do {
        text.insert(text.begin(), digits[number % 16]);
        number /= 16;
    } while (number != 0);
    return text;
}

bool IsEntryStream(const std::wstring& name) {
    return !name.empty() && name.find_first_not_of(L"0123456789abcdef") == std::wstring::npos;
}

// The names of the list's streams. A list that holds anything but its
// entries and DestList is of no known form.
DWORD ListStreams(IStorage* storage, std::vector<std::wstring>& streams, std::wstring& reason) {
    ComPtr<IEnumSTATSTG> elements;
    if (FAILED(storage->EnumElements(0, nullptr, 0, elements.put())))
        return Unreadable(reason, NotCompound);
    STATSTG element;
    while (elements->Next(1, &element, nullptr) == S_OK) {
        platform::UniqueCoTaskMem owned(element.pwcsName);
        const std::wstring name = element.pwcsName ? element.pwcsName : L"";
        if (element.type != STGTY_STREAM || (name != DestListName && !IsEntryStream(name)))
            return Unreadable(reason, UnexpectedElement + name);
        streams.push_back(name);
    }
    return ERROR_SUCCESS;
}

HRESULT ReadWhole(IStorage* storage, const wchar_t* name, std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    HRESULT result = storage->OpenStream(name, nullptr, StreamReadMode, 0, stream.put());
    STATSTG stat = {};
    if (SUCCEEDED(result))
        result = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(result) || stat.cbSize.QuadPart > MaxDestListSize)
        return FAILED(result) ? result : STG_E_DOCFILECORRUPT;
    bytes.resize(size_t(stat.cbSize.QuadPart));
    ULONG read = 0;
    if (!bytes.empty())
        result = stream->Read(bytes.data(), ULONG(bytes.size()), &read);
    return FAILED(result) || read == bytes.size() ? result : STG_E_READFAULT;
}

const Layout* LayoutOf(DWORD version) {
    for (const Layout& layout : Layouts) {
        if (layout.version == version)
            return &layout;
    }
    return nullptr;
}

// Reads the entry at `offset` and moves past it; false when it does not fit.
bool ReadEntry(const std::vector<BYTE>& list, const Layout& layout, size_t& offset,
               JumpListEntry& entry) {
    const size_t fixed = layout.pathLengthAt + sizeof(WORD);
    if (list.size() - offset < fixed)
        return false;
    WORD chars = 0;
    memcpy(&chars, &list[offset + layout.pathLengthAt], sizeof chars);
    const size_t size = fixed + chars * sizeof(wchar_t) + layout.tail;
    if (list.size() - offset < size)
        return false;
    ULONGLONG number = 0;
    memcpy(&number, &list[offset + EntryNumberAt], sizeof number);
    entry.stream = Hex(number);
    entry.pinned = Read32(list, offset + PinAt) != NotPinned;
    entry.target.resize(chars);
    if (chars != 0)
        memcpy(&entry.target[0], &list[offset + fixed], chars * sizeof(wchar_t));
    entry.offset = offset;
    entry.size = size;
    offset += size;
    return true;
}

HRESULT CopyStream(IStorage* from, IStorage* to, const wchar_t* name) {
    ComPtr<IStream> source;
    ComPtr<IStream> copy;
    HRESULT result = from->OpenStream(name, nullptr, StreamReadMode, 0, source.put());
    if (SUCCEEDED(result))
        result = to->CreateStream(name, StreamCreateMode, 0, 0, copy.put());
    ULARGE_INTEGER all;
    all.QuadPart = ~0ULL;
    return SUCCEEDED(result) ? source->CopyTo(copy.get(), all, nullptr, nullptr) : result;
}

HRESULT WriteStream(IStorage* to, const wchar_t* name, const std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    HRESULT result = to->CreateStream(name, StreamCreateMode, 0, 0, stream.put());
    ULONG written = 0;
    if (SUCCEEDED(result) && !bytes.empty())
        result = stream->Write(bytes.data(), ULONG(bytes.size()), &written);
    return FAILED(result) || written == bytes.size() ? result : STG_E_WRITEFAULT;
}

} // namespace

DWORD JumpList::Read(const std::wstring& path, std::wstring& reason) {
    m_path = path;
    m_entries.clear();
    const HRESULT opened = StgOpenStorageEx(path.c_str(), OpenMode, STGFMT_DOCFILE, 0, nullptr,
                                            nullptr, IID_IStorage, m_storage.put_void());
    if (FAILED(opened))
        return OpenFailure(opened, reason);
    std::vector<std::wstring> streams;
    if (DWORD error = ListStreams(m_storage.get(), streams, reason))
        return error;
    if (std::find(streams.begin(), streams.end(), DestListName) == streams.end())
        return Unreadable(reason, NoDestList);
    if (FAILED(ReadWhole(m_storage.get(), DestListName, m_destList)))
        return Unreadable(reason, UnreadDestList);
    m_streams = streams.size();
    return ParseEntries(streams, reason);
}

// An empty DestList is an empty list. Every entry must fit, the entries must
// fill the stream, the pins must be those the header counts and each pinned
// entry must have its stream: a list that does not add up is not understood,
// and nothing in it is dropped.
DWORD JumpList::ParseEntries(const std::vector<std::wstring>& streams, std::wstring& reason) {
    if (m_destList.empty())
        return ERROR_SUCCESS;
    if (m_destList.size() < HeaderSize)
        return Unreadable(reason, ShortHeader);
    const DWORD version = Read32(m_destList, VersionAt);
    const Layout* layout = LayoutOf(version);
    if (layout == nullptr)
        return Unreadable(reason, UnknownVersion + DecimalText(version) + UnknownVersionEnd,
                          ERROR_NOT_SUPPORTED);
    const DWORD count = Read32(m_destList, EntryCountAt);
    size_t offset = HeaderSize;
    DWORD pins = 0;
    for (DWORD i = 0; i < count; ++i) {
        JumpListEntry entry;
        if (!ReadEntry(m_destList, *layout, offset, entry))
            return Unreadable(reason, Truncated + DecimalText(i + 1));
        pins += entry.pinned;
        m_entries.push_back(std::move(entry));
    }
    if (offset != m_destList.size())
        return Unreadable(reason, Trailing);
    if (pins != Read32(m_destList, PinnedCountAt))
        return Unreadable(reason, PinCount);
    for (const JumpListEntry& entry : m_entries) {
        if (entry.pinned &&
            std::find(streams.begin(), streams.end(), entry.stream) == streams.end())
            return Unreadable(reason, MissingStream + entry.stream);
    }
    return ERROR_SUCCESS;
}

bool JumpList::HasPins() const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [](const JumpListEntry& entry) { return entry.pinned; });
}

// Its streams are DestList and those of the entries, if nothing else.
bool JumpList::HoldsMoreThanPins() const {
    const bool unpinned = std::any_of(m_entries.begin(), m_entries.end(),
                                      [](const JumpListEntry& entry) { return !entry.pinned; });
    return unpinned || m_streams != m_entries.size() + 1;
}

// The header as it was (its last entry number too, so that new entries get
// new numbers), with the counts of what stays, then the pinned entries as
// they were, in their order.
std::vector<BYTE> JumpList::PinnedDestList() const {
    std::vector<BYTE> list(m_destList.begin(), m_destList.begin() + HeaderSize);
    DWORD kept = 0;
    for (const JumpListEntry& entry : m_entries) {
        if (!entry.pinned)
            continue;
        list.insert(list.end(), m_destList.begin() + entry.offset,
                    m_destList.begin() + entry.offset + entry.size);
        ++kept;
    }
    Write32(list, EntryCountAt, kept);
    Write32(list, PinnedCountAt, kept);
    return list;
}

// Only what is copied reaches the new file: the sectors of a stream deleted
// inside a compound file would keep its bytes.
HRESULT JumpList::WritePinned(const std::wstring& to) const {
    ComPtr<IStorage> copy;
    HRESULT result = StgCreateStorageEx(to.c_str(), CreateMode, STGFMT_DOCFILE, 0, nullptr, nullptr,
                                        IID_IStorage, copy.put_void());
    if (FAILED(result))
        return result;
    STATSTG root = {};
    if (SUCCEEDED(m_storage->Stat(&root, STATFLAG_NONAME)) &&
        FAILED(result = copy->SetClass(root.clsid)))
        return result;
    for (const JumpListEntry& entry : m_entries) {
        if (entry.pinned &&
            FAILED(result = CopyStream(m_storage.get(), copy.get(), entry.stream.c_str())))
            return result;
    }
    if (FAILED(result = WriteStream(copy.get(), DestListName, PinnedDestList())))
        return result;
    return copy->Commit(STGC_DEFAULT);
}
