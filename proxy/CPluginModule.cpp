#include "proxy/CPluginModule.h"

#include "proxy/PluginPath.h"

namespace {

// Long enough for any path GetModuleFileNameA returns in practice.
const DWORD kPathSize = 1280;

template <class Fn>
void Resolve(HMODULE module, const char* name, Fn& fn) {
    fn = name ? reinterpret_cast<Fn>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace

CPluginModule::CPluginModule(const PluginNames& names) : m_names(names) {}

CPluginModule::~CPluginModule() { Unload(); }

bool CPluginModule::Load(HMODULE proxyModule) {
    if (m_module) return false;
    char modulePath[kPathSize] = {};
    const DWORD length = GetModuleFileNameA(proxyModule, modulePath, kPathSize);
    if (length == 0 || length >= kPathSize) return false;
    char pluginPath[kPathSize] = {};
    if (!BuildPluginPath(modulePath, m_names.file, pluginPath, sizeof(pluginPath))) return false;
    m_module = LoadLibraryA(pluginPath);
    if (!m_module) return false;
    Bind();
    // A plug-in that could start but never be stopped is not started.
    if (m_functions.init && m_functions.cleanup) m_functions.init();
    return true;
}

void CPluginModule::Bind() {
    Resolve(m_module, m_names.init, m_functions.init);
    Resolve(m_module, m_names.cleanup, m_functions.cleanup);
    Resolve(m_module, m_names.setCallBack, m_functions.setCallBack);
    Resolve(m_module, m_names.openEx, m_functions.openEx);
    Resolve(m_module, m_names.open, m_functions.open);
    Resolve(m_module, m_names.close, m_functions.close);
    Resolve(m_module, m_names.send, m_functions.send);
    Resolve(m_module, m_names.heartbeat, m_functions.heartbeat);
    Resolve(m_module, m_names.connect, m_functions.connect);
    Resolve(m_module, m_names.parse, m_functions.parse);
    Resolve(m_module, m_names.closeCommand, m_functions.closeCommand);
    Resolve(m_module, m_names.deviceInfo, m_functions.deviceInfo);
}

void CPluginModule::Unload() {
    if (m_functions.cleanup) m_functions.cleanup();
    m_functions = PluginFunctions();
    if (m_module) FreeLibrary(m_module);
    m_module = nullptr;
}
