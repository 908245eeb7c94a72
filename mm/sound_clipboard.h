#pragma once
// The process-wide sound clipboard: the selected tracks of a copied range, in layer order, with the
// format that describes them. Contents up to 1 MiB are held in memory, larger ones in the temp file
// "clip0000.tmp" of the work temp folder, deleted when closed. The clipboard owns both; copying and
// pasting (engine/clipboard_transfer.h) fill and read them under its busy mark.
#include <atomic>

#include "core/gfile.h"
#include "mm/sound_format.h"

class ErrorHandler;

class SoundClipboard {
public:
    static const u64 memoryLimit = 0x100000;

    SoundClipboard();
    SoundClipboard(const SoundClipboard&) = delete;
    SoundClipboard& operator=(const SoundClipboard&) = delete;
    ~SoundClipboard();

    // Empties it: the buffer freed, the file closed (and so deleted), the format empty, not valid.
    void clear();
    // Takes the busy mark; when a copy or paste holds it (on any thread), reports the busy message
    // to handler and answers false. The holder gives it back with leave.
    bool enter(ErrorHandler* handler);
    void leave() { busy.store(0); }
    bool isBusy() const { return busy.load() != 0; }

    // Room for size bytes of contents: the buffer, or above memoryLimit the clip file, opened with
    // the handler. False when the file cannot be opened (reported by it); a buffer that cannot be
    // had is reported to handler ("Not enough memory") and throws GException. The clipboard is left
    // empty on a failure.
    bool makeRoom(u64 size, ErrorHandler* handler);
    bool inFile() const { return file.isOpen(); }

    u8* buffer = nullptr;
    GFile file;
    SoundFormat format;  // its trackOrder names the copied tracks of the source in layer order
    u64 size = 0;        // bytes of contents, whole frames of the format
    // Holds contents to paste: read on any thread (to enable Paste); cleared before the contents
    // change and set after. The other fields are read under the busy mark.
    std::atomic<bool> valid{false};

private:
    std::atomic<u8> busy{0};
};

// The clipboard of the process, made on first use and released at exit.
SoundClipboard& soundClipboard();

// Holds a clipboard's busy mark for a scope; taken() is false when it was busy (and reported).
class ClipboardUse {
public:
    ClipboardUse(SoundClipboard& clipboard, ErrorHandler* handler)
        : clipboard(clipboard), held(clipboard.enter(handler)) {}
    ClipboardUse(const ClipboardUse&) = delete;
    ClipboardUse& operator=(const ClipboardUse&) = delete;
    ~ClipboardUse() {
        if (held) clipboard.leave();
    }
    bool taken() const { return held; }

private:
    SoundClipboard& clipboard;
    bool held;
};
