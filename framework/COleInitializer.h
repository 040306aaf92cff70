// OLE for the calling thread for the life of the object: OleInitialize on
// construction, OleUninitialize on destruction when the initialise counted.
//
// OleInitialize answers S_FALSE when the thread already had OLE; that call
// is counted all the same and must be balanced, or the thread would keep OLE
// after its owner ends it. A failed call (RPC_E_CHANGED_MODE: the thread
// belongs to the multithreaded apartment) counts nothing, and uninitialising
// then would end OLE or COM under whoever initialised it. Destroy the object
// only after every OLE object made under it has been released.
#pragma once

#include <ole2.h>

class COleInitializer {
public:
    COleInitializer() : m_hr(::OleInitialize(nullptr)) {}
    ~COleInitializer() {
        if (SUCCEEDED(m_hr))
            ::OleUninitialize();
    }
    COleInitializer(const COleInitializer&) = delete;
    COleInitializer& operator=(const COleInitializer&) = delete;

    // TRUE when the thread is a single-threaded apartment with OLE now.
    BOOL Succeeded() const { return SUCCEEDED(m_hr); }

private:
    HRESULT m_hr;
};
