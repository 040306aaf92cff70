#include "tests/bench/CallCounter.h"

#include "platform/Seams.h"

#include <windows.h>
#include <winternl.h>

#include <atomic>
#include <cstring>

namespace callcount {
namespace {

struct Counted {
    const char* name;
    void* counter;  // the function that counts and passes the call on
    void** seam;    // the seam that holds the function, or null for an import
    void* original; // where the call goes on to
    std::atomic<long> calls;
};

Counted* Table();

template <int Index, typename Result, typename... Args> Result WINAPI Count(Args... args) {
    Counted& counted = Table()[Index];
    ++counted.calls;
    return reinterpret_cast<Result(WINAPI*)(Args...)>(counted.original)(args...);
}

template <int Index, typename Result, typename... Args> void* CounterOf(Result(WINAPI*)(Args...)) {
    return reinterpret_cast<void*>(&Count<Index, Result, Args...>);
}

template <typename Function> void** SeamOf(Function& seam) {
    return reinterpret_cast<void**>(&seam);
}

// One entry per function: its name and a counter made for its type; the
// index is the entry's place in the table.
// clang-format off
#define QUENBY_IMPORT(index, function)                                                             \
    {#function, CounterOf<index>(&::function), nullptr, nullptr, {0}}
#define QUENBY_SEAM(index, function)                                                               \
    {#function, CounterOf<index>(platform::seam::function),                                       \
     SeamOf(platform::seam::function), nullptr, {0}}

Counted g_table[] = {
    QUENBY_IMPORT(0, NtCreateFile),
    QUENBY_IMPORT(1, NtQueryInformationFile),
    QUENBY_IMPORT(2, CreateFileW),
    QUENBY_IMPORT(3, CloseHandle),
    QUENBY_IMPORT(4, SetFileInformationByHandle),
    QUENBY_IMPORT(5, GetFileInformationByHandle),
    QUENBY_IMPORT(6, GetFileSizeEx),
    QUENBY_IMPORT(7, SetFilePointerEx),
    QUENBY_IMPORT(8, DeleteFileW),
    QUENBY_IMPORT(9, RemoveDirectoryW),
    QUENBY_IMPORT(10, FindFirstFileW),
    QUENBY_IMPORT(11, FindNextFileW),
    QUENBY_IMPORT(12, FindClose),
    QUENBY_IMPORT(13, GetFileAttributesW),
    QUENBY_IMPORT(14, SetFileAttributesW),
    QUENBY_SEAM(15, NtQueryObject),
    QUENBY_SEAM(16, GetFileInformationByHandleEx),
    QUENBY_SEAM(17, WriteFile),
    QUENBY_SEAM(18, FlushFileBuffers),
    QUENBY_SEAM(19, NtSetInformationFile),
};
// clang-format on

Counted* Table() {
    return g_table;
}

Counted* Find(const char* name) {
    for (Counted& counted : g_table) {
        if (std::strcmp(counted.name, name) == 0 && !counted.seam)
            return &counted;
    }
    return nullptr;
}

// Points each import slot of this executable that the table names at its counter.
void PatchImports() {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; dll->Name != 0; ++dll) {
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            Counted* counted = Find(reinterpret_cast<const char*>(byName->Name));
            if (!counted)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            counted->original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(counted->counter);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
        }
    }
}

} // namespace

void Install() {
    PatchImports();
    for (Counted& counted : g_table) {
        if (!counted.seam)
            continue;
        counted.original = *counted.seam;
        *counted.seam = counted.counter;
    }
}

void Print(std::FILE* out) {
    for (const Counted& counted : g_table) {
        if (counted.calls > 0)
            std::fprintf(out, "%s %ld\n", counted.name, counted.calls.load());
    }
}

} // namespace callcount
