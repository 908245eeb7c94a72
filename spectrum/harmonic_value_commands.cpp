// The spectrum page's commands that change values of the selected harmonics in place, each one
// undo step: PITCH, MUL/AMPLIFY, CHANGE_MAX_VOLUME, RANDOMIZE and REMOVE_DUPLICATES.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "engine/random.h"
#include "gui/input/busy_cursor.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/modal_run.h"
#include "gui/views/table.h"
#include "spectrum/harmonic_randomize_dialog.h"
#include "spectrum/harmonic_window.h"

namespace {
const double kPi = 3.14159265358979323846;

void setFrequency(HarmonicRecord& r, f64 frequency) {
    r.frequency = frequency;
    r.baseFrequency = baseOfOvertone(frequency, r.overtone);
    HarmonicRecord::updateNote(&r);
}
}  // namespace

bool SpectrumWindow::takeAtLeast(std::vector<u32>& rows, u32 least) {
    if (takeSelection(rows) >= least) return true;
    showErrorF(window, ravoText(RavoText::HarmonicsTooFew), (int)least);
    return false;
}

void SpectrumWindow::valuesChanged() {
    table->invalidate();
    markModified();
    syncPane();
}

void SpectrumWindow::harmonicPitchCommand() {
    std::vector<u32> rows;
    takeSelection(rows);
    const char* title = ravoText(RavoText::HarmonicPitchTitle);
    IntervalValue& value = appSettings.Editor.pitchData_pitch;
    if (!SpectrumCalls::runPitchDialog(window, "harm_pitch.htm", title, ravoText(RavoText::HarmonicPitchExplanation),
                                       ravoText(RavoText::HarmonicPitchLabel), &value,
                                       IntervalRange::fromSemitones(-120.0, 120.0)))
        return;
    const f64 ratio = value.ratio;
    HarmonicModifyEdit* edit = new HarmonicModifyEdit(title, this);
    history.execute(edit);
    for (u32 r : rows) {
        edit->add(list[r], r);
        setFrequency(list[r], list[r].frequency * ratio);
    }
    valuesChanged();
}

void SpectrumWindow::multiplyHarmonicsCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 1)) return;
    const char* title = ravoText(RavoText::Amplify);
    LevelValue& level = appSettings.Editor.ampData_mul;
    const LevelRange range = {{0, 1, 1, 1}, -2147483648.0, 2147483647.0, 0.001, 1000.0, -30.0, 30.0};
    if (!SpectrumCalls::runAmpDialog(window, "mul_harm.htm", title, ravoText(RavoText::HarmonicAmplifyLabel), &level,
                                     range))
        return;
    BusyCursor busy;
    const f64 k = level.factor;
    HarmonicModifyEdit* edit = new HarmonicModifyEdit(title, this);
    history.execute(edit);
    for (u32 r : rows) {
        edit->add(list[r], r);
        list[r].amplitude *= k;
    }
    valuesChanged();
}

void SpectrumWindow::changeMaxVolumeCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 1)) return;
    LevelValue& level = appSettings.Editor.ampData_set_maximum;
    const LevelRange range = {{1, 1, 1, 1}, 1.0, 32767.0, 0.0, 1.0, -30.0, 0.0};
    if (!SpectrumCalls::runAmpDialog(window, "mul_harm.htm", ravoText(RavoText::HarmonicMaxVolumeTitle),
                                     ravoText(RavoText::HarmonicMaxVolumeLabel), &level, range))
        return;
    BusyCursor busy;
    f64 largest = 0.0;
    for (u32 r : rows)
        if (list[r].amplitude > largest) largest = list[r].amplitude;
    // No amplitude above 0: no finite scale, nothing to do.
    if (!(largest > 0.0)) return;
    const f64 scale = level.sampleValue / largest;
    HarmonicModifyEdit* edit = new HarmonicModifyEdit(ravoText(RavoText::ChangeMaxVolume), this);
    history.execute(edit);
    for (u32 r : rows) {
        edit->add(list[r], r);
        list[r].amplitude *= scale;
    }
    valuesChanged();
}

