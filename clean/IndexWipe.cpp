#include "clean/IndexWipe.h"

#include "clean/EntryChecks.h"
#include "platform/Seams.h"

#include <algorithm>

namespace {

const DWORD ZeroBlockSize = 10000;

} // namespace

WipeResult ZeroAfterHeader(HANDLE file, ULONGLONG bytes) {
    const char zeros[ZeroBlockSize] = {};
    WipeResult result = {0, ERROR_SUCCESS};
    for (ULONGLONG done = 0; done < bytes;) {
        LARGE_INTEGER offset;
        offset.QuadPart = LONGLONG(KeptHeaderSize + done);
        const DWORD block = DWORD(std::min<ULONGLONG>(ZeroBlockSize, bytes - done));
        DWORD written = 0;
        DWORD error = ERROR_SUCCESS;
        if (!SetFilePointerEx(file, offset, nullptr, FILE_BEGIN))
            error = GetLastError();
        else if (!platform::seam::WriteFile(file, zeros, block, &written, nullptr))
            error = GetLastError();
        else if (written < block)
            error = ERROR_WRITE_FAULT;
        result.zeroed += written;
        if (result.error == ERROR_SUCCESS)
            result.error = error;
        done += block;
    }
    // A file system may drop the unwritten pages of a file deleted next:
    // the zeros must be on the disk first.
    if (!platform::seam::FlushFileBuffers(file) && result.error == ERROR_SUCCESS)
        result.error = GetLastError();
    return result;
}

ULONGLONG BytesToZero(HANDLE file) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || ULONGLONG(size.QuadPart) <= KeptHeaderSize ||
        !walk::HoldsOwnData(file))
        return 0;
    return ULONGLONG(size.QuadPart) - KeptHeaderSize;
}
