#include "setup/registry_key.h"

#include <cstring>

#include "app/installer_texts.h"
#include "core/error.h"
#include "core/paths.h"
#include "core/system.h"

const char* const kUninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

namespace {
const u32 kNameBuffer = 1024;

bool fail(ErrorHandler* sink, InstallerText message, const char* name, LONG code) {
    GString detail(name);
    if (code != ERROR_SUCCESS) {
        GString system = systemErrorText((u32)code);
        stringAppendFormat(detail, ": %s", system.c_str());
    }
    reportMessageDetail(sink, installerText(message), detail.c_str(), 0);
    return false;
}
}  // namespace

HKEY RegistryKey::rootOf(const char* path) {
    static const struct {
        const char* text;
        HKEY root;
    } roots[] = {{"HKCR", HKEY_CLASSES_ROOT}, {"HKLM", HKEY_LOCAL_MACHINE}, {"HKCU", HKEY_CURRENT_USER}, {"HKUS", HKEY_USERS}};
    if (path)
        for (const auto& row : roots)
            if (!strncmp(path, row.text, 4)) return row.root;
    fail(sink, InstallerText::RegistryBadRoot, path, ERROR_SUCCESS);
    return nullptr;
}

const char* RegistryKey::subkeyOf(const char* path) { return path && strlen(path) > 5 ? path + 5 : ""; }

void RegistryKey::close() {
    if (key) RegCloseKey(key);
    key = nullptr;
}

bool RegistryKey::openForReading(const char* path) {
    close();
    HKEY root = rootOf(path);
    if (!root) return false;
    LONG r = RegOpenKeyExA(root, subkeyOf(path), 0, KEY_QUERY_VALUE, &key);
    if (r == ERROR_SUCCESS) return true;
    key = nullptr;
    return fail(sink, InstallerText::RegistryOpenFailed, subkeyOf(path), r);
}

bool RegistryKey::create(HKEY root, const char* subkey) {
    close();
    LONG r = RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_QUERY_VALUE, nullptr, &key,
                             nullptr);
    if (r == ERROR_SUCCESS) return true;
    key = nullptr;
    return fail(sink, InstallerText::RegistryCreateFailed, subkey, r);
}

bool RegistryKey::create(const char* path) {
    HKEY root = rootOf(path);
    return root && create(root, subkeyOf(path));
}

bool RegistryKey::exists(HKEY root, const char* subkey) {
    HKEY probe;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &probe) != ERROR_SUCCESS) return false;
    RegCloseKey(probe);
    return true;
}

bool RegistryKey::deleteTree(HKEY root, const char* subkey) {
    if (!root || !subkey || !*subkey) return false;
    HKEY opened;
    LONG r = RegOpenKeyExA(root, subkey, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE, &opened);
    if (r == ERROR_FILE_NOT_FOUND) return true;
    if (r != ERROR_SUCCESS) return fail(sink, InstallerText::RegistryDeleteFailed, subkey, r);
    char name[kNameBuffer];
    for (;;) {
        DWORD n = sizeof name;
        r = RegEnumKeyExA(opened, 0, name, &n, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || !deleteTree(opened, name)) {
            RegCloseKey(opened);
            return r == ERROR_SUCCESS ? false : fail(sink, InstallerText::RegistryDeleteFailed, subkey, r);
        }
    }
    RegCloseKey(opened);
    r = RegDeleteKeyA(root, subkey);
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) return fail(sink, InstallerText::RegistryDeleteFailed, subkey, r);
    return true;
}

bool RegistryKey::setString(const char* name, const char* value) {
    if (!value) value = "";
    LONG r = key ? RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1)
                 : ERROR_INVALID_HANDLE;
    return r == ERROR_SUCCESS || fail(sink, InstallerText::RegistryWriteFailed, name && *name ? name : "(default)", r);
}

bool RegistryKey::getString(const char* name, GString& out) {
    char buffer[kNameBuffer];
    DWORD type = 0, size = sizeof buffer - 1;
    LONG r = key ? RegQueryValueExA(key, name, nullptr, &type, (BYTE*)buffer, &size) : ERROR_INVALID_HANDLE;
    if (r == ERROR_SUCCESS && type == REG_SZ) {
        buffer[size] = 0;
        stringAssignText(out, buffer);
        return true;
    }
    stringClear(out);
    return fail(sink, InstallerText::RegistryReadFailed, name && *name ? name : "(default)",
                r == ERROR_SUCCESS ? ERROR_INVALID_DATATYPE : r);
}

bool readInstallLocation(ErrorHandler* sink, const char* keyName, GString& folder) {
    GString path(kUninstallKey);
    stringAppend(path, keyName && *keyName ? keyName : productName().c_str());
    RegistryKey key(sink);
    return key.openForReading(path.c_str()) && key.getString("InstallLocation", folder);
}
