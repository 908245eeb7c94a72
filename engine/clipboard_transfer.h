#pragma once
// Copying the selected tracks of a range of a sound into the sound clipboard, and pasting the
// clipboard into the new bytes of a change: its tracks mapped to the selected tracks by layer, its
// samples converted to the sound's type, optionally combined with the samples there, and repeated
// from its first frame over a range longer than it. The caller holds the store's lock and the
// clipboard's busy mark (ClipboardUse), taken before it changes anything.
#include "engine/processor.h"
#include "engine/sample_merge.h"

class SoundClipboard;

// Copies count bytes of the sound from the cursor: the clipboard takes the selected tracks in layer
// order. The walk of the store carries the progress; a cancel ends it, and the clipboard then holds
// the frames copied so far (valid when there is at least one), except when every track is copied in
// layer order: that copy runs to the end.
void copyToClipboard(SoundClipboard& clipboard, SoundStore* store, const SoundFormat* format, SegmentCursor at,
                     u64 count, JobProgress* progress);

// Writes the clipboard into the change's new bytes, repeated from its first frame. Without
// zeroOthers the change's old bytes are the samples there (as far as the change has old bytes): a
// track that receives no clipboard track keeps its sample and combine merges with it; where there
// are none, such a track gets 0 and the clipboard samples are written plainly. A 16-bit combined
// result beyond +-32767 is limited and sets *clipped. The writer carries the progress: a cancel ends
// the paste at its next page, and the new bytes not reached get the fill rule (fillNewBytes), as
// they do when the clipboard is empty.
void pasteFromClipboard(SoundClipboard& clipboard, SoundStore* store, const SoundFormat* destination,
                        const RangeChange& change, CombineFunction combine, bool* clipped, JobProgress* progress,
                        bool zeroOthers);
// The clipboard holds something to paste (read under its busy mark).
bool clipboardCanPaste(const SoundClipboard& clipboard);
