#include "tests/standins/plugins/PluginFolder.h"

std::wstring BuiltDll(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    if (SearchPathW(nullptr, name, nullptr, MAX_PATH, path, nullptr)) return path;
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring beside(path);
    beside = beside.substr(0, beside.find_last_of(L'\\') + 1) + name;
    return GetFileAttributesW(beside.c_str()) == INVALID_FILE_ATTRIBUTES ? std::wstring() : beside;
}

PluginFolder::PluginFolder() = default;

PluginFolder::~PluginFolder() {
    if (m_proxy) FreeLibrary(m_proxy);
}

bool PluginFolder::Add(const wchar_t* builtName, const wchar_t* installedName) {
    const std::wstring from = BuiltDll(builtName);
    return !from.empty() && CopyFileW(from.c_str(), m_dir.File(installedName).c_str(), FALSE);
}

HMODULE PluginFolder::ProxyModule() {
    if (!m_proxy && Add(L"PartialPlugin.dll", L"PORTMOOR.DLL")) {
        m_proxy = LoadLibraryW(m_dir.File(L"PORTMOOR.DLL").c_str());
    }
    return m_proxy;
}
