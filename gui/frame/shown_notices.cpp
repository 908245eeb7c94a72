#include "gui/frame/shown_notices.h"

#include <algorithm>

#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "gui/kernel/message_box.h"

static std::vector<u32>& noticeSet() {
    static std::vector<u32> keys;
    return keys;
}

const std::vector<u32>& shownNotices() { return noticeSet(); }

i32 findNotice(u32 key) {
    const std::vector<u32>& keys = noticeSet();
    auto at = std::lower_bound(keys.begin(), keys.end(), key);
    return at != keys.end() && *at == key ? (i32)(at - keys.begin()) : -1;
}

void markNoticeShown(u32 key) {
    std::vector<u32>& keys = noticeSet();
    auto at = std::lower_bound(keys.begin(), keys.end(), key);
    if (at == keys.end() || *at != key) keys.insert(at, key);
}

bool showNoticeOnce(u32 key, const char* text) {
    if (findNotice(key) >= 0) return false;
    markNoticeShown(key);
    showMessageBox(&mbInformation, nullptr, text);
    return true;
}

bool saveNotices(const char* path) {
    GString name;
    stringAssignText(name, path);
    expandPathMacros(name);
    const std::vector<u32>& keys = noticeSet();
    GFile file;
    if (!fileOpen(file, name.c_str(), FileMode::Write)) return false;
    u32 count = (u32)keys.size();
    bool ok = fileWrite(file, &count, 4) && (count == 0 || fileWrite(file, keys.data(), count * 4));
    return fileClose(file) && ok;
}

void loadNotices(const char* path) {
    std::vector<u32>& keys = noticeSet();
    keys.clear();
    GString name;
    stringAssignText(name, path);
    expandPathMacros(name);
    if (name.length == 0 || !pathIsFile(name.c_str())) return;
    GFile file;
    file.flags = FileFlag::Quiet;
    try {
        u32 count = 0;
        if (!fileOpen(file, name.c_str(), FileMode::Read | FileFlag::Quiet) || !fileRead(file, &count, 4)) return;
        // The count is trusted only as far as the file holds keys.
        i64 size = fileSize(file);
        if (size < 4 || count > (u64)(size - 4) / 4) return;
        std::vector<u32> loaded(count);
        if (count && !fileRead(file, loaded.data(), count * 4)) return;
        std::sort(loaded.begin(), loaded.end());
        loaded.erase(std::unique(loaded.begin(), loaded.end()), loaded.end());
        keys.swap(loaded);
    } catch (const GException&) {
        keys.clear();
    }
}
