// The real ravo.exe under Wine, started as processes of its own: the failed start without the codec
// library, the first start's main window, and the hand-over between two instances through the lock
// and the command file of the program's data folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/paths.h"
#include "tests/support/test_support.h"

namespace {
std::string programFolderPath() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\'));
}

// The data folder of the real program (the tests' own has another product name).
std::string ravoDataFolder() {
    std::string own = dataFolder().c_str();
    return own.substr(0, own.find_last_of('\\')) + "\\Ravo";
}
std::string ravoDataFile(const char* name) { return ravoDataFolder() + "\\" + name; }

bool waitFor(const std::function<bool()>& condition, DWORD ms = 15000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(20))
        if (condition()) return true;
    return condition();
}

struct Found {
    DWORD pid;
    std::vector<HWND> windows;
};
BOOL CALLBACK collect(HWND hwnd, LPARAM arg) {
    Found* found = reinterpret_cast<Found*>(arg);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == found->pid && IsWindowVisible(hwnd)) found->windows.push_back(hwnd);
    return TRUE;
}

std::string titleOf(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

BOOL CALLBACK countChild(HWND, LPARAM arg) {
    ++*reinterpret_cast<int*>(arg);
    return TRUE;
}
int childCount(HWND hwnd) {
    int n = 0;
    EnumChildWindows(hwnd, countChild, (LPARAM)&n);
    return n;
}
// The count once it has stayed the same for half a second (a page makes its windows one by one).
int settledChildCount(HWND hwnd) {
    int last = -1, same = 0;
    waitFor([&] {
        int now = childCount(hwnd);
        same = now == last ? same + 1 : 0;
        last = now;
        return same >= 25;
    });
    return last;
}

// One ravo.exe; ended by the test when it is still running at the end.
class Program {
public:
    Program(const std::string& exe, const std::string& arguments) {
        std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &info) != FALSE;
        if (info.hThread) CloseHandle(info.hThread);
    }
    ~Program() {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info.hProcess, 1);
                WaitForSingleObject(info.hProcess, 5000);
            }
            CloseHandle(info.hProcess);
        }
    }
    std::vector<HWND> windows() {
        Found found{info.dwProcessId, {}};
        EnumWindows(collect, (LPARAM)&found);
        return found.windows;
    }
    HWND windowTitled(const std::string& title) {
        for (HWND w : windows())
            if (titleOf(w) == title) return w;
        return nullptr;
    }
    HWND windowTitledFrom(const std::string& start) {
        for (HWND w : windows())
            if (titleOf(w).rfind(start, 0) == 0) return w;
        return nullptr;
    }
    // The exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD exitCode(DWORD ms = 15000) {
        WaitForSingleObject(info.hProcess, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info.hProcess, &code);
        return code;
    }

    bool started = false;
    PROCESS_INFORMATION info = {};
};

class RealProgram : public ::testing::Test {
protected:
    void SetUp() override {
        exe = programFolderPath() + "\\ravo.exe";
        // A fresh start: no stored windows, no command left over.
        DeleteFileA(ravoDataFile("ravo_layout.ini").c_str());
        DeleteFileA(ravoDataFile("command").c_str());
    }
    // The windows of the test's files are not left for the next start.
    void TearDown() override { DeleteFileA(ravoDataFile("ravo_layout.ini").c_str()); }
    // The main window of a first instance, once it shows.
    HWND mainWindow(Program& program, const char* title = "Ravo - Welcome") {
        HWND found = nullptr;
        waitFor([&] { return (found = program.windowTitled(title)) != nullptr; });
        return found;
    }
    // Asks the running instance to quit as the installer does, and waits for it.
    void stop(Program& program) {
        CreateDirectoryA(ravoDataFolder().c_str(), nullptr);
        waitFor([&] { return GetFileAttributesA(ravoDataFile("command").c_str()) == INVALID_FILE_ATTRIBUTES; });
        TempDir dir;
        dir.write("stop", "-stop");
        MoveFileA(dir.file("stop").c_str(), ravoDataFile("command").c_str());
        EXPECT_EQ(0u, program.exitCode());
    }
    std::string exe;
};
}  // namespace

