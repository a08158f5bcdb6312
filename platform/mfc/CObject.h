// Root of the framework's class tree: run-time class information for
// IsKindOf and DYNAMIC_DOWNCAST. Objects are not copyable.
#pragma once

#include "CRuntimeClass.h"

// An opaque iterator position of the framework's lists and maps.
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))

class CObject {
public:
    static const CRuntimeClass classCObject;
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() {}

    // TRUE when this object's class is cls or derives from it.
    BOOL IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

protected:
    CObject() {}

private:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

// The object itself when it is of class cls (or derived), else NULL.
CObject* AfxDynamicDownCast(CRuntimeClass* cls, CObject* object);

#define DYNAMIC_DOWNCAST(class_name, object) \
    (static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), (object))))
#define STATIC_DOWNCAST(class_name, object) (static_cast<class_name*>(object))
