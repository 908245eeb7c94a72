#pragma once
// The properties text of a sound.
#include "core/gstring.h"
#include "core/types.h"

struct tWAVEFORMATEX;
typedef struct tWAVEFORMATEX WAVEFORMATEX;

// Appends the properties of a sound: its name, its size in KB, the name of its format as the
// conversion manager knows it, its duration, the fields of its format and, for the own format, the
// sample encoding. A null format describes only the name and the size.
void describeSound(GString& text, const char* name, u64 dataSize, const WAVEFORMATEX* format);
// The name of a sample encoding (1 to 5), or the unknown-encoding text.
void appendEncodingName(GString& text, u32 encoding);
