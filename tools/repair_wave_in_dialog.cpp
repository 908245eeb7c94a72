#include "tools/repair_wave_in_dialog.h"

#include <windows.h>
#include <mmsystem.h>

#include "gui/controls/label.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/progress_bar.h"
#include "gui/layout/layout_builder.h"
#include "gui/views/table.h"
#include "mm/mixer.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "tools/mixer_line_list.h"
#include "tools/mixer_line_table.h"

void LoopbackRecorder::prepare(f64 seconds) {
    std::lock_guard<std::mutex> hold(lock);
    ring.prepare(LoopbackRing::sizeFor(seconds));
}

u16 LoopbackRecorder::takePeak() {
    std::lock_guard<std::mutex> hold(lock);
    u16 peak = ring.peak;
    ring.peak = 0;
    return peak;
}

u32 LoopbackRecorder::readFrames(void* out, u32 frames) {
    std::lock_guard<std::mutex> hold(lock);
    ring.read(out, frames * 4);
    return frames;
}

bool LoopbackRecorder::deliverData(u32 bytes, const void* data) {
    std::lock_guard<std::mutex> hold(lock);
    ring.write(data, bytes);
    return true;
}

GRepairWaveInDialog::GRepairWaveInDialog(GWindow* owner, SoundSettings* sound)
    : GRepairWaveDialog(owner, sound, &sound->record, "repair_record.htm"), playSettings(&sound->play) {}

GRepairWaveInDialog::~GRepairWaveInDialog() { stopSound(); }

const char* GRepairWaveInDialog::text(i32 part) const {
    static const MmText parts[] = {MmText::RepairRecordTitle, MmText::RepairRecordHeading, MmText::RepairRecordText1,
                                   MmText::RepairRecordText2, MmText::RepairRecordText3};
    return part >= -1 && part <= 3 ? mmText(parts[part + 1]) : "";
}

void GRepairWaveInDialog::addDeviceChoosers(GLayoutBuilder& b) {
    GLabel::create(b, mmText(MmText::RepairRecordLine), 0, "<^");
    recordList = MixerLineList::create(b, settings, "U^");
    GLabel::create(b, mmText(MmText::RepairPlayLine), 0, "<^");
    playList = MixerLineList::create(b, playSettings, "U^");
}

void GRepairWaveInDialog::addExtraContent(GLayoutBuilder& b) {
    GMultiLabel::create(b, mmText(MmText::RepairRecordExtra), 60, 1, MultiWidthChars | MultiHeightChars | MultiNoVerticalBar,
                        "U^<^");
    GTableDesc desc;
    GString columns;
    const MmText names[] = {MmText::RepairColumnState, MmText::RepairColumnAudible, MmText::RepairColumnDestination,
                            MmText::RepairColumnType, MmText::RepairColumnMixer, MmText::RepairColumnLine,
                            MmText::RepairColumnDevice};
    for (MmText n : names) {
        if (!columns.empty()) stringAppend(columns, ",");
        stringAppend(columns, mmText(n));
        stringAppend(columns, ":W=90");
    }
    desc.columnCount = MixerLineTableModel::Columns;
    desc.columnSpec = columns.c_str();
    model = new MixerLineTableModel;
    desc.model = model;
    desc.visibleRows = 10;
    table = createTable(b.current, this, desc);
    if (!table) model = nullptr;
    fillTable();
    GLabel::create(b, mmText(MmText::RepairRecordLevel), 0, "<^");
    meter = GProgressBar::create(b, 32767, "U^");
}

void GRepairWaveInDialog::fillTable() {
    if (!model) return;
    model->fill(settings->mixer, settings->destination, settings->source, playSettings->mixer,
                playSettings->destination, playSettings->source);
    table->reload(0);
}

std::string GRepairWaveInDialog::deviceName(u32 device) const {
    WAVEINCAPSA caps = {};
    return waveInGetDevCapsA(device, &caps, sizeof caps) == MMSYSERR_NOERROR ? caps.szPname : "";
}

void GRepairWaveInDialog::startSound() {
    recorder.reset(new LoopbackRecorder(settings, (i32)sound->recorder.bufCount, (i32)sound->recorder.bufPerSecond));
    recorder->prepare(0.5);
    WAVEFORMATEX format = {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    WindowErrorHandler handler(this);
    recorder->errorSink = &handler;
    recorder->start(&format);
    recorder->errorSink = nullptr;
    output.reset(new SynthOutput(playSettings, sound->synth, 2));
    output->clearSources(true);
    output->addSource(recorder.get(), false);
    if (hwnd) SetTimer(hwnd, meterTimer, 100, nullptr);
}

void GRepairWaveInDialog::stopSound() {
    if (hwnd) KillTimer(hwnd, meterTimer);
    if (recorder) {
        recorder->stopAndWait();
        if (stopped) stopped("recorder");
    }
    if (output) {
        output->stopAndWait(false);
        output->removeAllSources();
        if (stopped) stopped("output");
    }
    output.reset();
    recorder.reset();
}

void GRepairWaveInDialog::showLevel() {
    u16 peak = recorder ? recorder->takePeak() : 0;
    if (meter) meter->setPosition(peak);
}

bool GRepairWaveInDialog::handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    if (message == WM_TIMER && wParam == meterTimer) {
        showLevel();
        *result = 0;
        return true;
    }
    return GRepairWaveDialog::handleMessage(message, wParam, lParam, result);
}

bool GRepairWaveInDialog::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    if (note->source == table && note->code == TableCheckToggled && model) {
        u64 row = (u64)note->value;
        if (row < model->rows.size()) {
            const MixerLineRow& r = model->rows[row];
            Mixer m;
            m.mixerId = (u32)r.mixer;
            bool mute = !r.audible;
            accessLineMute(m, mute, true, {r.destination, r.source});
        }
        fillTable();
        return true;
    }
    if (note->code == MixerLineList::changedCode) fillTable();
    return GRepairWaveDialog::onControlNotify(n);
}

void GRepairWaveInDialog::run(GWindow* owner, SoundSettings* sound) {
    GRepairWaveInDialog dialog(owner, sound);
    runDialog(dialog);
}
