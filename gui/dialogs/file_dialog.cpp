#include "gui/dialogs/file_dialog.h"

#include <cstring>

#include "core/gfile.h"
#include "core/paths.h"
#include "core/wide_text.h"
#include "gui/kernel/gui_texts.h"

namespace {
bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Calls f(pattern, length) for each pattern of a ";" list until it answers true.
template <class F>
bool forEachPattern(const char* list, F f) {
    while (*list) {
        const char* end = strchr(list, ';');
        u32 n = end ? (u32)(end - list) : (u32)strlen(list);
        while (n && *list == ' ') ++list, --n;
        if (n && f(list, n)) return true;
        if (!end) break;
        list = end + 1;
    }
    return false;
}

// The extension of "*.ext" (not "*.*"), or null.
const char* patternExtension(const char* pattern, u32 n, u32* length) {
    if (n < 3 || pattern[0] != '*' || pattern[1] != '.' || (n == 3 && pattern[2] == '*')) return nullptr;
    *length = n - 2;
    return pattern + 2;
}

bool sameText(const char* a, u32 n, const char* b) { return strlen(b) == n && _strnicmp(a, b, n) == 0; }
}  // namespace

GFileDialog::GFileDialog(char** filterText, const char* defaultExtension, const char* initialFolder)
    : filterText(filterText) {
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    stringAssignText(this->defaultExtension, defaultExtension);
    setNameBuffer(FileNameChars + 1, nullptr);
    if (initialFolder) {
        stringAssignText(folderText, initialFolder);
        expandPathMacros(folderText);
    }
    pointBlock();
}

GFileDialog::~GFileDialog() { delete[] nameBuffer; }

void GFileDialog::pointBlock() {
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = nameBuffer;
    ofn.lpstrInitialDir = folderText.empty() ? nullptr : folderText.c_str();
    ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
}

void GFileDialog::setFolder(const char* path) {
    if (!path) {
        char current[MAX_PATH];
        DWORD n = GetCurrentDirectoryA(sizeof current, current);
        stringAssign(folderText, current, n < sizeof current ? n : 0);
    } else {
        stringAssignText(folderText, path);
        expandPathMacros(folderText);
        normalizePath(folderText);
    }
    pointBlock();
}

void GFileDialog::setNameBuffer(u32 size, const char* text) {
    u32 bytes = size > FileNameChars + 1 ? size : FileNameChars + 1;
    char* buffer = new char[bytes]();
    if (text) memcpy(buffer, text, size);
    delete[] nameBuffer;
    nameBuffer = buffer;
    ofn.nMaxFile = bytes - 1;
    pointBlock();
}

void GFileDialog::setOffsets(const u32* values, u32 count) {
    delete[] nameOffsets.data;
    nameOffsets.data = count ? new u32[count] : nullptr;
    if (count) memcpy(nameOffsets.data, values, count * sizeof(u32));
    nameOffsets.count = count;
}

void GFileDialog::setFileNames(const char* text) {
    if (ofn.nMaxFile != MultiNameChars) setNameBuffer(MultiNameChars + 1, nullptr);
    nameBuffer[0] = 0;
    setOffsets(nullptr, 0);
    if (!text || !*text) return;
    if (pathIsDirectory(text)) {
        setFolder(text);
        return;
    }
    const char* firstEnd = strchr(text, ';');
    if (!firstEnd) firstEnd = text + strlen(text);
    const char* names = text;
    for (const char* p = text; p < firstEnd; ++p)
        if (isSeparator(*p) || *p == ':') names = p + 1;
    u32 length = (u32)strlen(names);
    u32 start = strchr(names, ';') ? 1 : 0;
    if (start + length + 2 > ofn.nMaxFile) return;
    if (names != text) {
        GString folder;
        stringAssign(folder, text, (u32)(names - text));
        setFolder(folder.c_str());
    }
    memset(nameBuffer, 0, start + length + 2);
    memcpy(nameBuffer + start, names, length);
    u32 found[1024];
    u32 count = 0;
    u32 at = start;
    for (u32 i = start; i <= start + length; ++i) {
        if (nameBuffer[i] != ';' && nameBuffer[i] != 0) continue;
        nameBuffer[i] = 0;
        if (i > at && count < sizeof found / sizeof found[0]) found[count++] = at;
        at = i + 1;
    }
    setOffsets(found, count);
}

