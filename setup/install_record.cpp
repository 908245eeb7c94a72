#include "setup/install_record.h"

#include <cstring>

#include "app/installer_texts.h"
#include "core/error.h"
#include "core/exceptions.h"
#include "core/paths.h"

const char* const kInstallerTooSmall = "Specified file is too small to be installer.";
const char* const kNoInstallationData = "Specified file does not contain installation data.";
const char* const kBadInstallerVersion = "Bad version of installer.";

GString InstallRecord::* const InstallRecord::textFields[textCount] = {
    &InstallRecord::displayName,     &InstallRecord::publisher,     &InstallRecord::folderName,
    &InstallRecord::uninstallKeyName, &InstallRecord::reservedText, &InstallRecord::startMenuFolder,
    &InstallRecord::runFileName,     &InstallRecord::desktopShortcut, &InstallRecord::exeName,
    &InstallRecord::licenseMember,   &InstallRecord::logoMember,    &InstallRecord::buildFolder,
};

InstallRecord::InstallRecord(const InstallRecord& other) { *this = other; }

InstallRecord& InstallRecord::operator=(const InstallRecord& other) {
    if (this == &other) return *this;
    for (u32 i = 0; i < textCount; ++i) text(i) = other.text(i);
    deleteOwnedArray(shortcutNames);
    for (u32 i = 0; i < other.shortcutNames.count; ++i) stringListAppend(shortcutNames, stringListAt(other.shortcutNames, i));
    imageSize = other.imageSize;
    payloadSize = other.payloadSize;
    extraSize = other.extraSize;
    recordOffset = other.recordOffset;
    return *this;
}

InstallRecord::~InstallRecord() { deleteOwnedArray(shortcutNames); }

void InstallRecord::clear() {
    for (u32 i = 0; i < textCount; ++i) arrayFree(text(i));
}

// ---- names ----

bool isSingleComponent(const char* name) {
    if (!name || !*name || !strcmp(name, ".") || !strcmp(name, "..")) return false;
    return !strpbrk(name, "\\/:");
}

bool isSafeRelativePath(const char* path) {
    if (!path) return true;
    if (path[0] == '\\' || path[0] == '/' || strchr(path, ':')) return false;
    for (const char* part = path;;) {
        u32 n = (u32)strcspn(part, "\\/");
        if (n == 2 && part[0] == '.' && part[1] == '.') return false;
        if (!part[n]) return true;
        part += n + 1;
    }
}

bool checkRecordNames(const InstallRecord& record, ErrorHandler* handler) {
    const GString* paths[] = {&record.folderName,  &record.startMenuFolder, &record.runFileName, &record.desktopShortcut,
                              &record.exeName,     &record.licenseMember,   &record.logoMember};
    const char* bad = nullptr;
    for (const GString* path : paths)
        if (!bad && !isSafeRelativePath(path->c_str())) bad = path->c_str();
    for (u32 i = 0; !bad && i < record.shortcutNames.count; ++i)
        if (!isSafeRelativePath(stringListAt(record.shortcutNames, i))) bad = stringListAt(record.shortcutNames, i);
    if (!bad) return true;
    reportMessageDetail(handler, installerText(InstallerText::BadInstallName), bad, 0);
    return false;
}

// ---- reading ----

namespace {
bool failWith(GFile& file, const char* message) {
    reportToHandler(file.handler, message, nullptr, file.name, 0);
    fileCloseQuietly(file);
    return false;
}

// Every text of the body must hold its NUL where its length says.
bool textsEndInNul(const GBag& body) {
    u32 pos = 0;
    for (u32 i = 0; i < InstallRecord::textCount; ++i) {
        if (body.size - pos < 4) return true;  // the bag reader reports the short body
        u32 n;
        memcpy(&n, body.data + pos, 4);
        pos += 4;
        if (!n) continue;
        if ((u64)body.size - pos < (u64)n + 1) return true;
        if (memchr(body.data + pos, 0, n) || body.data[pos + n] != 0) return false;
        pos += n + 1;
    }
    return true;
}
}  // namespace

bool readInstallRecordBody(GFile& file, InstallRecord& record, u64 limit) {
    u32 head[2];
    if (!fileRead(file, head, 4)) return false;
    if (head[0] != InstallFooter::recordVersion) return failWith(file, kBadInstallerVersion);
    if (!fileRead(file, head + 1, 4)) return false;
    i64 position = 0;
    if (!fileTell(file, &position)) return false;
    u64 end = (u64)fileSize(file);
    if (limit < end) end = limit;
    if ((u64)position > end || head[1] > end - (u64)position) return failWith(file, kNoInstallationData);
    GBag body;
    bagAllocate(body, head[1]);
    if (!fileRead(file, body.data, head[1])) return false;
    if (!textsEndInNul(body)) return failWith(file, kNoInstallationData);
    for (u32 i = 0; i < InstallRecord::textCount; ++i) bagReadGString(body, record.text(i));
    bagReadStringList(body, record.shortcutNames);
    bagReadU64(body, &record.imageSize);
    bagReadU64(body, &record.payloadSize);
    bagReadU64(body, &record.extraSize);
    return true;
}

