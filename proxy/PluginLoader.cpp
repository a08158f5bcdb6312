#include "proxy/PluginLoader.h"

#include "proxy/PluginCatalog.h"

namespace {

// Never destroyed: a module still loaded at process exit must not be
// stopped from inside the loader lock; the last cleanup unloads it.
CPluginModule* Plugins() {
    static CPluginModule* plugins = new CPluginModule[kPluginTypeCount]{
        CPluginModule(*PluginNamesOfType(0)),
        CPluginModule(*PluginNamesOfType(1)),
        CPluginModule(*PluginNamesOfType(2)),
    };
    return plugins;
}

}  // namespace

void LoadPlugins(HMODULE proxyModule) {
    for (int type = 0; type < kPluginTypeCount; ++type) Plugins()[type].Load(proxyModule);
}

void UnloadPlugins() {
    for (int type = 0; type < kPluginTypeCount; ++type) Plugins()[type].Unload();
}

const CPluginModule* PluginOfType(int type) {
    return type >= 0 && type < kPluginTypeCount ? &Plugins()[type] : nullptr;
}