void GFileDialog::setPath(const char* path) {
    if (!path) return;
    if (pathIsDirectory(path)) {
        setFolder(path);
        nameBuffer[0] = 0;
        setOffsets(nullptr, 0);
        return;
    }
    GString full(path);
    expandPathMacros(full);
    normalizePath(full);
    const char* name = pathNamePart(full);
    if (name != full.c_str()) {
        GString folder;
        stringAssign(folder, full.c_str(), (u32)(name - full.c_str()));
        setFolder(folder.c_str());
    }
    u32 n = (u32)strlen(name);
    if (n >= ofn.nMaxFile) return;
    memcpy(nameBuffer, name, n + 1);
    u32 zero = 0;
    setOffsets(&zero, 1);
    selectFilterFor(name);
}

void GFileDialog::getFileNames(GString& out) const {
    if (nameOffsets.count <= 1) {
        stringAssignText(out, nameBuffer);
        if (!out.length && nameOffsets.count) stringAssignText(out, nameBuffer + nameOffsets.data[0]);
        return;
    }
    stringCopy(out, folderText);
    if (!(folderText.length == 3 && folderText.data[1] == ':' && isSeparator(folderText.data[2])))
        stringAppendChar(out, '\\');
    for (u32 i = 0; i < nameOffsets.count; ++i) {
        if (i) stringAppendChar(out, ';');
        stringAppend(out, nameBuffer + nameOffsets.data[i]);
    }
}

void GFileDialog::chosenPath(u32 i, GString& out) const {
    if (nameOffsets.count <= 1) {
        stringAssignText(out, nameBuffer);
        return;
    }
    stringCopy(out, folderText);
    pathJoin(out, nameBuffer + nameOffsets.data[i]);
}

void GFileDialog::filterPairs(GString& out) const {
    const char* text = filterText && *filterText ? *filterText : guiText(GuiText::FileDialogFilter);
    stringAssignText(out, text);
    stringAppend(out, "||");
    for (u32 i = 0; i < out.length; ++i)
        if (out.data[i] == '|') out.data[i] = 0;
}

void GFileDialog::selectedPatterns(GString& out) const {
    stringClear(out);
    GString pairs;
    filterPairs(pairs);
    const char* p = pairs.c_str();
    for (u32 index = 1; *p; ++index) {
        const char* patterns = p + strlen(p) + 1;
        if (index == ofn.nFilterIndex) {
            stringAssignText(out, patterns);
            return;
        }
        if (!*patterns) return;
        p = patterns + strlen(patterns) + 1;
    }
}

void GFileDialog::selectFilterFor(const char* name) {
    const char* extension = name ? pathExtensionPtr(name) : nullptr;
    if (extension && *extension == '.') ++extension;
    GString pairs;
    filterPairs(pairs);
    const char* p = pairs.c_str();
    for (u32 index = 1; *p; ++index) {
        const char* patterns = p + strlen(p) + 1;
        bool fits = forEachPattern(patterns, [&](const char* pattern, u32 n) {
            if (sameText(pattern, n, "*") || sameText(pattern, n, "*.*")) return true;
            return extension && *extension && n > 2 && pattern[0] == '*' && pattern[1] == '.' &&
                   sameText(pattern + 2, n - 2, extension);
        });
        if (fits) {
            ofn.nFilterIndex = index;
            return;
        }
        if (!*patterns) return;
        p = patterns + strlen(patterns) + 1;
    }
}

void GFileDialog::applyFilterExtension() {
    GString patterns;
    selectedPatterns(patterns);
    const char* first = nullptr;
    u32 firstLength = 0;
    const char* name = pathNamePart(nameBuffer, (u32)strlen(nameBuffer));
    const char* dot = strrchr(name, '.');
    bool matches = forEachPattern(patterns.c_str(), [&](const char* pattern, u32 n) {
        u32 length;
        const char* extension = patternExtension(pattern, n, &length);
        if (!extension) return false;
        if (!first) first = extension, firstLength = length;
        return dot && sameText(extension, length, dot + 1);
    });
    if (matches || !first) return;
    GString path(nameBuffer);
    if (dot) stringTruncate(path, (u32)strlen(dot));
    stringAppendChar(path, '.');
    stringAppendBytes(path, first, firstLength);
    if (path.length < ofn.nMaxFile) memcpy(nameBuffer, path.c_str(), path.length + 1);
}

void GFileDialog::clear() {
    memset(&ofn, 0, sizeof ofn);
    setNameBuffer(FileNameChars + 1, nullptr);
    setOffsets(nullptr, 0);
    pointBlock();
}

bool GFileDialog::onEvent(void* event) {
    const RecentPath* record = static_cast<const RecentPath*>(event);
    if (record && (record->kind & kindMask) && !record->folder.empty()) {
        stringCopy(folderText, record->folder);
        pointBlock();
    }
    return false;
}

void resetFileDialogs(GFileDialog* const* dialogs) {
    for (; dialogs && *dialogs; ++dialogs) (*dialogs)->clear();
}
