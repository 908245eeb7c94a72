#include "gui/frame/help.h"

#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "core/paths.h"
#include "gui/frame/shown_notices.h"
#include "gui/input/busy_cursor.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window.h"

namespace {
char emptyText[] = "";

void systemShellOpen(void* owner, const char* address) {
    ShellExecuteA((HWND)owner, "open", address, nullptr, nullptr, SW_SHOWNORMAL);
}

bool startsWith(const char* text, const char* prefix) { return strncmp(text, prefix, strlen(prefix)) == 0; }

// Appends the part after a separator, leaving out a separator the text already ends with or the
// part begins with.
void appendJoined(GString& path, const char* part) {
    while (*part == '\\' || *part == '/') ++part;
    if (path.length && path.data[path.length - 1] != '\\' && path.data[path.length - 1] != '/')
        stringAppendChar(path, '\\');
    stringAppend(path, part);
}
}  // namespace

char* helpMissingText = emptyText;
char* helpNoticeText = emptyText;
// The store of shown notices: true the first time a key is asked.
static bool firstNoticeOfKey(u32 key) {
    if (findNotice(key) >= 0) return false;
    markNoticeShown(key);
    return true;
}

NoticeOnceHook noticeOnce = firstNoticeOfKey;
ShellOpen shellOpen = systemShellOpen;

// The local path of a page, slashes only.
static GString helpPath(const char* page) {
    GString path = programFolder();
    appendJoined(path, "Data/help");
    appendJoined(path, page);
    for (u32 i = 0; i < path.length; ++i)
        if (path.data[i] == '\\') path.data[i] = '/';
    return path;
}

GString helpAddress(const char* page) {
    if (startsWith(page, "http://") || startsWith(page, "file://")) return GString(page);
    GString path = helpPath(page);
    GString address;
    if (!path.length || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return address;
    stringAssignText(address, "file://");
    stringAppend(address, path.c_str());
    return address;
}

void openHelp(const char* page, GWindow* window) {
    BusyCursor busy;
    GString address = helpAddress(page ? page : "");
    if (!address.length) {
        GString path = helpPath(page ? page : "");
        if (*helpMissingText) showErrorF(window, helpMissingText, path.c_str());
        return;
    }
    if (noticeOnce && noticeOnce(2) && *helpNoticeText) showMessageBox(&mbInformation, window, helpNoticeText);
    shellOpen(window ? window->hwnd : nullptr, address.c_str());
}
