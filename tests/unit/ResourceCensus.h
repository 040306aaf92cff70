// What a test can see of the resources this process holds: its open handles
// and its busy process-heap blocks. Compared before and after an operation,
// they show a key, file, search or block that the operation left behind.
#pragma once

#include <windows.h>

#include <vector>

namespace census {

// Open handles of this process, from the system's handle table.
// GetProcessHandleCount answers 0 on Wine 8, so the table itself is read
// (SystemHandleInformation); registry keys, files and unfinished searches
// all appear in it.
inline int CountOwnHandles() {
    struct Entry {
        USHORT processId;
        USHORT creatorBackTraceIndex;
        UCHAR objectType;
        UCHAR attributes;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const ULONG SystemHandleInformation = 16;
    const LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
    auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return -1;
    std::vector<char> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(SystemHandleInformation, buffer.data(), ULONG(buffer.size()),
                           &needed)) == InfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const Table* table = reinterpret_cast<const Table*>(buffer.data());
    const USHORT self = USHORT(GetCurrentProcessId());
    int own = 0;
    for (ULONG i = 0; i < table->count; ++i)
        own += table->entries[i].processId == self ? 1 : 0;
    return own;
}

// Blocks in use on the process heap. A finished search holds no handle on
// Wine (the directory handle closes when the listing ends), but its search
// block stays on the process heap until FindClose.
inline int CountProcessHeapBlocks() {
    const HANDLE heap = GetProcessHeap();
    PROCESS_HEAP_ENTRY entry = {};
    int busy = 0;
    HeapLock(heap);
    while (HeapWalk(heap, &entry))
        busy += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ? 1 : 0;
    HeapUnlock(heap);
    return busy;
}

} // namespace census
