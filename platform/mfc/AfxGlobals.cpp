#include "AfxGlobals.h"

namespace {
HINSTANCE g_resourceHandle = nullptr;
}

HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }

HINSTANCE AfxGetResourceHandle() { return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE resources) { g_resourceHandle = resources; }
