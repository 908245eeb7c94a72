// The processor of each sample type.
#include "core/error.h"
#include "engine/sample_processor.h"
#include "mm/mm_texts.h"

SoundBlockProcessor* createProcessorForEncoding(u32 encoding, ErrorHandler* handler) {
    switch (encoding) {
    case encodingInt16: return new SampleProcessor<SampleInt16>;
    case encodingInt32: return new SampleProcessor<SampleInt32>;
    case encodingFloat: return new SampleProcessor<SampleFloat>;
    case encodingDouble: return new SampleProcessor<SampleDouble>;
    default: break;
    }
    reportMessage(handler, mmText(MmText::EditNeedsConversion), 0);
    return nullptr;
}
