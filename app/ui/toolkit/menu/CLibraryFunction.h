// One entry point of a system library, bound by name on first use so the
// program still starts where the library or the function is missing.
#pragma once

#include <windows.h>

#include "common/UniqueHandle.h"

class CLibraryFunction {
public:
    CLibraryFunction(LPCWSTR library, LPCSTR function);
    ~CLibraryFunction();
    CLibraryFunction(const CLibraryFunction&) = delete;
    CLibraryFunction& operator=(const CLibraryFunction&) = delete;

    // The entry point, NULL when unavailable; the library loads at most once.
    FARPROC Get();
    template <class T>
    T As() {
        return reinterpret_cast<T>(Get());
    }
    // Frees the library; a later Get binds again.
    void Release();

private:
    LPCWSTR m_library;
    LPCSTR m_function;
    CUniqueModule m_module;
    FARPROC m_proc;
    bool m_tried;
};
