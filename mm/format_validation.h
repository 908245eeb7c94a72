#pragma once
// Checks of a sound's format block and data size before a sound read from a file is accepted. Each
// failure is shown in one line in an error box over the given window.
#include "mm/mm_texts.h"
#include "mm/sound_format.h"

// What reading a sound file found.
struct SoundFileParts {
    u64 dataSize;
    WAVEFORMATEX* format;  // may be null
    u32 dataFound;
    u32 formatFound;
    u32 rootFound;
};

// Checks a PCM or own block against the size of its sample data; other tags pass unchecked.
bool validateFormatBlock(const WAVEFORMATEX* block, GWindow* window, u64 dataSize);
// Checks that a sound's data, format and root block were found, then its format block.
bool validateSoundBlock(const SoundFileParts* parts, GWindow* window);

// The first failed check of a block: its message (MmText::Count when every check passed) and the
// value the message shows.
struct FormatProblem {
    MmText message = MmText::Count;
    i32 value = 0;
    f64 gain = 0.0;

    explicit operator bool() const { return message != MmText::Count; }
};
// The structural checks of an own block that every reader applies: track count, block size,
// layers, encoding, rate and gain. Sizes and data are not looked at.
FormatProblem checkOwnBlockStructure(const WAVEFORMATEX* block);
// The first failed check of validateFormatBlock, without showing it.
FormatProblem checkFormatBlock(const WAVEFORMATEX* block, u64 dataSize);
// The message of a problem with its value filled in ("" when there is none).
void formatProblemText(GString& out, const FormatProblem& problem);
void showFormatProblem(const FormatProblem& problem, GWindow* window);
