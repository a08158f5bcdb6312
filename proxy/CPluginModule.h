// One device plug-in library: its file, the names of its functions, the
// bound function pointers and its module handle.
#pragma once

#include <windows.h>

#include "plugins/PluginInterface.h"

// File and exported names of one plug-in; NULL for a function it lacks.
struct PluginNames {
    const char* file;
    const char* init;
    const char* cleanup;
    const char* setCallBack;
    const char* openEx;
    const char* open;
    const char* close;
    const char* send;
    const char* heartbeat;
    const char* connect;
    const char* parse;
    const char* closeCommand;
    const char* deviceInfo;
};

// Every pointer is NULL while unresolved.
struct PluginFunctions {
    PluginInitFn init;
    PluginCleanupFn cleanup;
    PluginSetCallBackFn setCallBack;
    PluginOpenExFn openEx;
    PluginOpenFn open;
    PluginCloseFn close;
    PluginSendDataFn send;
    PluginHeartbeatFn heartbeat;
    PluginConnectFn connect;
    PluginParseCommandFn parse;
    PluginCloseCommandFn closeCommand;
    PluginGetDeviceInfoFn deviceInfo;
};

class CPluginModule {
public:
    explicit CPluginModule(const PluginNames& names);
    ~CPluginModule();

    // Loads the plug-in from the directory of the module proxyModule (the
    // proxy's own) and binds its functions; a missing name stays NULL. The
    // start function is called when both start and stop were found. False
    // when the file cannot be loaded (every function stays NULL) or it is
    // loaded already.
    bool Load(HMODULE proxyModule);
    // Calls the stop function when it was found, frees the library and
    // clears every function pointer. Safe when nothing is loaded.
    void Unload();

    bool IsLoaded() const { return m_module != nullptr; }
    const PluginFunctions& Functions() const { return m_functions; }
    const PluginNames& Names() const { return m_names; }

private:
    CPluginModule(const CPluginModule&) = delete;
    CPluginModule& operator=(const CPluginModule&) = delete;

    void Bind();

    const PluginNames m_names;
    HMODULE m_module = nullptr;
    PluginFunctions m_functions = {};
};
