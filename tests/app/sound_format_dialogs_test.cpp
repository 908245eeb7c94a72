// The new-sound and rate dialogs run modally, answered by clicks on their boxes and buttons and by
// typed text; what OK writes into the settings fields read back.
#include "app/sound_format_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/edit_line.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/spinner_field.h"
#include "gui/frame/shown_notices.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"

namespace {

std::vector<std::string> boxes;

i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text ? text : "");
    return 1;
}

size_t countBoxes(RavoText id) {
    size_t n = 0;
    for (const std::string& b : boxes) n += b == ravoText(id);
    return n;
}

void clickAt(HWND hwnd, i32 x, i32 y) {
    const LPARAM at = MAKELPARAM(x, y);
    SendMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
}

void click(GMarkWindow* box) {
    RECT mark, text;
    box->geometry(&mark, &text);
    clickAt(box->hwnd, (mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
}

// The button's command, as its click sends it; an ending dialog is unmarked first.
void pressButton(GDialog& d, i32 id, bool ends = true) {
    ASSERT_NE(GetDlgItem(d.hwnd, id), nullptr);
    if (ends) ModalScript::unmark(d);
    SendMessageA(d.hwnd, WM_COMMAND, (WPARAM)id, 0);
}

void typeText(GEditLine* edit, const std::string& text) {
    SetFocus(edit->hwnd);
    SendMessageA(edit->hwnd, EM_SETSEL, 0, -1);
    for (char c : text) SendMessageA(edit->hwnd, WM_CHAR, (WPARAM)(u8)c, 0);
}

bool visible(GWindow* w) { return w->hwnd && IsWindowVisible(w->hwnd); }
bool enabled(GWindow* w) { return w->hwnd && IsWindowEnabled(w->hwnd); }

struct Fields {
    u32 tag = 1, channels = 2, encoding = 2, rate = 44100;
    SamplePeriod length{44100, 44100};
    NewSoundFields pointers() { return {&tag, &channels, &encoding, &rate}; }
};

struct DialogFixture {
    TestApplication app;
    DialogFixture() {
        boxes.clear();
        setMessageBoxSink(recordBox);
    }
    ~DialogFixture() { setMessageBoxSink(nullptr); }

    // Builds the dialog over the fields, runs it with the steps and answers its result.
    i32 runFormat(Fields& f, std::vector<std::function<void(FormatDialog&, FormatDialogParts&)>> steps) {
        FormatDialog dialog(nullptr, "create_new.htm");
        FormatDialogParts parts;
        EXPECT_TRUE(buildFormatDialog(&dialog, f.pointers(), &f.length, &parts));
        std::vector<ModalScript::Step> script;
        for (auto& s : steps) script.push_back([&, s](GDialog&) { s(dialog, parts); });
        ModalScript run(TypeFormatDialog, script);
        return runModal(&dialog);
    }
};

}  // namespace

TEST(FormatDialog, OpensWithTheStoredChoiceAfterTheEnablingRules) {
    DialogFixture fx;
    struct Case {
        const char* what;
        u32 tag, channels, encoding, rate;
        bool riff, one, two, many, spinnerShown, otherRate;
        u32 storedChannels, storedEncoding, storedTag;
    } cases[] = {
        // A WAVE file holds no more than two tracks here: many-tracks falls back to two.
        {"RIFF with 6 tracks", 1, 6, 2, 44100, true, false, true, false, false, false, 2, 2, 1},
        {"own format with 6 tracks", 0xBA0D, 6, 5, 44100, false, false, false, true, true, false, 6, 5, 0xBA0D},
        {"one track at 32000 Hz", 1, 1, 2, 32000, true, true, false, false, false, true, 1, 2, 1},
        {"RIFF keeps no 32-bit float", 1, 2, 4, 48000, true, false, true, false, false, false, 2, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fields f;
        f.tag = c.tag, f.channels = c.channels, f.encoding = c.encoding, f.rate = c.rate;
        std::string edited;
        i32 result = fx.runFormat(f, {[&](FormatDialog& d, FormatDialogParts& p) {
            NewSoundFormatPanel* panel = p.format;
            EXPECT_EQ(panel->riff->isChecked(), c.riff);
            EXPECT_EQ(panel->own->isChecked(), !c.riff);
            EXPECT_EQ(panel->oneTrack->isChecked(), c.one);
            EXPECT_EQ(panel->twoTracks->isChecked(), c.two);
            EXPECT_EQ(panel->manyTracks->isChecked(), c.many);
            EXPECT_EQ(visible(panel->trackCount->edit), c.spinnerShown);
            EXPECT_EQ(enabled(panel->manyTracks), !c.riff);
            EXPECT_EQ(enabled(panel->encodings[3]), !c.riff);
            EXPECT_EQ(panel->ratePanel->other->isChecked(), c.otherRate);
            EXPECT_EQ(enabled(panel->ratePanel->edit), c.otherRate);
            edited = panel->ratePanel->edit->text();
            pressButton(d, IDOK);
        }});
        EXPECT_EQ(result, 1);
        EXPECT_EQ(edited, std::to_string(c.rate));
        EXPECT_EQ(f.channels, c.storedChannels);
        EXPECT_EQ(f.encoding, c.storedEncoding);
        EXPECT_EQ(f.tag, c.storedTag);
        EXPECT_EQ(f.rate, c.rate);
    }
}

TEST(FormatDialog, ClicksChangeTheChoiceAndOkAppliesIt) {
    DialogFixture fx;
    Fields f;
    f.tag = 0xBA0D, f.channels = 2, f.encoding = 5;
    i32 result = fx.runFormat(f, {[&](FormatDialog& d, FormatDialogParts& p) {
        NewSoundFormatPanel* panel = p.format;
        ASSERT_TRUE(panel->encodings[3]->isChecked());
        // Back to RIFF: 64-bit float gives way to 16-bit.
        click(panel->riff);
        EXPECT_TRUE(panel->encodings[0]->isChecked());
        EXPECT_FALSE(panel->encodings[3]->isChecked());
        EXPECT_FALSE(enabled(panel->encodings[2]));
        // Own format again with 32-bit float and one track.
        click(panel->own);
        click(panel->encodings[2]);
        click(panel->oneTrack);
        pressButton(d, IDOK);
    }});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(f.tag, 0xBA0Du);
    EXPECT_EQ(f.encoding, 4u);
    EXPECT_EQ(f.channels, 1u);
}

TEST(FormatDialog, TheTrackSpinnerTakes1018TracksAndRefuses1019) {
    DialogFixture fx;
    Fields f;
    f.tag = 0xBA0D, f.channels = 2;
    bool refusedStaysOpen = false;
    i32 result = fx.runFormat(f, {[&](FormatDialog& d, FormatDialogParts& p) {
        NewSoundFormatPanel* panel = p.format;
        click(panel->manyTracks);
        EXPECT_TRUE(visible(panel->trackCount->edit));
        typeText(panel->trackCount->edit, "1019");
        pressButton(d, IDOK, false);
        refusedStaysOpen = d.result != 1;
        typeText(panel->trackCount->edit, "1018");
        pressButton(d, IDOK);
    }});
    EXPECT_TRUE(refusedStaysOpen);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(f.channels, 1018u);
}

TEST(FormatDialog, ARateChangeKeepsTheLengthsSampleCount) {
    DialogFixture fx;
    Fields f;
    f.rate = 44100;
    f.length = {44100, 44100};
    std::string timeBefore, timeAfter, samplesAfter;
    i32 result = fx.runFormat(f, {[&](FormatDialog& d, FormatDialogParts& p) {
        timeBefore = p.length->time->edit->text();
        click(p.format->ratePanel->boxes[2]);  // 22050 Hz
        timeAfter = p.length->time->edit->text();
        samplesAfter = p.length->samples->edit->text();
        pressButton(d, IDOK);
    }});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(f.rate, 22050u);
    EXPECT_EQ(samplesAfter, "44100");
    EXPECT_EQ(timeBefore, "1.000");
    EXPECT_EQ(timeAfter, "2.000");
    EXPECT_EQ(f.length.count, 44100u);
    EXPECT_EQ(f.length.rate, 22050u);
}

TEST(FormatDialog, RatesASoundCannotHaveAreRefused) {
    DialogFixture fx;
    Fields f;
    f.rate = 32000;
    struct Typed {
        const char* text;
        bool accepted;
    } typed[] = {{"2000000", false}, {"0", false}, {"1000000", true}};
    i32 result = fx.runFormat(f, {[&](FormatDialog& d, FormatDialogParts& p) {
        for (const Typed& t : typed) {
            typeText(p.format->ratePanel->edit, t.text);
            d.result = -1;
            pressButton(d, IDOK, t.accepted);
            EXPECT_EQ(d.result == 1, t.accepted) << t.text;
        }
    }});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(f.rate, 1000000u);
    GString tooHigh;
    stringFormat(tooHigh, ravoText(RavoText::RateTooHigh), 1000000u);
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), tooHigh.c_str()), boxes.end());
    // The length's limit at the highest rate still fits 32 bits.
    EXPECT_EQ(newSoundMaxFrames(1000000), 0xFFFFFFFFu);
    EXPECT_EQ(newSoundMaxFrames(44100), 6060u * 44100);
}

