#pragma once
// RegistryKey: one open registry key named by a text path ("HKCR\sub\key"); every failure goes,
// with the key or value name, to the error sink. The key is closed by the object.
#include <windows.h>

#include "core/gstring.h"

class ErrorHandler;

class RegistryKey {
public:
    explicit RegistryKey(ErrorHandler* sink = nullptr) : sink(sink) {}
    ~RegistryKey() { close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // The root of "HKCR", "HKLM", "HKCU" or "HKUS"; any other reports and gives null.
    HKEY rootOf(const char* path);
    // The subkey part of a path (from its sixth character), "" when there is none.
    static const char* subkeyOf(const char* path);
    bool openForReading(const char* path);
    bool create(HKEY root, const char* subkey);
    bool create(const char* path);
    // Deletes the key and everything below it; a missing key is no failure.
    bool deleteTree(HKEY root, const char* subkey);
    bool setString(const char* name, const char* value);
    // Reads a string value of at most 1024 bytes; a missing value or another type empties `out`.
    bool getString(const char* name, GString& out);
    // True when the subkey exists (nothing reported).
    static bool exists(HKEY root, const char* subkey);
    void close();

    HKEY key = nullptr;
    ErrorHandler* sink;
};

// "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\", the parent of the uninstall entries.
extern const char* const kUninstallKey;
// The "InstallLocation" of the product's uninstall entry (the product name when keyName is empty).
bool readInstallLocation(ErrorHandler* sink, const char* keyName, GString& folder);
