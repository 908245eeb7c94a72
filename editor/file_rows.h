#pragma once
// The Editor's file rows: EXTRACT and EXTRACT_AUTO write the current block as a WAVE file of its
// own, SPLIT_FILE every block into a folder, DECOMPRESS and DECOMPRESS_AUTO decode the file
// through the codec library. The handler part picks the target and asks; the processor carries it
// (workBuffer) to the job's thread. Nothing here outlives a call.
#include "core/gstring.h"

class EditorWindow;
class GWindow;
class JobProgress;
class SoundBlockProcessor;

// folder, the document's name without its extension, ".", the stream's name made safe (or
// "unnamed"), ".wav".
GString extractTargetPath(const char* folder, const char* document, const char* streamName);
// folder, the document's name with its extension cut and "wav" appended ("-.wav" when the
// extension was "wav" in any case).
GString decompressTargetPath(const char* folder, const char* document);

// EXTRACT, EXTRACT_AUTO, DECOMPRESS, DECOMPRESS_AUTO, SPLIT_FILE.
bool isFileRow(u32 id);
// The handler's part: 1 run, 0 cancelled or refused (with its message), -1 nothing to do.
i32 prepareFileRow(EditorWindow* editor, u32 id, SoundBlockProcessor* processor);
// On the job's thread; false when the row failed (having said why).
bool performFileRow(EditorWindow* editor, SoundBlockProcessor* processor);
// After a successful run: the written file opens, or the parts are counted.
void reportFileRow(EditorWindow* editor, SoundBlockProcessor* processor);

// Installed by the shell: decodes the stream (-1: the whole file) of the source into the target
// through the codec library; false when it failed, having said why.
extern bool (*decompressHook)(GWindow* owner, const char* source, i32 stream, const char* target,
                              JobProgress* progress);
// The number of streams the codec library finds in the file (0 or less: none). Replaceable.
extern i32 (*codecStreamCount)(const char* path);
