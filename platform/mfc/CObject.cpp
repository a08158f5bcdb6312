#include "CObject.h"

const CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

CObject* AfxDynamicDownCast(CRuntimeClass* cls, CObject* object) {
    return (object && object->IsKindOf(cls)) ? object : nullptr;
}
