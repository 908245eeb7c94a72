#include "app/format_panels.h"

#include <windows.h>

#include "app/program_texts.h"
#include "core/exceptions.h"
#include "core/gstring.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/spinner.h"
#include "gui/controls/spinner_field.h"
#include "gui/frame/shown_notices.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "mm/sound_format.h"

const u32 standardRates[6] = {8000, 11025, 22050, 44100, 48000, 96000};

namespace {

// The rate panel's record: check reads the typed rate, commit writes the edited one.
class RateRecord : public GFieldBinding {
public:
    explicit RateRecord(SampleRatePanel* panel) : panel(panel) {}
    void check() override { panel->commitRate(); }
    void commit() override {
        if (panel->target) *panel->target = panel->rate;
    }
    SampleRatePanel* panel;
};

// Linked before the panel's own fields, so it runs after them: the spinner and the rate first.
class FormatRecord : public GFieldBinding {
public:
    explicit FormatRecord(NewSoundFormatPanel* panel) : panel(panel) {}
    void commit() override { panel->apply(); }
    NewSoundFormatPanel* panel;
};

void showEnabled(GWindow* w, bool enabled, bool shown) {
    if (!w || !w->hwnd) return;
    EnableWindow(w->hwnd, enabled);
    ShowWindow(w->hwnd, shown ? SW_SHOWNA : SW_HIDE);
}

void enable(GWindow* w, bool enabled) {
    if (w && w->hwnd) EnableWindow(w->hwnd, enabled);
}

bool checked(GRadioBox* box) { return box && box->isChecked(); }

// Checks one box of a set and clears the others, quietly.
void checkOnly(GRadioBox* const* boxes, u32 count, GRadioBox* chosen) {
    for (u32 i = 0; i < count; ++i)
        if (boxes[i] && boxes[i]->isChecked() != (boxes[i] == chosen)) boxes[i]->setChecked(boxes[i] == chosen, false);
}

[[noreturn]] void refuseRate(GEditLine* edit, const char* text) {
    GVerifyException refusal;
    refusal.text = text;
    refusal.field = static_cast<GItemBase*>(edit);
    throw refusal;
}

}  // namespace

SampleRatePanel* SampleRatePanel::create(GLayoutBuilder& b, u32* target, const char* alignment) {
    SampleRatePanel* p = new SampleRatePanel(b.owner, ravoText(RavoText::RatePanel));
    p->target = target;
    p->rate = target ? *target : 44100;
    b.linkField(new RateRecord(p));
    b.pushContainer(p, nullptr, alignment);
    GColumnsItem::create(b, "00040", "UC");
    addGridLayout(3, 2, b, "UC");
    bool standard = false;
    for (u32 i = 0; i < 6; ++i) {
        GString label;
        stringFormat(label, ravoText(RavoText::RateFormat), standardRates[i] / 1000.0);
        p->boxes[i] = new GRadioBox(b, label.c_str(), 4, p->rate == standardRates[i], "<C");
        standard = standard || p->rate == standardRates[i];
    }
    b.endContainer();
    GRowItem::create(b, "04000");
    p->other = new GRadioBox(b, ravoText(RavoText::RateOther), 4, !standard, ">-");
    p->edit = GEditLine::create(b, 11, "<C");
    p->unit = GLabel::create(b, ravoText(RavoText::RateUnit), 0, "<C");
    b.endContainer();
    b.endContainer();
    b.endContainer();
    p->showing = true;
    p->edit->setU32(p->rate);
    p->showing = false;
    enable(p->edit, !standard);
    return p;
}

void SampleRatePanel::setRate(u32 value) {
    if (value == rate) return;
    rate = value;
    if (rateChanged) rateChanged(rate);
}

void SampleRatePanel::commitRate() {
    if (!checked(other)) return;
    GString range;
    stringFormat(range, guiText(GuiText::NumberRangeMessage), 1.0, (f64)maxTypedRate);
    i64 typed = 0;
    try {
        typed = edit->getI64();
    } catch (const GVerifyException&) {
        refuseRate(edit, range.c_str());
    }
    if (typed < 1 || typed > (i64)maxTypedRate) refuseRate(edit, range.c_str());
    // The panel offers more than a sound can have: such a file would not open again.
    if (typed > (i64)maxSampleRate) {
        GString text;
        stringFormat(text, ravoText(RavoText::RateTooHigh), maxSampleRate);
        refuseRate(edit, text.c_str());
    }
    setRate((u32)typed);
}

bool SampleRatePanel::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (showing) return true;
    if (note->source == edit) {
        if (!checked(other)) return true;
        try {
            i64 typed = edit->getI64();
            if (typed >= 1 && typed <= (i64)maxTypedRate) setRate((u32)typed);
        } catch (const GVerifyException&) {
        }
        return true;
    }
    if (note->source == other) {
        const bool on = checked(other);
        enable(edit, on);
        if (on) {
            showing = true;
            edit->setU32(rate);
            showing = false;
            showNoticeOnce(NoticeRateOther, ravoText(RavoText::RateNoticeOther));
        }
        return true;
    }
    for (u32 i = 0; i < 6; ++i) {
        if (note->source != boxes[i]) continue;
        if (!checked(boxes[i])) return true;
        setRate(standardRates[i]);
        if (rate < 20000) showNoticeOnce(NoticeRateLow, ravoText(RavoText::RateNoticeLow));
        if (rate > 50000) showNoticeOnce(NoticeRateHigh, ravoText(RavoText::RateNoticeHigh));
        return true;
    }
    return false;
}

