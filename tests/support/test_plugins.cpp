#include "tests/support/test_plugins.h"

#include <windows.h>

#include "tests/support/test_support.h"

std::string testPluginFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of("\\/"));
    return folder + "\\test_plugins";
}

std::string testPluginPath(const char* name) { return testPluginFolder() + "\\" + name + ".dll"; }

std::string copyTestPlugin(const TempDir& dir, const char* name, const std::string& fileName) {
    std::string target = dir.file(fileName);
    CopyFileA(testPluginPath(name).c_str(), target.c_str(), FALSE);
    return target;
}
