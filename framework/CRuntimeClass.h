// Run-time class information: each class that declares it has one static
// CRuntimeClass naming the class, its base and, for classes that can be made
// from their class information alone, a factory.
//
//   // in the header                // in the source
//   class CMyPane : public CWnd {   IMPLEMENT_DYNAMIC(CMyPane, CWnd)
//       DECLARE_DYNAMIC(CMyPane)
//       ...
//   };
//
// DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE do the same and also make the class
// creatable (it then needs a default constructor). A class that declares
// nothing answers the information of its nearest base that does.
// RUNTIME_CLASS(CMyPane) gives the class's information, for IsKindOf.
#pragma once

#include <windows.h>

class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    // Null for classes that cannot be created from their class information.
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of this class, or null when the class is not creatable.
    CObject* CreateObject() const;
    // TRUE when this class is pBaseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

// The macros below are laid out by hand.
// clang-format off

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// Leaves the class declaration in public access.
#define DECLARE_DYNAMIC(class_name)                                                                \
public:                                                                                            \
    static const CRuntimeClass class##class_name;                                                  \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                              \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, pfnNew)                            \
    const CRuntimeClass class_name::class##class_name = {                                          \
        #class_name, static_cast<int>(sizeof(class_name)), pfnNew,                                 \
        RUNTIME_CLASS(base_class_name)};                                                           \
    const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                             \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                           \
    CObject* class_name::CreateObject() { return new class_name; }                                 \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)

// clang-format on
