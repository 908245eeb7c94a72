#include "gui/frame/progress_state.h"

#include "core/error.h"
#include "core/gstring.h"
#include "core/texts.h"

ProgressState::Amounts ProgressState::amounts() {
    std::lock_guard<std::mutex> hold(lock);
    return Amounts{total, current, percent};
}

void ProgressState::setTotal(u64 newTotal) {
    std::lock_guard<std::mutex> hold(lock);
    total = newTotal ? newTotal : 1;
    JobProgress::reset();
}

void ProgressState::reset() {
    std::lock_guard<std::mutex> hold(lock);
    JobProgress::reset();
}

bool ProgressState::report(u64 done, const char* newText) {
    {
        std::lock_guard<std::mutex> hold(lock);
        current = committed + done;
        if (reporting) {
            u32 p = (u32)(current * 100 / total);
            if (newText || p != percent) JobProgress::setProgress(p, newText);
        }
    }
    // The listener may show a box or throw: never under the lock.
    if (!cancelled) return false;
    if (listener) listener->report(coreText(CoreText::OperationCanceled), 0);
    return true;
}

bool ProgressState::getProgress(u32* outPercent, char** outText) {
    std::lock_guard<std::mutex> hold(lock);
    *outPercent = percent;
    std::lock_guard<std::mutex> holdText(textLock);
    *outText = copyHeapText(text);
    return active();
}

bool ProgressState::setProgress(u32 newPercent, const char* newText) {
    std::lock_guard<std::mutex> hold(lock);
    return JobProgress::setProgress(newPercent, newText);
}
