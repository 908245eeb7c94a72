#include "editor/record_dialogs.h"

#include <windows.h>

#include "app/app_settings.h"
#include "app/metronome_window.h"
#include "app/program_texts.h"
#include "editor/record_fragment.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/digit_field.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/progress_bar.h"
#include "gui/controls/value_field.h"
#include "gui/input/system_input.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "mm/mm_settings.h"
#include "mm/sound_format.h"

namespace {

const char* const kHelp = "record_fragment.htm";
const u32 kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

static_assert(sizeof(SamplePeriod) == sizeof(SampleCountRecord), "a sample period is a sample count record");
SampleCountRecord* asRecord(SamplePeriod& p) { return reinterpret_cast<SampleCountRecord*>(&p); }

const LevelRange kLevelRange = {{1, 1, 1, 1}, 0.0, 32767.0, 0.0, 1.0, -100.0, 0.0};
const SampleCountRange kPeriodRange = {0, 1, 0x7FFFFFFF, -1};

i32* asInt(u32& v) { return reinterpret_cast<i32*>(&v); }

void enableItem(GLayoutItem* item, bool on) {
    if (item) enableSubtree(item, on);
}

}  // namespace

void (*buildRecordMixerPanel)(GLayoutBuilder& builder, SoundSettings& sound) = nullptr;

RecordDialog::RecordDialog(GWindow* owner, RecordFragmentProcessor* p) : GDialog(owner, kHelp), processor(p) {}

RecordDialog::~RecordDialog() { removeTimer(&timer); }

bool RecordDialog::build(u32 rate) {
    RecordSettings& r = appSettings.Editor.Record;
    if (!createTopLevelWindow(this, kDialogStyle, 0, ravoText(RavoText::RecordTitle))) return false;
    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    b.pushContainer(body, "88488", nullptr);
    setContent(body);

    b.pushContainer(new GRowItem(this), "08804480", nullptr);
    b.pushContainer(new GColumnsItem(this), "00840", nullptr);
    write[0] = addRadioBox(b, ravoText(RavoText::RecordReplace), 1, asInt(r.writeMode), 2);
    write[1] = addRadioBox(b, ravoText(RavoText::RecordMix), 1, asInt(r.writeMode), 1);
    write[2] = addRadioBox(b, ravoText(RavoText::RecordInsert), 1, asInt(r.writeMode), 0);
    b.endContainer();
    b.pushContainer(new GColumnsItem(this), "00840", nullptr);
    position[0] = addRadioBox(b, ravoText(RavoText::RecordAtCursor), 2, asInt(r.positionMode), 0);
    position[1] = addRadioBox(b, ravoText(RavoText::RecordIntoSelection), 2, asInt(r.positionMode), 1);
    b.endContainer();
    b.endContainer();

    b.pushContainer(new GRowItem(this), "88800480", nullptr);
    b.pushContainer(new GColumnsItem(this), "00840", nullptr);
    begin[0] = addRadioBox(b, ravoText(RavoText::RecordStartNow), 3, asInt(r.begin.mode), 0);
    begin[1] = addRadioBox(b, ravoText(RavoText::RecordStartCountIn), 3, asInt(r.begin.mode), 1);
    countIn = addDigitField(b, nullptr, asRecord(r.begin.delay), kPeriodRange, rate);
    begin[2] = addRadioBox(b, ravoText(RavoText::RecordStartLevel), 3, asInt(r.begin.mode), 3);
    startLevel = addValueField(b, nullptr, &r.begin.level, kLevelRange);
    b.endContainer();
    b.pushContainer(new GColumnsItem(this), "00840", nullptr);
    end[0] = addRadioBox(b, ravoText(RavoText::RecordStopByHand), 4, asInt(r.end.mode), 0);
    end[1] = addRadioBox(b, ravoText(RavoText::RecordStopAfter), 4, asInt(r.end.mode), 1);
    duration = addDigitField(b, nullptr, asRecord(r.end.delay), kPeriodRange, rate);
    end[2] = addRadioBox(b, ravoText(RavoText::RecordStopSilence), 4, asInt(r.end.mode), 2);
    silenceLevel = addValueField(b, nullptr, &r.end.level, kLevelRange);
    silenceTime = addDigitField(b, nullptr, asRecord(r.end.silenceTime), kPeriodRange, rate);
    b.endContainer();
    b.endContainer();

    if (buildRecordMixerPanel) buildRecordMixerPanel(b, multimediaSettings().sound);
    GLabel::create(b, ravoText(RavoText::RecordInputLevel), 0);
    level = GProgressBar::create(b, 32767, "UC");
    GButtonRow::create(b, "OCH");
    b.endContainer();
    chosenPosition = position[1]->checked ? 1 : 0;
    keepConsistent();
    fitToContent();
    addTimer(&timer, 50, this, nullptr);
    return true;
}

