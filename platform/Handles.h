// Owning wrappers for every handle and block the Win32 calls hand out.
//
// One template stamps out each kind, so no function ever closes a key, a find
// handle, a file, a token, a heap block or a SID by hand: whatever path a
// function leaves by, the owner releases what it holds. The raw calls stay
// visible at the call sites: pass `key.put()` where the call wants an
// out-parameter and `key.get()` where it wants the handle.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace platform {

// Traits names the raw handle type (`type`), the value that means "nothing
// held" (`Invalid()`) and the call that releases a held one (`Close`).
template <typename Traits> class UniqueAny {
    using T = typename Traits::type;

public:
    UniqueAny() = default;
    explicit UniqueAny(T value) : m_value(value) {}
    ~UniqueAny() { reset(); }

    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : m_value(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const { return m_value; }
    explicit operator bool() const { return m_value != Traits::Invalid(); }

    // Releases what is held and hands out the slot for an out-parameter.
    T* put() {
        reset();
        return &m_value;
    }

    T release() { return std::exchange(m_value, Traits::Invalid()); }

    void reset(T value = Traits::Invalid()) {
        T old = std::exchange(m_value, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

private:
    T m_value = Traits::Invalid();
};

namespace detail {
template <typename T, void (*CloseFn)(T)> struct NullTraits {
    using type = T;
    static T Invalid() { return nullptr; }
    static void Close(T value) { CloseFn(value); }
};
template <void (*CloseFn)(HANDLE)> struct InvalidHandleTraits {
    using type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE value) { CloseFn(value); }
};
inline void CloseKey(HKEY key) {
    RegCloseKey(key);
}
inline void CloseFind(HANDLE find) {
    FindClose(find);
}
inline void CloseKernelHandle(HANDLE handle) {
    CloseHandle(handle);
}
inline void FreeProcessHeap(void* block) {
    HeapFree(GetProcessHeap(), 0, block);
}
inline void FreeAllocatedSid(PSID sid) {
    FreeSid(sid);
}
inline void FreeLoadedModule(HMODULE module) {
    FreeLibrary(module);
}
inline void DestroyMenuHandle(HMENU menu) {
    DestroyMenu(menu);
}
inline void DestroyIconHandle(HICON icon) {
    DestroyIcon(icon);
}
inline void FreeCoTaskMem(void* block) {
    CoTaskMemFree(block);
}
inline void FreeLocal(HLOCAL block) {
    LocalFree(block);
}
} // namespace detail

// A registry key opened or created by this process. The predefined roots
// (HKEY_CURRENT_USER and the like) are never put in one of these.
using UniqueHKey = UniqueAny<detail::NullTraits<HKEY, detail::CloseKey>>;

// A search handle of FindFirstFile: failure is INVALID_HANDLE_VALUE.
using UniqueFind = UniqueAny<detail::InvalidHandleTraits<detail::CloseFind>>;

// A file handle of CreateFile: failure is INVALID_HANDLE_VALUE.
using UniqueFile = UniqueAny<detail::InvalidHandleTraits<detail::CloseKernelHandle>>;

// A process list of CreateToolhelp32Snapshot: failure is INVALID_HANDLE_VALUE.
using UniqueSnapshot = UniqueAny<detail::InvalidHandleTraits<detail::CloseKernelHandle>>;

// A kernel handle whose failure value is null (tokens, processes, events).
using UniqueHandle = UniqueAny<detail::NullTraits<HANDLE, detail::CloseKernelHandle>>;

// A block from HeapAlloc on the process heap.
using UniqueHeapBlock = UniqueAny<detail::NullTraits<void*, detail::FreeProcessHeap>>;

// A SID made by AllocateAndInitializeSid, released with FreeSid.
using UniqueSid = UniqueAny<detail::NullTraits<PSID, detail::FreeAllocatedSid>>;

// A module loaded with LoadLibrary.
using UniqueModule = UniqueAny<detail::NullTraits<HMODULE, detail::FreeLoadedModule>>;

// A menu made with CreatePopupMenu / CreateMenu and not attached to a window.
using UniqueMenu = UniqueAny<detail::NullTraits<HMENU, detail::DestroyMenuHandle>>;

// An icon that must be released with DestroyIcon.
using UniqueIcon = UniqueAny<detail::NullTraits<HICON, detail::DestroyIconHandle>>;

// A block the shell or COM hands out (SHGetKnownFolderPath), freed with CoTaskMemFree.
using UniqueCoTaskMem = UniqueAny<detail::NullTraits<void*, detail::FreeCoTaskMem>>;

// A block the security calls hand out (GetNamedSecurityInfoW), freed with LocalFree.
using UniqueLocal = UniqueAny<detail::NullTraits<HLOCAL, detail::FreeLocal>>;

} // namespace platform
