#include "tools/codec_install.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <strings.h>

namespace {
u32 systemWinExec(const char* commandLine, u32 show) { return WinExec(commandLine, show); }
intptr_t systemShellExecute(void* owner, const char* verb, const char* file) {
    return (intptr_t)ShellExecuteA((HWND)owner, verb, file, nullptr, nullptr, SW_SHOWNORMAL);
}

const char* extensionOf(const char* path) {
    const char* dot = strrchr(path, '.');
    const char* slash = strrchr(path, '\\');
    return dot && (!slash || dot > slash) ? dot + 1 : "";
}
}  // namespace

CodecLauncher codecLauncher = {systemWinExec, systemShellExecute};

std::string quotedPath(const char* path) { return std::string("\"") + path + "\""; }

bool installCodecFile(void* owner, const char* path) {
    const char* ext = extensionOf(path);
    if (!strcasecmp(ext, "exe") || !strcasecmp(ext, "bat")) {
        codecLauncher.winExec(quotedPath(path).c_str(), SW_SHOW);
        return true;
    }
    if (!strcasecmp(ext, "ax") || !strcasecmp(ext, "dll")) {
        codecLauncher.winExec(("regsvr32 " + quotedPath(path)).c_str(), SW_SHOW);
        return true;
    }
    const char* verb = !strcasecmp(ext, "inf") ? "install" : "open";
    return codecLauncher.shellExecute(owner, verb, path) > 32;
}