TEST_F(RealProgram, WithoutTheCodecLibraryAnErrorBoxAndExitMinusOne) {
    TempDir dir;
    ASSERT_TRUE(CopyFileA(exe.c_str(), dir.file("ravo.exe").c_str(), FALSE));
    Program program(dir.file("ravo.exe"), "");
    ASSERT_TRUE(program.started);
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = program.windowTitled("Error")) != nullptr; }));
    // The start ended before any main window (the splash may still stand behind the box).
    for (HWND w : program.windows()) EXPECT_EQ(std::string::npos, titleOf(w).find("Ravo -"));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ((DWORD)-1, program.exitCode());
}

TEST_F(RealProgram, ADataFolderThatCannotBeMadeIsSaidAndEndsTheStart) {
    // A file where the folder would be; the folder itself is put aside for the test's length.
    std::string folder = ravoDataFolder(), aside = folder + ".aside";
    MoveFileA(folder.c_str(), aside.c_str());
    struct Restore {
        std::string folder, aside;
        ~Restore() {
            DeleteFileA(folder.c_str());
            MoveFileA(aside.c_str(), folder.c_str());
        }
    } restore{folder, aside};
    HANDLE file = CreateFileA(folder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    Program program(exe, "");
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = program.windowTitled("Error")) != nullptr; }));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ((DWORD)-1, program.exitCode());
}

TEST_F(RealProgram, FirstStartShowsOneMainWindowWithTheWelcomeTab) {
    Program program(exe, "");
    ASSERT_TRUE(program.started);
    HWND main = mainWindow(program);
    ASSERT_NE(nullptr, main);
    // The splash has gone; File, Window and Help on the bar.
    waitFor([&] { return program.windows().size() == 1; });
    EXPECT_EQ(1u, program.windows().size());
    // A menu bar above the client area (its items are read in the window tests: another
    // process's menus cannot be read under Wine).
    RECT r;
    GetWindowRect(main, &r);
    POINT client{0, 0};
    ClientToScreen(main, &client);
    EXPECT_GE(client.y - r.top, GetSystemMetrics(SM_CYMENU));
    EXPECT_GE(r.right - r.left, 800);
    stop(program);
}

TEST_F(RealProgram, SecondStartsHandTheirFilesToTheFirst) {
    TempDir dir;
    dir.write("a.bin", std::string(64, 'a'));
    dir.write("b.dat", std::string(64, 'b'));
    Program first(exe, "");
    HWND main = mainWindow(first);
    ASSERT_NE(nullptr, main);
    const int base = settledChildCount(main);

    // A file name: opened in a tab of the first (an analyzer page, with windows of its own); the
    // second ends with 0.
    Program second(exe, "\"" + dir.file("a.bin") + "\"");
    EXPECT_EQ(0u, second.exitCode());
    ASSERT_TRUE(waitFor([&] { return titleOf(main).rfind("Ravo - Analyzer", 0) == 0; })) << titleOf(main);
    const int withOne = settledChildCount(main);
    EXPECT_GT(withOne, base);

    // No arguments ("-nop"), and the same file twice: no page more. The next file is queued after
    // them, so its page shows that they made none.
    Program nothing(exe, "");
    EXPECT_EQ(0u, nothing.exitCode());
    Program again(exe, "\"" + dir.file("a.bin") + "\" \"" + dir.file("a.bin") + "\"");
    EXPECT_EQ(0u, again.exitCode());
    Program other(exe, "\"" + dir.file("b.dat") + "\"");
    EXPECT_EQ(0u, other.exitCode());
    waitFor([&] { return GetFileAttributesA(ravoDataFile("command").c_str()) == INVALID_FILE_ATTRIBUTES; });
    ASSERT_TRUE(waitFor([&] { return childCount(main) > withOne; }));
    // One page's windows more, not two (the first page also made the strip's own).
    EXPECT_LE(settledChildCount(main) - withOne, withOne - base);

    // "-stop" with nothing queued ends the first.
    stop(first);
}

