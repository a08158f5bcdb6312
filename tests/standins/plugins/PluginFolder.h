// A temporary folder laid out as an installation: a module named
// PORTMOOR.DLL (in capitals) beside the plug-ins a test chooses.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/TempDir.h"

class PluginFolder {
public:
    PluginFolder();
    ~PluginFolder();

    // Copies a built DLL (found on the DLL search path or beside the test)
    // into the folder under the given name. False when it cannot.
    bool Add(const wchar_t* builtName, const wchar_t* installedName);
    // Loads the folder's PORTMOOR.DLL (a copy of any DLL): its module handle
    // tells the loader where the plug-ins are.
    HMODULE ProxyModule();
    std::wstring Path(const wchar_t* name) const { return m_dir.File(name); }

private:
    TempDir m_dir;
    HMODULE m_proxy = nullptr;
};

// Full path of a built DLL, empty when it is not found.
std::wstring BuiltDll(const wchar_t* name);
