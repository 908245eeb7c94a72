#include "mm/sound_clipboard.h"

#include <new>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "mm/mm_texts.h"

SoundClipboard::SoundClipboard() { format.gain = 1.0; }

SoundClipboard::~SoundClipboard() { clear(); }

void SoundClipboard::clear() {
    valid = false;
    delete[] buffer;
    buffer = nullptr;
    fileCloseQuietly(file);
    freeHeapText(&file.name);
    format = SoundFormat();
    format.gain = 1.0;
    size = 0;
}

bool SoundClipboard::enter(ErrorHandler* handler) {
    u8 free = 0;
    if (busy.compare_exchange_strong(free, 1)) return true;
    reportMessage(handler, mmText(MmText::ClipboardBusy), 0);
    return false;
}

bool SoundClipboard::makeRoom(u64 bytes, ErrorHandler* handler) {
    if (bytes > memoryLimit) {
        GString path = workTempFolder();
        if (path.length && !pathIsDirectory(path.c_str())) {
            ensureDataFolder();
            createDirectory(path.c_str());
        }
        pathJoin(path, "clip0000.tmp");
        file.handler = handler;
        const u32 flags = FileFlag::Read | FileFlag::Write | FileFlag::Truncate | FileFlag::Create |
                          FileFlag::DenyRead | FileFlag::DenyWrite | FileFlag::DeleteOnClose;
        if (!fileOpen(file, path.c_str(), flags)) return false;
        size = bytes;
        return true;
    }
    buffer = new (std::nothrow) u8[bytes ? (size_t)bytes : 1];
    if (!buffer) {
        reportMessage(handler, mmText(MmText::MmErrNoMemory), 0);
        throw GException();
    }
    size = bytes;
    return true;
}

SoundClipboard& soundClipboard() {
    static SoundClipboard clipboard;
    return clipboard;
}
