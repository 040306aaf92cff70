// Root of the framework's classes: run-time class information and a virtual
// destructor. Objects are not copyable (windows and the application object
// are identities, not values).
#pragma once

#include "framework/CRuntimeClass.h"

class CObject {
public:
    static const CRuntimeClass classCObject;

    CObject() = default;
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

    virtual const CRuntimeClass* GetRuntimeClass() const;
    // TRUE when this object's class is pClass or derives from it.
    BOOL IsKindOf(const CRuntimeClass* pClass) const;
};