TEST_F(RealProgram, ASecondStartTakesTheLockWhenTheFirstQuits) {
    CreateDirectoryA(ravoDataFolder().c_str(), nullptr);
    // This test holds the lock with a command pending, as a first instance about to quit would.
    HANDLE lock = CreateFileA(ravoDataFile("running").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    TempDir dir;
    dir.write("nop", "-nop");
    ASSERT_TRUE(MoveFileA(dir.file("nop").c_str(), ravoDataFile("command").c_str()));
    Program waiting(exe, "");
    ASSERT_TRUE(waiting.started);
    EXPECT_EQ((DWORD)STILL_ACTIVE, waiting.exitCode(500));
    EXPECT_TRUE(waiting.windows().empty());
    CloseHandle(lock);
    DeleteFileA(ravoDataFile("command").c_str());
    EXPECT_NE(nullptr, mainWindow(waiting));
    stop(waiting);
}

namespace {
// Pixels of the window's client area that the test accepts, read from the screen (another
// process's window).
int countPixels(HWND hwnd, const std::function<bool(COLORREF)>& accepted) {
    RECT r;
    GetClientRect(hwnd, &r);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, r.right, r.bottom, screen, origin.x, origin.y, SRCCOPY);
    int n = 0;
    for (int y = 0; y < r.bottom; y += 1)
        for (int x = 0; x < r.right; x += 1) {
            COLORREF c = GetPixel(dc, x, y);
            if (c != CLR_INVALID && accepted(c)) ++n;
        }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return n;
}
// Clearly green pixels (the pane's stems and marker).
int greenPixels(HWND hwnd) {
    return countPixels(hwnd, [](COLORREF c) {
        return GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40;
    });
}
HWND windowAtClient(HWND main, double fx, double fy) {
    RECT r;
    GetClientRect(main, &r);
    POINT p{(LONG)(r.right * fx), (LONG)(r.bottom * fy)};
    ClientToScreen(main, &p);
    return WindowFromPoint(p);
}
}  // namespace

namespace {
// A spectrum file of four harmonics (110, 220, 440, 660 Hz; the strongest, 30000, in row 2).
std::string fourHarmonics() {
    std::string bytes;
    auto put = [&](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); };
    const u32 head[6] = {0x2354564F, 24, 768, 2, 44100, 16384}, count = 4;
    put(head, sizeof head);
    put(&count, 4);
    const double freq[4] = {110, 220, 440, 660}, amp[4] = {8000, 6000, 30000, 5000};
    for (int i = 0; i < 4; ++i) {
        unsigned char rec[56] = {};
        memcpy(rec, &amp[i], 8);
        memcpy(rec + 8, &freq[i], 8);
        memcpy(rec + 32, &freq[i], 8);
        put(rec, 56);
    }
    return bytes;
}

// The energy of the samples at the frequency (Goertzel), per sample.
double energyAt(const std::vector<short>& x, double frequency) {
    const double w = 2 * 3.14159265358979323846 * frequency / 44100, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (short v : x) {
        const double s0 = v + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - c * s1 * s2) / x.size();
}

// The main window once it shows the spectrum page, with its children in place; null when none came.
HWND spectrumWindowOf(Program& program) {
    HWND main = nullptr;
    waitFor([&] {
        for (HWND w : program.windows())
            if (titleOf(w).find("four.ovt") != std::string::npos || titleOf(w).find("Spectrum") != std::string::npos) main = w;
        return main != nullptr;
    });
    if (main) settledChildCount(main);
    return main;
}
}  // namespace

