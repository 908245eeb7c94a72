#include "editor/effect_preview.h"

#include <windows.h>

#include <algorithm>

#include "app/program_texts.h"
#include "core/exceptions.h"
#include "editor/edit_record.h"
#include "editor/editor_window.h"
#include "engine/processor.h"
#include "gui/controls/button.h"
#include "gui/input/busy_cursor.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_settings.h"
#include "mm/sound_player.h"

namespace {

enum : u32 { PreviewCommand = 4, PlayAsIsCommand = 5 };
const u64 kPreviewSeconds = 5;
const u32 kStopCheckMs = 500;

GButton* buttonOf(GDialog* dialog, u32 command) {
    HWND handle = dialog->hwnd ? GetDlgItem(dialog->hwnd, (int)command) : nullptr;
    GChildWindow* window = handle ? windowFromHandle(handle) : nullptr;
    return window && window->isKindOf(TypeButton) ? static_cast<GButton*>(window) : nullptr;
}

// Preview and play-as-is just before OK, in OK's row and in the tab order.
void addPreviewButtons(GDialog* dialog) {
    GButton* ok = buttonOf(dialog, 1);
    if (!ok || !ok->container || buttonOf(dialog, PreviewCommand)) return;
    GLayoutItem* row = ok->container;
    GLayoutBuilder builder(dialog);
    builder.current = row;
    HWND before = GetWindow(ok->hwnd, GW_HWNDPREV);
    const struct {
        RavoText text;
        u32 command;
    } added[] = {{RavoText::PreviewButton, PreviewCommand}, {RavoText::PreviewAsIs, PlayAsIsCommand}};
    for (const auto& a : added) {
        GButton* button = GButton::create(builder, ravoText(a.text), 0, a.command);
        row->moveChild(button->index, ok->index);
        SetWindowPos(button->hwnd, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        before = button->hwnd;
    }
    dialog->fitToContent();
}

// The play entry's loop switch and the player's repeat bit off for the scope.
class NoRepeat {
public:
    explicit NoRepeat(SoundPlayer* player) : player(player), entry(multimediaSettings().sound.play) {
        loop = entry.choiceFlags & DeviceSwitch::Loop;
        entry.choiceFlags &= ~(u32)DeviceSwitch::Loop;
        auto hold = player->holdControl();
        repeat = player->stateBits() & playerRepeat;
        player->setStateBits(0, playerRepeat);
    }
    ~NoRepeat() {
        entry.choiceFlags |= loop;
        auto hold = player->holdControl();
        player->setStateBits(repeat, 0);
    }
    NoRepeat(const NoRepeat&) = delete;
    NoRepeat& operator=(const NoRepeat&) = delete;

private:
    SoundPlayer* player;
    DeviceSettings& entry;
    u32 loop = 0, repeat = 0;
};

// The dialog at alpha 100 for the scope, then opaque and in front again.
class Translucent {
public:
    explicit Translucent(HWND window) : window(window) {
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, 0, 100, LWA_ALPHA);
    }
    ~Translucent() {
        if (!IsWindow(window)) return;
        SetLayeredWindowAttributes(window, 0, 255, LWA_ALPHA);
        BringWindowToTop(window);
    }
    Translucent(const Translucent&) = delete;
    Translucent& operator=(const Translucent&) = delete;

private:
    HWND window;
};

GString withoutMnemonic(const char* text) {
    GString out;
    for (const char* c = text; *c; ++c)
        if (*c != '&' || c[1] == '&') stringAppendChar(out, *c);
    return out;
}

// The processor's range as bound; every pass starts from it again.
struct KeptRange {
    explicit KeptRange(SoundBlockProcessor* p) : start(p->rangeStart), end(p->rangeEnd), length(p->rangeLength) {}
    void restore(SoundBlockProcessor* p) const {
        p->rangeStart = start;
        p->rangeEnd = end;
        p->rangeLength = length;
        p->flags = 0;
        std::fill(p->extraPositions, p->extraPositions + 4, unsetPosition);
    }
    u64 start, end, length;
};

// Plays [start, end) of the Editor's sound (store positions) without looping, under a stop window
// over `cover`, the dialog at alpha 100 meanwhile. Returns when playback ended or was stopped.
void playPreview(EditorWindow* editor, GDialog* dialog, GButton* cover, u64 start, u64 end) {
    SoundPlayer* player = editor->player;
    if (!player || end <= start || start < editor->dataStart) return;
    editor->stopPlayback(true, true);
    SoundFormatBlock block;
    if (!buildFormatBlock(&block, &editor->format, editor->window)) return;
    NoRepeat once(player);
    try {
        if (!player->playRange(editor->window, &editor->store, block.format(), start - editor->dataStart,
                               end - editor->dataStart))
            return;
    } catch (const GException&) {
        return;
    }
    PreviewStopWindow stop(dialog, player, dialog->helpPage);
    if (stop.build()) {
        RECT over{};
        if (cover && cover->hwnd) GetWindowRect(cover->hwnd, &over);
        Translucent dim(dialog->hwnd);
        showModal(&stop, &over, PlaceCentreOnOwner);
    }
    player->stopAndWait(false);
}

}  // namespace

