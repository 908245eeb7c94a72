#include "app/range_window.h"

#include <windows.h>

#include <cstdlib>

#include "app/program_texts.h"
#include "app/value_dialog_body.h"
#include "core/exceptions.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/spinner_field.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

void RangeState::moveMark() { fixed = fixed == RangeFixedStart ? RangeFixedEnd : RangeFixedStart; }

void RangeState::editStart(u32 v) {
    if (fixed == RangeFixedStart) moveMark();
    start = v;
    if (fixed == RangeFixedEnd) {
        if (start > end) start = end;
        else length = end - start;
    } else if ((u64)start + length > total) {
        start = total >= length ? total - length : 0;
    } else {
        end = start + length;
    }
}

void RangeState::editEnd(u32 v) {
    if (fixed == RangeFixedEnd) moveMark();
    end = v;
    if (fixed == RangeFixedStart) {
        if (end < start) end = start;
        else length = end - start;
    } else if (length > end) {
        end = length;
    } else {
        start = end - length;
    }
}

void RangeState::editLength(u32 v) {
    if (fixed == RangeFixedLength) moveMark();
    length = v;
    if (fixed == RangeFixedStart) {
        if ((u64)start + length > total) length = end - start;
        else end = start + length;
    } else if (length > end) {
        length = end;
    } else {
        start = end - length;
    }
}

void RangeState::clickMarker(u32 field) {
    if (field == fixed) moveMark();
    else if (field <= RangeFixedLength) fixed = field;
}

void RangeState::shortcut(u32 command) {
    switch (command) {
    case RangeFromBeginning:
        start = 0;
        length = end;
        break;
    case RangeToEnd:
        end = total;
        length = total - start;
        break;
    case RangeAll:
        start = 0;
        end = length = total;
        break;
    case RangeNone: start = end = length = 0; break;
    default: break;
    }
}

namespace {
// The window's own check on 1, 4 and 5.
class RangeCheck : public GFieldBinding {
public:
    explicit RangeCheck(RangeWin* dialog) : dialog(dialog) {}
    void check() override {
        if (dialog->state.end >= dialog->state.start) return;
        GVerifyException refusal;
        refusal.text = GString(ravoText(RavoText::RangeEndBeforeStart));
        throw refusal;
    }
    RangeWin* dialog;
};

// The count the field shows (its samples page follows a typed time).
bool shownCount(DigitField* field, u32* count) {
    if (!field || !field->samples || !field->samples->edit) return false;
    const char* text = field->samples->edit->text();
    char* end = nullptr;
    const unsigned long long v = text ? strtoull(text, &end, 10) : 0;
    if (!text || end == text || *end || v > 0xFFFFFFFFull) return false;
    *count = (u32)v;
    return true;
}

bool typedIn(DigitField* field, GItemBase* source) {
    return field && ((field->samples && source == field->samples->edit) || (field->time && source == field->time->edit));
}
}  // namespace

i32 RangeWin::commandState(u32 command) {
    return command >= RangeMarkStart && command <= RangeNone ? CommandEnabled : GDialog::commandState(command);
}

bool RangeWin::onCommand(u32 command, GStateQuery* query) {
    if (command >= RangeMarkStart && command <= RangeMarkLength) {
        state.clickMarker(command - RangeMarkStart);
        refresh();
        return true;
    }
    if (command >= RangeFromBeginning && command <= RangeNone) {
        state.shortcut(command);
        refresh();
        return true;
    }
    if (command == 2 && apply) apply(openStart, openEnd);
    return GDialog::onCommand(command, query);
}

bool RangeWin::onControlNotify(void* n) {
    auto* notification = static_cast<GControlNotification*>(n);
    if (notification->code == 0)
        for (u32 k = 0; k < 3; ++k) {
            DigitField* f = digits[k];
            u32 typed = 0;
            if (!typedIn(f, notification->source)) continue;
            if (!shownCount(f, &typed)) return true;
            const u32 before[3] = {state.start, state.end, state.length};
            if (typed == before[k]) return true;
            if (k == 0) state.editStart(typed);
            else if (k == 1) state.editEnd(typed);
            else state.editLength(typed);
            const u32 after[3] = {state.start, state.end, state.length};
            refresh(after[k] == typed ? (i32)k : -1);
            return true;
        }
    return GDialog::onControlNotify(n);
}

void RangeWin::refresh(i32 typedField) {
    const u32 values[3] = {state.start, state.end, state.length};
    for (u32 k = 0; k < 3; ++k) {
        DigitField* f = digits[k];
        if (!f) continue;
        u32 shown = 0;
        if ((i32)k != typedField && (!shownCount(f, &shown) || shown != values[k])) f->setCount(values[k]);
        if (GButton* mark = f->button) {
            const u32 style = k == state.fixed ? mark->style | ButtonChecked : mark->style & ~ButtonChecked;
            if (style != mark->style) {
                mark->style = style;
                if (mark->hwnd) mark->invalidate();
            }
        }
    }
    if (apply) apply(state.start, state.end);
}

bool buildRangeBody(RangeWin* d, const char* title, u32 start, u32 end, u32 total, u32 rate,
                    std::function<void(u32, u32)> apply) {
    if (end > total) end = total;
    if (start > end) start = end;
    d->state = RangeState{start, end, end - start, total, RangeFixedLength};
    d->openStart = start;
    d->openEnd = end;
    rate = rate ? rate : 44100;
    GLayoutBuilder b(d);
    if (!beginDialogBody(d, b, title, "88488")) return false;
    b.linkField(new RangeCheck(d));
    const RavoText labels[3] = {RavoText::RangeStart, RavoText::RangeEnd, RavoText::RangeLength};
    const u32 values[3] = {start, end, end - start};
    for (u32 k = 0; k < 3; ++k) {
        d->records[k][0] = values[k];
        d->records[k][1] = rate;
        const SampleCountRange range = {0, 0, total, (i32)(RangeMarkStart + k)};
        d->digits[k] = addDigitField(b, ravoText(labels[k]), reinterpret_cast<SampleCountRecord*>(d->records[k]), range,
                                     rate);
        if (d->digits[k] && d->digits[k]->button) d->digits[k]->button->setText(ravoText(RavoText::RangeFixed));
    }
    d->records[3][0] = total;
    d->records[3][1] = rate;
    const SampleCountRange whole = {1, total, total, -1};
    d->totalField = addDigitField(b, ravoText(RavoText::RangeTotal), reinterpret_cast<SampleCountRecord*>(d->records[3]),
                                  whole, rate);
    GRowItem::create(b, "08080");
    const RavoText shortcuts[4] = {RavoText::RangeToBegin, RavoText::RangeToEnd, RavoText::RangeAll,
                                   RavoText::RangeNone};
    for (u32 k = 0; k < 4; ++k) GButton::create(b, ravoText(shortcuts[k]), 0, RangeFromBeginning + k, "<C");
    b.endContainer();
    GButtonRow::create(b, d->helpPage && *d->helpPage ? "OCH" : "OC");
    b.endContainer();
    d->fitToContent();
    // The selection follows only what the user changes.
    d->apply = std::move(apply);
    d->refresh();
    return true;
}