TEST(FormatDialog, EachNoticeOnlyOncePerRun) {
    DialogFixture fx;
    // A fresh run: a store that cannot be read leaves the set empty.
    loadNotices("Z:\\no such folder\\notices");
    for (u32 key : {NoticeRateLow, NoticeRateHigh, NoticeRateOther, NoticeDoubleSamples}) ASSERT_LT(findNotice(key), 0);
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        Fields f;
        f.tag = 0xBA0D;
        fx.runFormat(f, {[&](FormatDialog& d, FormatDialogParts& p) {
            SampleRatePanel* rates = p.format->ratePanel;
            click(rates->boxes[0]);  // 8000 Hz
            click(rates->boxes[1]);  // 11025 Hz, low again
            click(rates->boxes[5]);  // 96000 Hz
            click(rates->other);
            click(p.format->encodings[3]);
            pressButton(d, IDCANCEL);
        }});
    }
    for (RavoText id : {RavoText::RateNoticeLow, RavoText::RateNoticeHigh, RavoText::RateNoticeOther,
                        RavoText::RateNoticeDouble})
        EXPECT_EQ(countBoxes(id), 1u) << ravoText(id);
}

TEST(RateDialog, EditsACopyOfTheRate) {
    DialogFixture fx;
    struct Case {
        const char* what;
        u32 rate;
        bool other;
        i32 pick;  // standard box to click, -1 none
        i32 end;
        u32 after;
    } cases[] = {
        {"32000 shows as another rate", 32000, true, -1, IDOK, 32000},
        {"44100 to 22050", 44100, false, 2, IDOK, 22050},
        {"cancel keeps the rate", 44100, false, 0, IDCANCEL, 44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        u32 rate = c.rate;
        bool other = false;
        std::string shown;
        u32 copy = rate;
        RateDialog dialog(nullptr, "rate.htm");
        SampleRatePanel* panel = nullptr;
        ASSERT_TRUE(buildRateDialog(&dialog, "Change rate", &copy, &panel));
        ModalScript script(TypeRateDialog, {[&](GDialog& d) {
            other = panel->other->isChecked();
            shown = panel->edit->text();
            if (c.pick >= 0) click(panel->boxes[c.pick]);
            pressButton(d, c.end);
        }});
        EXPECT_EQ(runModal(&dialog), c.end);
        if (c.end == IDOK) rate = copy;
        EXPECT_EQ(other, c.other);
        EXPECT_EQ(shown, std::to_string(c.rate));
        EXPECT_EQ(rate, c.after);
    }
}
