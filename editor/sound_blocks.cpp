#include "editor/sound_blocks.h"

#include "app/program_texts.h"
#include "gui/controls/multi_label.h"
#include "gui/dialogs/select_dialog.h"
#include "mm/ravo_file.h"
#include "mm/riff_block.h"
#include "mm/sound_description.h"
#include "mm/sound_file.h"

namespace {

void nameOf(BlockBase* form, GString& name) {
    for (u32 i = 0; i < form->childCount(); ++i) {
        auto* list = dynamic_cast<RiffListBlock*>(form->child(i));
        if (!list || list->formType != ChunkId::Info) continue;
        for (u32 j = 0; j < list->childCount(); ++j) {
            auto* text = dynamic_cast<RiffTextBlock*>(list->child(j));
            if (text && text->id == ChunkId::Name && text->text) {
                stringAssignText(name, text->text);
                return;
            }
        }
    }
}

void addCandidate(BlockBase* form, std::vector<SoundCandidate>& out) {
    out.emplace_back();
    SoundCandidate& c = out.back();
    c.form = form;
    findSoundParts(form, &c.parts, &c.dataOffset);
    nameOf(form, c.name);
}

void walk(BlockBase* block, std::vector<SoundCandidate>& out) {
    for (u32 i = 0; i < block->childCount(); ++i) {
        auto* list = dynamic_cast<RiffListBlock*>(block->child(i));
        if (!list || list->formType == ChunkId::Info) continue;
        if (list->isWaveForm()) addCandidate(list, out);
        else walk(list, out);
    }
}

class CandidatePreview : public GSelectPreview {
public:
    explicit CandidatePreview(std::vector<SoundCandidate>& candidates) : candidates(candidates) {}
    void preview(GMultiLabel* label, i32 index) override {
        if (index < 0 || index >= (i32)candidates.size()) return;
        const SoundCandidate& c = candidates[index];
        GString text;
        describeSound(text, c.name.c_str(), c.parts.dataSize, c.parts.format);
        label->setText(text.c_str());
    }
    std::vector<SoundCandidate>& candidates;
};

}  // namespace

void collectSoundCandidates(BlockBase* root, std::vector<SoundCandidate>& out) {
    if (!root) return;
    auto* list = dynamic_cast<RiffListBlock*>(root);
    if (dynamic_cast<RavoFormBlock*>(root) || (list && list->isWaveForm())) {
        addCandidate(root, out);
        return;
    }
    walk(root, out);
    if (out.empty()) addCandidate(root, out);
}

bool acceptSoundCandidate(const SoundCandidate& candidate, GWindow* owner) {
    return validateSoundBlock(&candidate.parts, owner);
}

i32 chooseSoundBlock(std::vector<SoundCandidate>& candidates, GWindow* owner, i32 initial) {
    if (candidates.empty()) return -1;
    std::vector<GString> names(candidates.size());
    std::vector<const char*> items(candidates.size());
    for (size_t i = 0; i < candidates.size(); ++i) {
        stringAssignText(names[i], candidates[i].name.empty() ? ravoText(RavoText::EditorBlockUnnamed)
                                                          : candidates[i].name.c_str());
        items[i] = names[i].c_str();
    }
    CandidatePreview preview(candidates);
    i32 chosen = initial;
    for (;;) {
        i32 out = -1;
        if (!GSelectDialog::run(chosen, owner, ravoText(RavoText::EditorBlockTitle),
                                ravoText(RavoText::EditorBlockPrompt), items.data(), (i32)items.size(), &out,
                                &preview) ||
            out < 0)
            return -1;
        if (acceptSoundCandidate(candidates[out], owner)) return out;
        chosen = out;
    }
}
