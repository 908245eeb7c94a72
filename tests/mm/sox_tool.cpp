#include "tests/mm/sox_tool.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "tests/support/test_support.h"

namespace {
typedef char*(__cdecl* UnixFileName)(const wchar_t*);
}

std::string unixPath(const std::string& windowsPath) {
    static UnixFileName convert =
        (UnixFileName)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!convert) return "";
    std::vector<wchar_t> wide(windowsPath.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), (int)wide.size());
    char* path = convert(wide.data());
    if (!path) return "";
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

int runSox(const std::string& arguments) { return runUnixTool("sox " + arguments); }

int runUnixTool(const std::string& commandLine) {
    // Wine starts a Unix program without a process handle to wait on: the shell leaves the program's
    // exit code in a file, renamed into place once complete.
    TempDir dir;
    std::string done = unixPath(dir.file("done"));
    std::string script = commandLine + "; echo $? > '" + done + ".part'; mv '" + done + ".part' '" + done + "'";
    std::string command = "/bin/sh -c \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int waited = 0; waited < 60000; waited += 5) {
        if (dir.exists("done")) {
            int code = -1;
            sscanf(dir.read("done").c_str(), "%d", &code);
            return code;
        }
        Sleep(5);
    }
    return -1;
}
