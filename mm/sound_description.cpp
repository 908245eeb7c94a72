#include "mm/sound_description.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstring>

#include "mm/mm_texts.h"
#include "mm/sound_format.h"

// The tag's name from the conversion manager; false when no driver knows it.
static bool acmTagName(GString& text, u32 tag) {
    ACMFORMATTAGDETAILSA details;
    memset(&details, 0, sizeof details);
    details.cbStruct = sizeof details;
    details.dwFormatTag = tag;
    if (acmFormatTagDetailsA(nullptr, &details, ACM_FORMATTAGDETAILSF_FORMATTAG) != MMSYSERR_NOERROR) return false;
    details.szFormatTag[sizeof details.szFormatTag - 1] = 0;
    if (!details.szFormatTag[0]) return false;
    stringAppend(text, details.szFormatTag);
    return true;
}

void appendEncodingName(GString& text, u32 encoding) {
    static const MmText names[] = {MmText::EncodingPcm8, MmText::EncodingInt16, MmText::EncodingInt32,
                                   MmText::EncodingFloat, MmText::EncodingDouble};
    if (encoding >= 1 && encoding <= 5)
        stringAppend(text, mmText(names[encoding - 1]));
    else
        stringAppendFormat(text, mmText(MmText::EncodingUnknown), encoding);
}

void describeSound(GString& text, const char* name, u64 dataSize, const WAVEFORMATEX* format) {
    if (!name) name = "";
    stringAppendFormat(text, mmText(MmText::DescribeName), name);
    if (*name) stringAppend(text, mmText(MmText::DescribeSeparator));
    stringAppendFormat(text, mmText(MmText::DescribeSize), (unsigned long long)((dataSize + 512) / 1024));
    if (!format) return;

    GString tagName;
    if (!acmTagName(tagName, format->wFormatTag))
        stringFormat(tagName, mmText(MmText::DescribeFormatUnknown), (unsigned)format->wFormatTag);
    stringAppendFormat(text, mmText(MmText::DescribeFormat), tagName.c_str());
    if (format->nAvgBytesPerSec) {
        f64 seconds = (f64)dataSize / format->nAvgBytesPerSec;
        u32 minutes = (u32)(seconds / 60);
        stringAppendFormat(text, mmText(MmText::DescribeDuration), minutes, seconds - 60.0 * minutes);
    }
    stringAppendFormat(text, mmText(MmText::DescribeFormatTag), (unsigned)format->wFormatTag);
    stringAppendFormat(text, mmText(MmText::DescribeChannels), (unsigned)format->nChannels);
    stringAppendFormat(text, mmText(MmText::DescribeRate), (unsigned)format->nSamplesPerSec);
    stringAppendFormat(text, mmText(MmText::DescribeByteRate), (unsigned)format->nAvgBytesPerSec);
    stringAppendFormat(text, mmText(MmText::DescribeBlockAlign), (unsigned)format->nBlockAlign);
    stringAppendFormat(text, mmText(MmText::DescribeBitsPerSample), (unsigned)format->wBitsPerSample);
    stringAppendFormat(text, mmText(MmText::DescribeExtraSize), (unsigned)format->cbSize);
    if (format->wFormatTag == ownFormatTag) {
        GString encoding;
        appendEncodingName(encoding, encodingOf(format));
        stringAppendFormat(text, mmText(MmText::DescribeEncoding), encoding.c_str());
    }
}