PreviewStopWindow::~PreviewStopWindow() { removeTimer(&timer); }

bool PreviewStopWindow::build() {
    GString title = withoutMnemonic(ravoText(RavoText::PreviewButton));
    if (!createTopLevelWindow(this, WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW, title.c_str())) return false;
    GLayoutBuilder builder(this);
    GGridLayout* grid = new GGridLayout(this, 1, 1);
    builder.pushContainer(grid, "000000", nullptr);
    setContent(grid);
    GButton::create(builder, ravoText(RavoText::PreviewStop), ButtonDefault, 2, "UU");
    builder.endContainer();
    addTimer(&timer, kStopCheckMs, this, nullptr);
    return true;
}

bool PreviewStopWindow::onCommand(u32 command, GStateQuery* query) {
    player->stopAndWait(false);
    return GDialog::onCommand(command, query);
}

void PreviewStopWindow::onTimer(TimerRecord* record) {
    if (record != &timer || player->isRunning()) return;
    removeTimer(&timer);
    ValidateRect(hwnd, nullptr);
    endDialog(2);
}

i32 runEffectDialog(EditorWindow* editor, SoundBlockProcessor* p, GDialog* dialog,
                    const std::function<void()>& takeValues, const std::function<void()>& againShown) {
    addPreviewButtons(dialog);
    const KeptRange kept(p);
    i32 result = placeWindowAuto(dialog, PlaceCentreOnOwner);
    for (;;) {
        if (result != 1 && result != PreviewCommand && result != PlayAsIsCommand) return 0;
        kept.restore(p);
        if (takeValues) takeValues();
        if (result == 1) return 1;
        // The first five seconds, or less when the range is shorter.
        const u64 fiveSeconds = kPreviewSeconds * editor->format.bytesPerFrame * editor->format.sampleRate;
        const u64 previewEnd = std::min(kept.end, kept.start + fiveSeconds);
        EditRecord* trial = nullptr;
        bool play = true;
        if (result == PreviewCommand) {
            BusyCursor busy;
            // The work the row set (passes, twice-over runs) shrinks with the range.
            const u64 full = kept.end - kept.start, part = previewEnd - kept.start;
            p->rangeEnd = previewEnd;
            p->rangeLength = part == full ? p->rangeLength : (u64)((f64)p->rangeLength * (f64)part / (f64)full);
            trial = editor->runTrial(p);
            play = trial != nullptr;
        }
        p->rangeEnd = previewEnd;
        if (play) playPreview(editor, dialog, buttonOf(dialog, (u32)result), kept.start, previewEnd);
        editor->undoTrial(trial);
        if (!dialog->hwnd || !IsWindow(dialog->hwnd)) return 0;
        if (againShown) againShown();
        RECT at;
        GetWindowRect(dialog->hwnd, &at);
        dialog->result = -1;
        result = showModal(dialog, &at, PlaceKeep);
    }
}
