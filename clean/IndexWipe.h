// Zeroing an index file after its header: the wipe the walk asks of its
// visitor for "index.dat", and what it wrote.
#pragma once

#include <windows.h>

// An index file keeps its header; everything after it becomes zero.
constexpr ULONGLONG KeptHeaderSize = 64;

// What a wipe wrote: the bytes zeroed, and why it stopped short (0 when it
// zeroed all it was asked to and reached the disk).
struct WipeResult {
    ULONGLONG zeroed;
    DWORD error;
};

// Zeros `bytes` bytes of the open index file from its 64th byte on, in blocks
// of 10000 bytes, checking every seek and write, and flushes them to the disk
// before the caller closes (and deletes) the file. A block that fails does
// not stop the wipe; the next one is written at its own place.
WipeResult ZeroAfterHeader(HANDLE file, ULONGLONG bytes);

// The bytes a wipe of the open file zeros: 0 when it holds no more than its
// header or is not its own.
ULONGLONG BytesToZero(HANDLE file);
