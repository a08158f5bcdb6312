#include "StandinRecord.h"

#include <windows.h>

namespace StandinRecord {

const wchar_t kKeyPath[] = L"Software\\Dodavozi\\SpreadsheetStandin";

namespace {

HKEY OpenKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

std::wstring OutputFolder() {
    HKEY key = OpenKey();
    if (!key) return std::wstring();
    wchar_t buffer[MAX_PATH] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t), type = 0;
    std::wstring folder;
    if (RegQueryValueExW(key, L"OutputFolder", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        folder = buffer;
    RegCloseKey(key);
    return folder;
}

void Count(const wchar_t* name, long delta) {
    HKEY key = OpenKey();
    if (!key) return;
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    value = static_cast<DWORD>(static_cast<long>(value) + delta);
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    RegCloseKey(key);
}

void SetText(const wchar_t* name, const std::wstring& text) {
    HKEY key = OpenKey();
    if (!key) return;
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace StandinRecord