bool readInstallRecord(const char* path, ErrorHandler* handler, InstallRecord* record, GBag* index) {
    if (index) bagFree(*index);
    GFile file(handler);
    if (!fileOpen(file, path, FileMode::Read)) return false;
    i64 size = fileSize(file);
    if (size < 0) return false;
    if (size < (i64)InstallFooter::size) return failWith(file, kInstallerTooSmall);
    u8 footer[InstallFooter::size];
    if (!fileSeek(file, size - InstallFooter::size, 0) || !fileRead(file, footer, sizeof footer)) return false;
    if (memcmp(footer + 8, InstallFooter::marker, 4)) return failWith(file, kNoInstallationData);
    u64 recordOffset;
    memcpy(&recordOffset, footer, 8);
    u64 footerStart = (u64)size - InstallFooter::size;
    // The version and length words must lie before the footer.
    if (recordOffset > footerStart || footerStart - recordOffset < 8) return failWith(file, kNoInstallationData);
    if (!fileSeek(file, (i64)recordOffset, 0)) return false;
    if (!record) return fileCloseQuietly(file), true;

    record->recordOffset = recordOffset;
    if (!readInstallRecordBody(file, *record, footerStart)) return false;
    if (record->imageSize > recordOffset) return failWith(file, kNoInstallationData);
    if (record->displayName.empty()) {
        record->displayName = productName();
        GString version = versionText();
        if (version.length) stringConstruct(record->displayName, productName().c_str(), ' ', version.c_str());
    }
    if (!checkRecordNames(*record, handler)) return fileCloseQuietly(file), false;
    if (index) {
        i64 position = 0;
        if (!fileTell(file, &position)) return false;
        // An older installed copy: the footer follows the body.
        if ((u64)position < footerStart) {
            u32 m;
            if (footerStart - (u64)position < 4 || !fileRead(file, &m, 4)) return failWith(file, kNoInstallationData);
            if (m > footerStart - (u64)position - 4) return failWith(file, kNoInstallationData);
            bagAllocate(*index, m);
            if (!fileRead(file, index->data, m)) return false;
        }
    }
    fileCloseQuietly(file);
    return true;
}

namespace {
class ThrowingHandler : public ErrorHandler {
public:
    bool report(const char*, int) override { throw GException(); }
};
}  // namespace

bool hasInstallRecord(const char* path) {
    ThrowingHandler handler;
    GFile file(&handler);
    fileOpen(file, path, FileMode::Read);
    i64 size = fileSize(file);
    if (size < (i64)InstallFooter::size) return false;
    char marker[4];
    fileSeek(file, size - InstallFooter::size + 8, 0);
    fileRead(file, marker, 4);
    return memcmp(marker, InstallFooter::marker, 4) == 0;
}

// ---- writing ----

bool writeInstallRecordBody(const InstallRecord& record, GFile& file) {
    GBag body;
    for (u32 i = 0; i < InstallRecord::textCount; ++i) bagWriteGString(body, record.text(i));
    bagWriteStringList(body, record.shortcutNames);
    bagWriteU64(body, record.imageSize);
    bagWriteU64(body, record.payloadSize);
    bagWriteU64(body, record.extraSize);
    u32 head[2] = {InstallFooter::recordVersion, body.size};
    return fileWrite(file, head, sizeof head) && fileWrite(file, body.data, body.size);
}

bool writeInstallFooter(GFile& file, u64 recordOffset) {
    u8 footer[InstallFooter::size] = {};
    memcpy(footer, &recordOffset, 8);
    memcpy(footer + 8, InstallFooter::marker, 4);
    return fileWrite(file, footer, sizeof footer);
}

bool writeInstalledTail(GFile& file, const InstallRecord& record, const GBag& index) {
    i64 recordOffset = 0;
    if (!fileTell(file, &recordOffset)) return false;
    InstallRecord installed(record);
    installed.payloadSize = 0;
    u32 m = index.size;
    return writeInstallRecordBody(installed, file) && fileWrite(file, &m, 4) && fileWrite(file, index.data, m) &&
           writeInstallFooter(file, (u64)recordOffset);
}
