// A counted reference to a COM interface: AddRef when it takes a pointer it
// is given, Release when it lets go (reset, assignment, destruction). The raw
// calls stay visible at the call sites: pass `ptr.put_void()` where a call
// hands out an interface (`QueryInterface(iid, ptr.put_void())`), `ptr.get()`
// where a call wants one, and call methods through `ptr->`.
//
// Only the functions that a program uses are instantiated, so a ComPtr of a
// class that is only declared may be a member, as long as the members that
// release it are defined where the class is complete.
#pragma once

#include <objbase.h>

#include <cstddef>
#include <utility>

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Shares p: takes a reference of its own.
    ComPtr(T* p) : m_p(p) {
        if (m_p)
            m_p->AddRef();
    }
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.detach()) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Releases what is held and hands out the slot for an out-parameter.
    T** put() {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // Takes over a reference that the caller already owns.
    void attach(T* p) {
        reset();
        m_p = p;
    }
    // Hands the reference to the caller, who must release it.
    T* detach() { return std::exchange(m_p, nullptr); }

    void reset() {
        // Cleared before Release: the object's destructor may reach back here.
        if (T* old = std::exchange(m_p, nullptr))
            old->Release();
    }

private:
    T* m_p = nullptr;
};