TEST_F(RealProgram, ASpectrumFileOpensInItsPageAndADeleteLeavesThePane) {
    TempDir dir;
    dir.write("four.ovt", fourHarmonics());
    Program program(exe, "\"" + dir.file("four.ovt") + "\"");
    HWND main = spectrumWindowOf(program);
    ASSERT_NE(main, nullptr);
    HWND pane = windowAtClient(main, 0.5, 0.8);
    HWND table = windowAtClient(main, 0.3, 0.25);
    ASSERT_NE(pane, table);
    ASSERT_TRUE(waitFor([&] { return greenPixels(pane) > 100; }));
    const int shown = greenPixels(pane);
    // The caret on row 2 by a click on it (the pane's marker comes), then Delete as the menu sends it.
    LPARAM at = MAKELPARAM(40, 3 * 19 + 9);
    PostMessageA(table, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(table, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(waitFor([&] { return greenPixels(pane) > shown + 40; }, 5000));
    const int before = greenPixels(pane);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(429, 0), 0);
    EXPECT_TRUE(waitFor([&] { return greenPixels(pane) < before - 40; }, 5000)) << before << " " << greenPixels(pane);
    stop(program);
}

// Two rows chosen with the mouse take the largest amplitude from the dialog of the real program, and
// TEST plays them through the machine's device.
TEST_F(RealProgram, SpectrumValueCommandAndPlaybackFromTheProgram) {
    const std::string out = deviceOutputPath();
    ASSERT_FALSE(out.empty());
    DeleteFileA(out.c_str());
    TempDir dir;
    dir.write("four.ovt", fourHarmonics());
    Program program(exe, "\"" + dir.file("four.ovt") + "\"");
    HWND main = spectrumWindowOf(program);
    ASSERT_NE(main, nullptr);
    HWND pane = windowAtClient(main, 0.5, 0.8);
    HWND table = windowAtClient(main, 0.3, 0.25);
    ASSERT_TRUE(waitFor([&] { return greenPixels(pane) > 100; }));
    const int shown = greenPixels(pane);
    // Rows 0 and 1 (8000 and 6000) by a click and a shift-click.
    PostMessageA(table, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 1 * 19 + 9));
    PostMessageA(table, WM_LBUTTONUP, 0, MAKELPARAM(40, 1 * 19 + 9));
    PostMessageA(table, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(40, 2 * 19 + 9));
    PostMessageA(table, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(40, 2 * 19 + 9));
    ASSERT_TRUE(waitFor([&] { return greenPixels(pane) > shown + 40; }, 5000));  // the marker
    const int before = greenPixels(pane);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(397, 0), 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (HWND w : program.windows())
            if (w != main && IsWindowVisible(w) && titleOf(w) == "Largest amplitude") dialog = w;
        return dialog != nullptr;
    }));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    // 8000 becomes 29490 (0.9 of full scale): its stem grows.
    EXPECT_TRUE(waitFor([&] { return greenPixels(pane) > before + 40; }, 5000)) << before << " " << greenPixels(pane);

    // Row 3 alone (660 Hz, 5000: no clipping) plays.
    PostMessageA(table, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 4 * 19 + 9));
    PostMessageA(table, WM_LBUTTONUP, 0, MAKELPARAM(40, 4 * 19 + 9));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(438, 0), 0);
    std::vector<short> held;
    ASSERT_TRUE(waitFor(
        [&] {
            HANDLE f = CreateFileA(out.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            if (f == INVALID_HANDLE_VALUE) return false;
            std::vector<short> all(44100 * 2 * 4);
            DWORD got = 0;
            ReadFile(f, all.data(), (DWORD)(all.size() * 2), &got, nullptr);
            CloseHandle(f);
            std::vector<short> left;
            for (DWORD i = 0; i + 1 < got / 2; i += 2) left.push_back(all[i]);
            size_t first = 0;
            while (first < left.size() && left[first] == 0) ++first;
            // The hold of the envelope: from 0.2 s after the tone starts, half a second.
            if (first + 44100 * 7 / 10 > left.size()) return false;
            held.assign(left.begin() + first + 8820, left.begin() + first + 8820 + 22050);
            return true;
        },
        10000));
    // The harmonic on its nearest bin (245 of 16384) well above a frequency not played.
    const double tone = energyAt(held, 44100.0 * 245 / 16384);
    const double off = energyAt(held, 1500.0);
    EXPECT_GT(tone, 1000 * off) << tone << " " << off;
    stop(program);
}

namespace {
const char* const kProductEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ravo";

// Pixels of exactly the colour.
int pixelsOf(HWND hwnd, COLORREF colour) {
    return countPixels(hwnd, [&](COLORREF c) { return c == colour; });
}

// A mouse click on the dialog's button of the id: the pointer moved onto it, then press and release.
bool clickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (!button) return false;
    RECT r;
    GetClientRect(button, &r);
    POINT p{r.right / 2, r.bottom / 2};
    ClientToScreen(button, &p);
    SetCursorPos(p.x, p.y);
    PostMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right / 2, r.bottom / 2));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(r.right / 2, r.bottom / 2));
    return true;
}

// Clicks the dialog's button once a window whose title starts so shows, and waits for the window
// to go unless it stays for what the click started; false when it did not show or go.
bool answer(Program& program, const char* title, int id, bool goes = true) {
    HWND window = nullptr;
    if (!waitFor([&] { return (window = program.windowTitledFrom(title)) != nullptr; })) return false;
    Sleep(300);  // its first paint and layout
    return clickButton(window, id) && (!goes || waitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }));
}

