#include "platform/base/registry.h"

#include <windows.h>

#include "platform/base/win32/wide.h"

namespace plat {

namespace {

HKEY hiveKey(RegHive hive) {
    switch (hive) {
        case RegCurrentUser: return HKEY_CURRENT_USER;
        case RegLocalMachine: return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

}  // namespace

bool regOpenKey(RegHive hive, const std::string& subKey, uint32_t viewFlags, RegKey& key) {
    HKEY root = hiveKey(hive);
    if (!root) return false;
    // Only the two view flags pass: the access is always read-only.
    const REGSAM access = KEY_READ | (viewFlags & (KEY_WOW64_64KEY | KEY_WOW64_32KEY));
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, win32::toWide(subKey).c_str(), 0, access, &opened) != ERROR_SUCCESS) return false;
    key.handle = opened;
    key.hive = hive;
    key.path = subKey;
    return true;
}

void regCloseKey(RegKey& key) {
    if (key.handle) RegCloseKey(static_cast<HKEY>(key.handle));
    key = RegKey{};
}

bool regEnumSubKey(const RegKey& key, uint32_t index, std::string& name) {
    if (!key.handle) return false;
    wchar_t buffer[kRegNameUnits + 1];
    DWORD units = kRegNameUnits + 1;  // with room for the terminator
    if (RegEnumKeyExW(static_cast<HKEY>(key.handle), index, buffer, &units, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return false;
    name = win32::fromWide(buffer, units);
    return true;
}

bool regQueryValue(const RegKey& key, const std::string& valueName, RegValue& value) {
    if (!key.handle) return false;
    // One unit more than the longest value, so the reader can always add a terminator.
    wchar_t buffer[kRegValueUnits + 1];
    DWORD type = 0;
    DWORD bytes = kRegValueUnits * sizeof(wchar_t);
    if (RegQueryValueExW(static_cast<HKEY>(key.handle), win32::toWide(valueName).c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS)
        return false;
    const size_t units = bytes / sizeof(wchar_t);
    value.type = type;
    value.data.assign(buffer, buffer + units);
    return true;
}

}  // namespace plat