void SpectrumWindow::randomizeCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 1)) return;
    const char* title = ravoText(RavoText::Randomize);
    SpectrumRandom& settings = appSettings.Spectrum.randData;
    {
        HarmonicRandomizeDialog dialog(window);
        if (!dialog.build(settings, title, ravoText(RavoText::RandomizeExplanation))) return;
        if (runModal(&dialog) != 1) return;
        dialog.readBoxes();
        settings = dialog.working;
    }
    BusyCursor busy;
    const SpectrumRandom s = settings;
    const bool absolute = s.flags[3] != 0;
    HarmonicModifyEdit* edit = new HarmonicModifyEdit(title, this);
    history.execute(edit);
    for (u32 row : rows) {
        HarmonicRecord& r = list[row];
        edit->add(r, row);
        if (s.flags[1]) {
            const f64 d = absolute ? s.values[1] * 32767.0 / 100.0 : std::fabs(r.amplitude) * s.values[1] / 100.0;
            const f64 lo = std::max(std::min(r.amplitude - d, 32767.0), 0.0);
            const f64 hi = std::max(std::min(r.amplitude + d, 32767.0), 0.0);
            r.amplitude = randomInRange(lo, hi);
        }
        if (s.flags[0]) {
            const f64 d = absolute ? s.values[0] * 22050.0 / 100.0 : std::fabs(r.frequency) * s.values[0] / 100.0;
            const f64 lo = std::min(std::max(r.frequency - d, 0.0), 44100.0);
            const f64 hi = std::min(std::max(r.frequency + d, 0.0), 44100.0);
            setFrequency(r, randomInRange(lo, hi));
        }
        if (s.flags[2]) {
            const f64 d = absolute ? s.values[2] * kPi / 100.0 : std::fabs(r.phase) * s.values[2] / 100.0;
            f64 p = randomInRange(r.phase - d, r.phase + d);
            if (p > kPi) p -= 2 * kPi;
            else if (p < -kPi) p += 2 * kPi;
            r.phase = p;
        }
    }
    valuesChanged();
}

void SpectrumWindow::removeDuplicatesCommand() {
    std::vector<u32> rows;
    if (!takeAtLeast(rows, 2)) return;
    const char* title = ravoText(RavoText::RemoveDuplicates);
    IntervalValue& tolerance = appSettings.Spectrum.pitchData_duplicates;
    if (!SpectrumCalls::runPitchDialog(window, "remove_dups.htm", title, ravoText(RavoText::DuplicatesExplanation),
                                       ravoText(RavoText::DuplicatesLabel), &tolerance,
                                       IntervalRange::fromSemitones(0.0, 12.0)))
        return;
    const f64 t = tolerance.ratio;
    HarmonicGroupEdit* group = new HarmonicGroupEdit(SpectrumRemoveDuplicates, title);
    HarmonicModifyEdit* modify = new HarmonicModifyEdit(ravoText(RavoText::Edit), this);
    HarmonicDeleteEdit* remove = new HarmonicDeleteEdit(ravoText(RavoText::Clear), this);
    group->add(modify);
    group->add(remove);
    history.execute(group);

    // Undo copies are taken of the records as they were, before any mark changes.
    std::vector<HarmonicRecord> before(list.data, list.data + list.count);
    std::vector<HarmonicRecord*> sorted;
    for (u32 r : rows) {
        list[r].reserved16 = 0;
        sorted.push_back(&list[r]);
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const HarmonicRecord* a, const HarmonicRecord* b) { return a->frequency < b->frequency; });

    HarmonicRecord* head = sorted[0];
    f64 headFrequency = head->frequency;
    for (size_t i = 1; i < sorted.size(); ++i) {
        HarmonicRecord* c = sorted[i];
        const f64 f = c->frequency;
        const bool duplicate = f >= 1e-10 ? f / headFrequency < t : f - headFrequency < t;
        if (!duplicate) {
            head = c;
            headFrequency = f;
            continue;
        }
        c->reserved16 |= 4;
        head->reserved16 |= 1;
        const f64 a0 = head->amplitude, a1 = c->amplitude;
        const f64 re = a0 * std::cos(head->phase) + a1 * std::cos(c->phase);
        const f64 im = a0 * std::sin(head->phase) + a1 * std::sin(c->phase);
        head->amplitude = std::sqrt(re * re + im * im);
        head->phase = std::atan2(im, re);
        // Weights summing to 0 have no mean: the head keeps its frequency.
        const f64 weight = a0 + a1;
        const f64 merged = (a1 * f + a0 * headFrequency) / weight;
        if (weight != 0.0 && std::isfinite(merged)) setFrequency(*head, merged);
        else setFrequency(*head, head->frequency);
    }
    for (u32 r : rows)
        if (!(list[r].reserved16 & 4) && memcmp(&list[r], &before[r], sizeof(HarmonicRecord)) != 0)
            modify->add(before[r], r);

    // Runs of merged-away rows go, each from its last row up.
    GSelectionModel* s = table->selection();
    u32 m = list.count;
    auto gone = [&](i64 r) { return r < (i64)m && s->isSelected(r) && (list[(u32)r].reserved16 & 4); };
    i64 r = s->firstSelected();
    while (r >= 0 && r < (i64)m) {
        if (!gone(r)) {
            r = s->nextSelected(r);
            continue;
        }
        u32 e = (u32)r + 1;
        while (gone(e)) ++e;
        for (u32 k = e; k-- > (u32)r;) {
            remove->add(before[k], k);
            table->removeRow(k);
        }
        before.erase(before.begin() + r, before.begin() + e);
        m -= e - (u32)r;
        if (!s->isSelected(r)) r = s->nextSelected(r);
    }
    syncPane();
    table->ensureSelection();
    refreshViews();
    markModified();
}