BOOL CALLBACK findEdit(HWND hwnd, LPARAM arg) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (std::string(name).find("edit") != std::string::npos || std::string(name).find("Edit") != std::string::npos) {
        *reinterpret_cast<HWND*>(arg) = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct TopWindow {
    std::string title;
    DWORD pid = 0;
    HWND hwnd = nullptr;
};
BOOL CALLBACK findTitled(HWND hwnd, LPARAM arg) {
    TopWindow* found = reinterpret_cast<TopWindow*>(arg);
    if (IsWindowVisible(hwnd) && titleOf(hwnd) == found->title) {
        found->hwnd = hwnd;
        GetWindowThreadProcessId(hwnd, &found->pid);
        return FALSE;
    }
    return TRUE;
}

std::string registryText(const char* value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductEntry, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
    char text[1024] = {};
    DWORD size = sizeof text - 1, type = 0;
    LONG status = RegQueryValueExA(key, value, nullptr, &type, (BYTE*)text, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? text : "(no value)";
}

bool pathThere(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

// The build's installer as a user runs it: the language, the page with its picture, a folder typed
// in, Install; the installed program starts, and its uninstall entry removes it again, the running
// uninstaller's own files last through the script.
TEST_F(RealProgram, TheBuildsInstallerInstallsAndItsEntryUninstalls) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductEntry);
    TempDir dir;
    std::string target = dir.file("Ravo App");
    Program installer(programFolderPath() + "\\installer\\ravo_install.exe", "");
    ASSERT_TRUE(installer.started);
    // The language list and its texts come from the installer's own members.
    ASSERT_TRUE(answer(installer, "Language", 1));

    HWND page = nullptr;
    ASSERT_TRUE(waitFor([&] { return (page = installer.windowTitledFrom("Install - Ravo")) != nullptr; }));
    Sleep(300);
    // The page's picture: the wave and its panel.
    EXPECT_GT(pixelsOf(page, RGB(255, 200, 0)), 40);
    EXPECT_GT(pixelsOf(page, RGB(0, 48, 96)), 400);
    HWND edit = nullptr;
    EnumChildWindows(page, findEdit, (LPARAM)&edit);
    ASSERT_NE(nullptr, edit);
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)target.c_str());
    ASSERT_TRUE(clickButton(page, 1));
    // Done: the completion box; then the page ends and the installed program starts.
    ASSERT_TRUE(answer(installer, "Information", 1));
    EXPECT_NE((DWORD)STILL_ACTIVE, installer.exitCode());

    // The installed copy (its record without payload) starts as the editor.
    TopWindow started{"Ravo - Welcome"};
    ASSERT_TRUE(waitFor([&] {
        EnumWindows(findTitled, (LPARAM)&started);
        return started.hwnd != nullptr;
    }));
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, started.pid);
    PostMessageA(started.hwnd, WM_CLOSE, 0, 0);
    if (process) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 15000));
        CloseHandle(process);
    }

    // The installed tail: the program with a record and no payload, the members, the entry.
    const std::string exePath = target + "\\ravo.exe";
    for (const char* name : {"\\ravo.exe", "\\darodeza.dll", "\\installer_logo.bmp", "\\Data\\lang\\lang.xml",
                             "\\Data\\lang\\en_kxin.bin"})
        EXPECT_TRUE(pathThere(target + name)) << name;
    EXPECT_EQ(target, registryText("InstallLocation"));
    EXPECT_EQ("\"" + exePath + "\" -uninstall -suicide", registryText("UninstallString"));
    EXPECT_EQ(exePath, registryText("DisplayIcon"));

    // The entry's command: the question, the removal, the script for the running files.
    std::string command = registryText("UninstallString");
    std::string arguments = command.substr(command.find("\" ") + 2);
    Program uninstaller(exePath, arguments);
    ASSERT_TRUE(answer(uninstaller, "Uninstall", 1, false));
    ASSERT_TRUE(answer(uninstaller, "Information", 1));
    EXPECT_NE((DWORD)STILL_ACTIVE, uninstaller.exitCode());
    EXPECT_TRUE(waitFor([&] { return !pathThere(target); }, 30000)) << "the folder stays";
    EXPECT_FALSE(pathThere(target + "\\Data"));
    EXPECT_EQ("(no key)", registryText("InstallLocation"));
    DeleteFileA(ravoDataFile("ravo_layout.ini").c_str());
}
