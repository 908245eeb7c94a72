#include "setup/file_types.h"

#include "core/paths.h"
#include "gui/kernel/application.h"
#include "setup/install_record.h"
#include "setup/registry_key.h"

const FileType programFileTypes[4] = {
    {".ravo", "Ravo.ravo", "Ravo Project file"},
    {".ovt", "Ravo.ovt", "Ravo Spectrum file"},
    {".bins", "Ravo.bins", "Ravo Instrument file"},
    {".md", "Ravo.md", "Ravo Notes file"},
};

namespace {
// Class keys are written in this order.
const u32 kClassOrder[4] = {0, 1, 3, 2};

// An extension key we may write or delete: absent, or its value names our class.
bool extensionIsOurs(const FileType& type) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, type.extension, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return true;
    char value[1024] = {};
    DWORD kind = 0, size = sizeof value - 1;
    LONG r = RegQueryValueExA(key, nullptr, nullptr, &kind, (BYTE*)value, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return size == 0 || r == ERROR_FILE_NOT_FOUND;
    return kind == REG_SZ && !strcmp(value, type.className);
}

bool removeTypes(RegistryKey& key) {
    for (const FileType& type : programFileTypes)
        if (extensionIsOurs(type) && !key.deleteTree(HKEY_CLASSES_ROOT, type.extension)) return false;
    for (const FileType& type : programFileTypes)
        if (!key.deleteTree(HKEY_CLASSES_ROOT, type.className)) return false;
    return true;
}

bool createWithValue(RegistryKey& key, const char* subkey, const char* value) {
    return key.create(HKEY_CLASSES_ROOT, subkey) && key.setString(nullptr, value);
}
}  // namespace

bool FileTypeRegistrar::registerFileTypes(ErrorHandler* handler, const InstallRecord& record, const char* installFolder) {
    if (!(hasMachineRights ? hasMachineRights : canWriteMachineRegistry)()) return true;
    GString icon(installFolder);
    pathJoin(icon, record.exeName.c_str());
    stringAppend(icon, ", 0");
    GString program(installFolder);
    pathJoin(program, "ravo.exe");
    GString command;
    stringFormat(command, "\"%s\" \"%%1\"", program.c_str());

    RegistryKey key(handler);
    bool ours[4];
    for (u32 i = 0; i < 4; ++i) ours[i] = extensionIsOurs(programFileTypes[i]);
    if (!removeTypes(key)) return false;
    for (u32 i = 0; i < 4; ++i)
        if (ours[i] && !createWithValue(key, programFileTypes[i].extension, programFileTypes[i].className)) return false;
    for (u32 i : kClassOrder) {
        const FileType& type = programFileTypes[i];
        GString sub(type.className);
        u32 base = sub.length;
        if (!createWithValue(key, sub.c_str(), type.description)) return false;
        stringAppend(sub, "\\DefaultIcon");
        if (!createWithValue(key, sub.c_str(), icon.c_str())) return false;
        stringTruncate(sub, sub.length - base);
        stringAppend(sub, "\\shell");
        if (!createWithValue(key, sub.c_str(), "open")) return false;
        stringAppend(sub, "\\open\\command");
        if (!createWithValue(key, sub.c_str(), command.c_str())) return false;
    }
    key.close();
    return ensureDataFolder() && writeDataFile("lang", languageCode.c_str());
}

bool FileTypeRegistrar::unregisterFileTypes(ErrorHandler* handler, const InstallRecord&, const char*) {
    RegistryKey key(handler);
    return removeTypes(key);
}
