#pragma once
// GSelectDialog ("GSelectDialog", type 58): asks the user to pick one entry of a list of texts, with
// an optional prompt and an optional preview pane that a callback fills for the current entry.
// Ctrl and an entry's bracketed hot letter ("[B] ...") pick it. run() makes it on its own stack.
#include "gui/kernel/dialog.h"

class GBox;
class GMultiLabel;

const u32 TypeSelectDialog = 58;

// Fills the preview label for an entry (-1: none; the label is emptied first).
class GSelectPreview {
public:
    virtual ~GSelectPreview() = default;
    virtual void preview(GMultiLabel* label, i32 index) = 0;
};

class GSelectDialog : public GDialog {
public:
    using GDialog::GDialog;

    bool isKindOf(u32 id) const override { return id == TypeSelectDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GSelectDialog"; }
    u32 typeId() const override { return TypeSelectDialog; }

    // initial < 0 selects nothing. True on OK, with *out set when given and an entry is current;
    // any other end leaves *out alone.
    static bool run(i32 initial, GWindow* owner, const char* title, const char* prompt, const char* const* items,
                    i32 count, i32* out, GSelectPreview* preview = nullptr);
    // The window and its content: prompt, list (beside a preview in a splitter with a callback),
    // "OC" or "OCH" with a help page.
    static bool build(GSelectDialog* dialog, const char* title, const char* prompt, GSelectPreview* preview);

    // The list's activation is OK; a change of its current entry refills the preview.
    bool onControlNotify(void* notification) override;
    // Ctrl+[0-9A-Z] picks the entry with that bracketed hot letter and offers OK.
    i32 handleKey(GInputEvent* event) override;
    void refillPreview();
    // The selected caret entry, -1 for none.
    i32 currentEntry();

    GBox* list = nullptr;
    GSelectPreview* previewCallback = nullptr;
    GMultiLabel* previewLabel = nullptr;
    i32 previewed = -2;  // the entry the preview shows
};
