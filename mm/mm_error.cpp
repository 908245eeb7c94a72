#include "mm/mm_error.h"

#include "mm/mm_texts.h"

namespace {
struct MmErrorRow {
    u32 code;
    const char** slot;  // null ends the table
};

const MmErrorRow mmErrorTable[] = {
    {1, &kxmmTexts[(u32)MmText::MmErrUnspecified]},
    {2, &kxmmTexts[(u32)MmText::MmErrBadDeviceId]},
    {3, &kxmmTexts[(u32)MmText::MmErrNotEnabled]},
    {4, &kxmmTexts[(u32)MmText::MmErrAllocated]},
    {5, &kxmmTexts[(u32)MmText::MmErrInvalidHandle]},
    {6, &kxmmTexts[(u32)MmText::MmErrNoDriver]},
    {7, &kxmmTexts[(u32)MmText::MmErrNoMemory]},
    {8, &kxmmTexts[(u32)MmText::MmErrNotSupported]},
    {9, &kxmmTexts[(u32)MmText::MmErrBadErrorNumber]},
    {10, &kxmmTexts[(u32)MmText::MmErrInvalidFlag]},
    {11, &kxmmTexts[(u32)MmText::MmErrInvalidParameter]},
    {12, &kxmmTexts[(u32)MmText::MmErrHandleBusy]},
    {13, &kxmmTexts[(u32)MmText::MmErrInvalidAlias]},
    {14, &kxmmTexts[(u32)MmText::MmErrBadDatabase]},
    {15, &kxmmTexts[(u32)MmText::MmErrKeyNotFound]},
    {16, &kxmmTexts[(u32)MmText::MmErrReadError]},
    {17, &kxmmTexts[(u32)MmText::MmErrWriteError]},
    {18, &kxmmTexts[(u32)MmText::MmErrDeleteError]},
    {19, &kxmmTexts[(u32)MmText::MmErrValueNotFound]},
    {20, &kxmmTexts[(u32)MmText::MmErrNoDriverCallback]},
    {513, &kxmmTexts[(u32)MmText::AcmErrBusy]},
    {515, &kxmmTexts[(u32)MmText::AcmErrCanceled]},
    {512, &kxmmTexts[(u32)MmText::AcmErrNotPossible]},
    {514, &kxmmTexts[(u32)MmText::AcmErrUnprepared]},
    {32, &kxmmTexts[(u32)MmText::WaveErrBadFormat]},
    {33, &kxmmTexts[(u32)MmText::WaveErrStillPlaying]},
    {35, &kxmmTexts[(u32)MmText::WaveErrSync]},
    {34, &kxmmTexts[(u32)MmText::WaveErrUnprepared]},
    {1024, &kxmmTexts[(u32)MmText::MixErrInvalidLine]},
    {1025, &kxmmTexts[(u32)MmText::MixErrInvalidControl]},
    {1026, &kxmmTexts[(u32)MmText::MixErrInvalidValue]},
    {mmErrorCodecFailed, &kxmmTexts[(u32)MmText::MmErrCodecFailed]},
    {mmErrorInternal, &kxmmTexts[(u32)MmText::MmErrInternal]},
    {0, nullptr},
};
static_assert(sizeof mmErrorTable / sizeof mmErrorTable[0] == 34, "33 codes and the end of the table");
}  // namespace

void mmErrorText(GString& text, u32 code) {
    for (const MmErrorRow* row = mmErrorTable; row->slot; ++row) {
        if (row->code != code) continue;
        const char* found = *row->slot;
        if (!found) break;
        if (*found) {
            stringAppend(text, found);
            stringEndSentence(text);
        }
        return;
    }
    stringAppendFormat(text, mmText(MmText::MmErrUnknown), (int)code);
}

bool reportMmError(ErrorHandler* sink, u32 code) {
    if (!sink) return false;
    GString text;
    mmErrorText(text, code);
    return sink->report(text.c_str(), (int)code);
}
