#include "proxy/PluginPath.h"

#include <cstring>

namespace {

const char kProxyFileName[] = "portmoor.dll";
const size_t kProxyFileNameLength = sizeof(kProxyFileName) - 1;
const int kSearchLimit = 1024;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesAt(const char* text) {
    for (size_t i = 0; i < kProxyFileNameLength; ++i) {
        if (text[i] == '\0' || Lower(text[i]) != kProxyFileName[i]) return false;
    }
    return true;
}

}  // namespace

int FindProxyFileName(const char* path) {
    if (!path) return -1;
    for (int i = 0; i < kSearchLimit && path[i] != '\0'; ++i) {
        if (MatchesAt(path + i)) return i;
    }
    return -1;
}

bool BuildPluginPath(const char* modulePath, const char* pluginFile, char* out, size_t outSize) {
    if (!out || outSize == 0) return false;
    out[0] = '\0';
    if (!modulePath || !pluginFile) return false;
    int directoryLength = FindProxyFileName(modulePath);
    if (directoryLength < 0) {
        const char* back = std::strrchr(modulePath, '\\');
        const char* slash = std::strrchr(modulePath, '/');
        const char* separator = back > slash ? back : slash;
        directoryLength = separator ? static_cast<int>(separator - modulePath + 1) : 0;
    }
    const size_t fileLength = std::strlen(pluginFile);
    if (static_cast<size_t>(directoryLength) + fileLength + 1 > outSize) return false;
    std::memcpy(out, modulePath, directoryLength);
    std::memcpy(out + directoryLength, pluginFile, fileLength + 1);
    return true;
}
