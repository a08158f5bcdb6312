// Run-time class information: a static record per class naming the class,
// its base and, for creatable classes, how to build one.
#pragma once

#include <windows.h>

class CObject;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new object of this class, or NULL when the class is not dynamically
    // creatable (declared without DECLARE_DYNCREATE).
    CObject* CreateObject() const;
    // TRUE when this class is baseClass or derives from it.
    BOOL IsDerivedFrom(const CRuntimeClass* baseClass) const;
};

// Declarations inside a class body and definitions in its source file.
#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static const CRuntimeClass class##class_name; \
    virtual CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

// Names the class explicitly, for classes whose C++ name is no plain token.
#define IMPLEMENT_RUNTIMECLASS_NAMED(class_type, member, name_text, base_class, create_fn)                        \
    const CRuntimeClass class_type::member = {name_text, static_cast<int>(sizeof(class_type)), 0xFFFF, create_fn, \
                                              RUNTIME_CLASS(base_class)};                                         \
    CRuntimeClass* class_type::GetRuntimeClass() const { return const_cast<CRuntimeClass*>(&class_type::member); }

#define IMPLEMENT_DYNAMIC(class_name, base_class) \
    IMPLEMENT_RUNTIMECLASS_NAMED(class_name, class##class_name, #class_name, base_class, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class)                \
    CObject* class_name::CreateObject() { return new class_name; } \
    IMPLEMENT_RUNTIMECLASS_NAMED(class_name, class##class_name, #class_name, base_class, class_name::CreateObject)
