#include "core/progress.h"

#include "core/error.h"
#include "core/gstring.h"
#include "core/texts.h"

JobProgress::~JobProgress() { delete[] text; }

void JobProgress::setTotal(u64 newTotal) {
    total = newTotal ? newTotal : 1;
    reset();
}

void JobProgress::reset() {
    committed = current = 0;
    percent = 0;
    cancelled = 0;
    reporting = 1;
}

void JobProgress::disable() { reporting = 0; }

bool JobProgress::report(u64 done, const char* newText) {
    current = committed + done;
    if (reporting) {
        u32 p = (u32)(current * 100 / total);
        if (newText || p != percent) setProgress(p, newText);
    }
    if (!cancelled) return false;
    if (listener) listener->report(coreText(CoreText::OperationCanceled), 0);
    return true;
}

bool JobProgress::getProgress(u32* outPercent, char** outText) {
    if (!reporting) return false;
    *outPercent = percent;
    std::lock_guard<std::mutex> hold(textLock);
    *outText = copyHeapText(text);
    return true;
}

bool JobProgress::setProgress(u32 newPercent, const char* newText) {
    if (!reporting) return false;
    percent = newPercent;
    if (newText) {
        std::lock_guard<std::mutex> hold(textLock);
        assignHeapText(&text, newText);
    }
    return true;
}
