#pragma once
// The sounds of a file offered to the Editor: every WAVE form of a file's block tree (at any depth)
// or its own sound form, each with what was found of it, and the dialog that chooses one of
// several. The candidates point into the tree, which the caller keeps and deletes.
#include <vector>

#include "core/gstring.h"
#include "mm/format_validation.h"

class BlockBase;
class GWindow;

struct SoundCandidate {
    BlockBase* form = nullptr;
    GString name;  // its "INAM" text, empty when none
    SoundFileParts parts = {};
    u64 dataOffset = 0;
};

// The candidates in file order. A tree holding no sound form gives the root as its only candidate
// (its checks then tell what is missing).
void collectSoundCandidates(BlockBase* root, std::vector<SoundCandidate>& out);

// A candidate that may be opened: its missing parts and its format block checked (failures shown).
bool acceptSoundCandidate(const SoundCandidate& candidate, GWindow* owner);

// Offers the candidates by name, each described in the dialog's label while it is current; a
// refused choice shows why and offers them again. The chosen index, -1 on Cancel or none.
i32 chooseSoundBlock(std::vector<SoundCandidate>& candidates, GWindow* owner, i32 initial = 0);
