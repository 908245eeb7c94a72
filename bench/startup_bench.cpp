// The real ravo.exe started as a process: the time until its main window shows, and the time a
// second start's file takes to open as a tab of the first.
#include <cstring>
#include <functional>
#include <string>

#include "bench/bench.h"
#include "core/paths.h"

namespace {
std::string programPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\')) + "\\ravo.exe";
}

std::string ravoDataFile(const char* name) {
    std::string own = dataFolder().c_str();
    return own.substr(0, own.find_last_of('\\')) + "\\Ravo\\" + name;
}

struct Search {
    DWORD pid;
    const char* prefix;
    HWND found;
};
BOOL CALLBACK findWindow(HWND hwnd, LPARAM arg) {
    Search* s = reinterpret_cast<Search*>(arg);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char title[128] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (pid == s->pid && IsWindowVisible(hwnd) && strncmp(title, s->prefix, strlen(s->prefix)) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
HWND windowOf(DWORD pid, const char* prefix) {
    Search s{pid, prefix, nullptr};
    EnumWindows(findWindow, (LPARAM)&s);
    return s.found;
}

bool waitFor(const std::function<bool()>& condition, double seconds = 20) {
    for (double end = benchSeconds() + seconds; benchSeconds() < end; Sleep(1))
        if (condition()) return true;
    return false;
}

PROCESS_INFORMATION start(const std::string& arguments) {
    std::string exe = programPath();
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
    if (info.hThread) CloseHandle(info.hThread);
    return info;
}

// Asks the running instance to quit through the command file and waits for it.
void stop(PROCESS_INFORMATION& info) {
    std::string command = ravoDataFile("command");
    waitFor([&] { return GetFileAttributesA(command.c_str()) == INVALID_FILE_ATTRIBUTES; });
    std::string temp = benchFolder() + "\\stop";
    HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "-stop", 5, &written, nullptr);
    CloseHandle(h);
    MoveFileA(temp.c_str(), command.c_str());
    if (WaitForSingleObject(info.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
}
}  // namespace

RAVO_BENCH(startup) {
    std::vector<double> shown, handed;
    std::string file = benchFolder() + "\\handed.bin";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "0123456789abcdef", 16, &written, nullptr);
    CloseHandle(h);
    for (int run = 0; run < 3; ++run) {
        DeleteFileA(ravoDataFile("ravo_layout.ini").c_str());
        double t0 = benchSeconds();
        PROCESS_INFORMATION first = start("");
        HWND main = nullptr;
        if (!waitFor([&] { return (main = windowOf(first.dwProcessId, "Ravo - Welcome")) != nullptr; })) {
            TerminateProcess(first.hProcess, 1);
            CloseHandle(first.hProcess);
            benchResult("startup_failed", 0, "");
            return;
        }
        shown.push_back((benchSeconds() - t0) * 1000);
        // From the second start until the first shows the file's page.
        t0 = benchSeconds();
        PROCESS_INFORMATION second = start("\"" + file + "\"");
        bool opened = waitFor([&] { return windowOf(first.dwProcessId, "Ravo - Analyzer") != nullptr; });
        if (opened) handed.push_back((benchSeconds() - t0) * 1000);
        WaitForSingleObject(second.hProcess, 10000);
        CloseHandle(second.hProcess);
        stop(first);
    }
    // The windows of the measurement's file are not left for the next start.
    DeleteFileA(ravoDataFile("ravo_layout.ini").c_str());
    benchResult("startup_main_window_shown", benchMedian(shown), "ms");
    if (!handed.empty()) benchResult("startup_second_start_file_opened", benchMedian(handed), "ms");
}