NewSoundFormatPanel* NewSoundFormatPanel::create(GLayoutBuilder& b, const NewSoundFields& fields,
                                                 const char* alignment) {
    NewSoundFormatPanel* p = new NewSoundFormatPanel(b.owner, ravoText(RavoText::FormatKind));
    p->fields = fields;
    b.linkField(new FormatRecord(p));
    b.pushContainer(p, nullptr, alignment);
    GColumnsItem::create(b, "08800080", "UC");

    GRowItem::create(b, "00000");
    const u32 tag = *fields.tag;
    p->riff = new GRadioBox(b, ravoText(RavoText::FormatRiffPcm), 1, tag != ownFormatTag, "<-");
    p->own = new GRadioBox(b, ravoText(RavoText::FormatOwn), 1, tag == ownFormatTag, "<-");
    b.endContainer();

    p->ratePanel = SampleRatePanel::create(b, fields.rate, "UC");

    const u32 channels = *fields.channels;
    GGroupBoxItem* tracks = new GGroupBoxItem(b.owner, ravoText(RavoText::FormatTracks));
    b.pushContainer(tracks, nullptr, "U^");
    GColumnsItem::create(b, "00000", "UC");
    p->oneTrack = new GRadioBox(b, ravoText(RavoText::FormatOneTrack), 2, channels <= 1, "<C");
    p->twoTracks = new GRadioBox(b, ravoText(RavoText::FormatTwoTracks), 2, channels == 2, "<C");
    GRowItem::create(b, "00000");
    p->manyTracks = new GRadioBox(b, ravoText(RavoText::FormatManyTracks), 2, channels > 2, "<C");
    p->trackCount = addSpinnerField2(b, "999_", "Uv", 1, 1018, fields.channels);
    p->trackCount->show(channels < 1 ? 1 : channels > 1018 ? 1018 : channels);
    b.endContainer();
    b.endContainer();
    b.endContainer();

    const u32 encoding = *fields.encoding;
    GGroupBoxItem* samples = new GGroupBoxItem(b.owner, ravoText(RavoText::FormatEncoding));
    b.pushContainer(samples, nullptr, "U^");
    addGridLayout(2, 2, b, "UC");
    const RavoText names[4] = {RavoText::FormatInt16, RavoText::FormatInt32, RavoText::FormatFloat32,
                               RavoText::FormatFloat64};
    for (u32 i = 0; i < 4; ++i) {
        const bool on = i == 0 ? (encoding < 3 || encoding > 5) : encoding == i + 2;
        p->encodings[i] = new GRadioBox(b, ravoText(names[i]), 3, on, "<C");
    }
    b.endContainer();
    b.endContainer();

    b.endContainer();
    b.endContainer();
    p->updateEnabling();
    return p;
}

void NewSoundFormatPanel::updateEnabling() {
    const bool own = checked(this->own);
    for (GWindow* w : {static_cast<GWindow*>(manyTracks), static_cast<GWindow*>(encodings[1]),
                       static_cast<GWindow*>(encodings[2]), static_cast<GWindow*>(encodings[3])})
        enable(w, own);
    if (!own) {
        if (!checked(encodings[0])) checkOnly(encodings, 4, encodings[0]);
        if (checked(manyTracks)) {
            GRadioBox* tracks[3] = {oneTrack, twoTracks, manyTracks};
            checkOnly(tracks, 3, twoTracks);
        }
    }
    const bool many = own && checked(manyTracks);
    showEnabled(trackCount->edit, many, many);
    showEnabled(trackCount->arrows, many, many);
}

bool NewSoundFormatPanel::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    GItemBase* source = note->source;
    const GItemBase* own[] = {riff, this->own, oneTrack, twoTracks, manyTracks,
                              encodings[0], encodings[1], encodings[2], encodings[3]};
    for (const GItemBase* w : own) {
        if (source != w) continue;
        if (source == encodings[3] && checked(encodings[3]))
            showNoticeOnce(NoticeDoubleSamples, ravoText(RavoText::RateNoticeDouble));
        updateEnabling();
        return true;
    }
    return false;
}

void NewSoundFormatPanel::apply() {
    if (!checked(manyTracks)) *fields.channels = checked(twoTracks) ? 2 : 1;
    if (checked(riff)) {
        *fields.encoding = 2;
        *fields.tag = pcmFormatTag;
        return;
    }
    *fields.encoding = checked(encodings[2]) ? 4 : checked(encodings[3]) ? 5 : checked(encodings[1]) ? 3 : 2;
    *fields.tag = ownFormatTag;
}
