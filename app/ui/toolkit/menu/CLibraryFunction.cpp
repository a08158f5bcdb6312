#include "CLibraryFunction.h"

CLibraryFunction::CLibraryFunction(LPCWSTR library, LPCSTR function)
    : m_library(library), m_function(function), m_module(nullptr), m_proc(nullptr), m_tried(false) {}

CLibraryFunction::~CLibraryFunction() { Release(); }

FARPROC CLibraryFunction::Get() {
    if (m_tried) return m_proc;
    m_tried = true;
    m_module = LoadLibraryW(m_library);
    if (m_module) m_proc = GetProcAddress(m_module, m_function);
    return m_proc;
}

void CLibraryFunction::Release() {
    m_proc = nullptr;
    if (m_module) FreeLibrary(m_module);
    m_module = nullptr;
    m_tried = false;
}