void RecordDialog::keepConsistent() {
    // Inserting records at the cursor only.
    const bool inserting = write[2]->checked;
    if (inserting) {
        if (position[1]->checked) chosenPosition = 1;
        position[0]->setChecked(true, false);
        position[1]->setChecked(false, false);
    } else if (!IsWindowEnabled(position[0]->hwnd)) {
        position[chosenPosition]->setChecked(true, false);
        position[1 - chosenPosition]->setChecked(false, false);
    }
    for (GRadioBox* box : position) EnableWindow(box->hwnd, !inserting);
    enableItem(countIn, begin[1]->checked);
    enableItem(startLevel, begin[2]->checked);
    enableItem(duration, end[1]->checked);
    enableItem(silenceLevel, end[2]->checked);
    enableItem(silenceTime, end[2]->checked);
}

bool RecordDialog::onControlNotify(void* n) {
    auto* notice = static_cast<GControlNotification*>(n);
    for (i32 i = 0; i < 2; ++i)
        if (notice->source == position[i] && IsWindowEnabled(position[i]->hwnd) && position[i]->checked) chosenPosition = i;
    if (dynamic_cast<GRadioBox*>(notice->source)) keepConsistent();
    return GDialog::onControlNotify(n);
}

void RecordDialog::onTimer(TimerRecord*) {
    if (level) level->setPosition(processor->levelCopy);
}

RecordProcessDialog::RecordProcessDialog(GWindow* owner, RecordFragmentProcessor* p) : GDialog(owner, kHelp), processor(p) {}

RecordProcessDialog::~RecordProcessDialog() { removeTimer(&timer); }

bool RecordProcessDialog::build(const SoundFormat& format) {
    const RecordSettings& r = appSettings.Editor.Record;
    if (!createTopLevelWindow(this, kDialogStyle, 0, ravoText(RavoText::RecordRunning))) return false;
    const MetronomeSettings& m = multimediaSettings().metronome;
    MetronomeSetup setup;
    setup.beatsPerBar = (i32)m.count;
    setup.msPerBeat = (i32)m.time;
    setup.startTick = systemInput.tickCount();
    setup.waitingText = ravoText(RavoText::RecordWaiting);
    if (r.begin.mode == 1 && format.sampleRate)
        setup.startTick += (u32)((u64)r.begin.delay.countAt(format.sampleRate) * 1000 / format.sampleRate);
    else if (r.begin.mode == 3)
        setup.stopped = true;
    threshold = (i32)r.begin.level.sampleValue;

    GLayoutBuilder b(this);
    GColumnsItem* body = new GColumnsItem(this);
    b.pushContainer(body, "88488", nullptr);
    setContent(body);
    metronome = GMetronomeWindow::build(b, setup);
    level = GProgressBar::create(b, 32767, "UC");
    GButton::create(b, ravoText(RavoText::RecordStop), 0, RecordStopButton, "UC");
    b.endContainer();
    fitToContent();
    addTimer(&timer, 50, this, nullptr);
    return true;
}

bool RecordProcessDialog::onControlNotify(void* n) {
    auto* notice = static_cast<GControlNotification*>(n);
    if (notice->source == metronome && notice->code == MetronomeStarted) {
        if (processor->finished()) processor->beginWriting();
        return true;
    }
    return GDialog::onControlNotify(n);
}

bool RecordProcessDialog::onCommand(u32 command, GStateQuery* query) {
    if (command == RecordStopButton) {
        processor->stopAndWait();
        endDialog(1);
        return true;
    }
    return GDialog::onCommand(command, query);
}

void RecordProcessDialog::onTimer(TimerRecord*) {
    if (!processor->runningCopy && result < 0) {
        endDialog(3);
        return;
    }
    if (level) level->setPosition(processor->levelCopy);
    if (metronome && !metronome->running() && metronome->stopped() && processor->levelCopy >= threshold)
        metronome->start();
}
