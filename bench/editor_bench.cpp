// The Editor page over one hour of stereo 16-bit sound at 44.1 kHz in a shown window: opening the
// WAVE to its first paint, undo and redo of AMPLIFY, CUT and CROP, Stop on a running AMPLIFY, SAVE in
// place and BACKUP beside a plain copy.
#include "bench/bench.h"
#include "bench/bench_sound.h"
#include "editor/editor_window.h"
#include "editor/wave_pane.h"
#include "gui/frame/progress_line.h"
#include "gui/kernel/application.h"
#include "gui/kernel/dialog.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "gui/frame/file_placer.h"

namespace {
bool idle(EditorWindow* page) { return !page->running() && !page->job; }

// Ends the message loop's turn once the page's edit has ended or the time is up.
class EditWatch : public GItemBase {
public:
    EditWatch(EditorWindow* page, bool* done) : page(page), done(done), end(benchSeconds() + 120) {}
    bool onIdle() override {
        if (idle(page) || benchSeconds() > end) *done = true;
        return false;
    }
    EditorWindow* page;
    bool* done;
    double end;
};

// Runs the message loop (the job's end comes through its task queue) until the page's edit has
// ended; false after two minutes.
bool waitForEdit(EditorWindow* page) {
    if (idle(page)) return true;
    bool done = false;
    EditWatch watch(page, &done);
    ListenerChain::append(application()->pendingWorkList, watch.lifeRecord());
    UINT_PTR wake = SetTimer(nullptr, 0, 1, nullptr);
    messageLoop(&done);
    KillTimer(nullptr, wake);
    return idle(page);
}

i32 halfGain(EditorWindow*, u32, SoundBlockProcessor* p) {
    p->param1 = 0.5;
    return 1;
}

i32 answerYes(const MessageBoxDescription*, GWindow*, const char*) { return 6; }

// The Editor page in a shown 1000 x 500 window, with effects at half gain and every box answered
// Yes; its end waits for a running edit and ends the window (which deletes the page).
struct BenchEditor {
    BenchEditor() : before(effectCommandHandler) {
        setMessageBoxSink(answerYes);
        effectCommandHandler = halfGain;
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 1000, 500, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new EditorWindow(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 1000, 500});
    }
    ~BenchEditor() {
        waitForEdit(page);
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
        effectCommandHandler = before;
        setMessageBoxSink(nullptr);
    }

    struct AppScope {
        GApplication app;
        AppScope() { setApplication(&app); }
        ~AppScope() { setApplication(nullptr); }
    } scope;
    EffectCommandHandler before;
    GDialog owner{nullptr, "edit.htm"};
    EditorWindow* page = nullptr;
};

// Runs the edit over [from, to) frames, then times its undo and its redo (median of five pairs).
void measureUndoRedo(EditorWindow* page, const char* name, u32 id, u64 from, u64 to) {
    page->pane->setSelection(from, to);
    double start = benchSeconds();
    bool ran = page->onCommand(id, nullptr);
    bool ended = waitForEdit(page);
    if (!ran || !ended || !page->history.canUndo()) {
        benchResult((std::string("editor ") + name + ": the edit did not run").c_str(), 0, "");
        return;
    }
    benchResult((std::string("editor ") + name + " (the edit itself)").c_str(), benchSeconds() - start, "s");
    std::vector<double> undos, redos;
    for (int i = 0; i < 5; ++i) {
        double t0 = benchSeconds();
        page->undo();
        waitForEdit(page);
        benchPumpMessages();
        double t1 = benchSeconds();
        page->redo();
        waitForEdit(page);
        benchPumpMessages();
        double t2 = benchSeconds();
        undos.push_back((t1 - t0) * 1000);
        redos.push_back((t2 - t1) * 1000);
    }
    benchResult((std::string("editor undo ") + name).c_str(), benchMedian(undos), "ms");
    benchResult((std::string("editor redo ") + name).c_str(), benchMedian(redos), "ms");
    page->undo();  // the next edit starts from the whole hour
    benchPumpMessages();
}
}  // namespace

RAVO_BENCH(editor) {
    std::string path = benchFolder() + "\\editor_hour.wav";
    if (!writeHourWave(path)) {
        benchResult("editor: no sound", 0, "");
        return;
    }
    {
        BenchEditor editor;
        EditorWindow* page = editor.page;
        benchPumpMessages();

        double start = benchSeconds();
        page->loadDocument(path.c_str(), nullptr);
        RedrawWindow(editor.owner.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        double opened = (benchSeconds() - start) * 1000;
        if (!page->hasDocument || page->dataLength != benchHourBytes) {
            benchResult("editor: the hour did not open", 0, "");
        } else {
            benchResult("editor, one hour stereo 44.1 kHz: open the WAVE to its first paint", opened, "ms");
            const u64 minute = 60 * benchRate;
            measureUndoRedo(page, "AMPLIFY x0.5 of the whole hour", EditorAmplify, 0, benchHourSeconds * benchRate);
            measureUndoRedo(page, "CUT of ten minutes", EditorCut, 20 * minute, 30 * minute);
            measureUndoRedo(page, "CROP to ten minutes", EditorCrop, 20 * minute, 30 * minute);

            // Stop on the progress line while AMPLIFY runs over the hour.
            std::vector<double> stops;
            for (int i = 0; i < 3; ++i) {
                page->pane->setSelection(0, benchHourSeconds * benchRate);
                if (!page->onCommand(EditorAmplify, nullptr) || !page->running()) break;
                double begun = benchSeconds();
                while (benchSeconds() - begun < 0.2) {
                    benchPumpMessages();
                    Sleep(1);
                }
                double t0 = benchSeconds();
                page->progressLine->requestStop();
                if (!waitForEdit(page)) break;
                stops.push_back((benchSeconds() - t0) * 1000);
            }
            if (stops.size() == 3)
                benchResult("editor Stop on AMPLIFY of the hour to the job's end (median of 3)", benchMedian(stops),
                            "ms");
            else
                benchResult("editor Stop on AMPLIFY: the job did not run in the background", 0, "");
        }
    }
    DeleteFileA(path.c_str());
}

// SAVE of the hour in place after one AMPLIFY, and BACKUP of the file beside a plain copy of it.
RAVO_BENCH(editor_files) {
    std::string path = benchFolder() + "\\editor_files_hour.wav";
    if (!writeHourWave(path)) {
        benchResult("editor_files: no sound", 0, "");
        return;
    }
    {
        BenchEditor editor;
        EditorWindow* page = editor.page;
        page->loadDocument(path.c_str(), nullptr);
        const u64 minute = 60 * benchRate;
        page->pane->setSelection(10 * minute, 11 * minute);
        if (!page->hasDocument || !page->onCommand(EditorAmplify, nullptr) || !waitForEdit(page) || !page->modified) {
            benchResult("editor_files: the hour did not open or AMPLIFY did not run", 0, "");
        } else {
            double start = benchSeconds();
            page->onCommand(FileCommandSave, nullptr);
            bool saved = waitForEdit(page) && !page->modified;
            benchResult(saved ? "editor SAVE of the hour in place after AMPLIFY of a minute"
                              : "editor SAVE of the hour: not saved",
                        benchSeconds() - start, "s");

            std::string copy = benchFolder() + "\\editor_files_copy.wav";
            std::vector<double> copies, backups;
            for (int i = 0; i < 3; ++i) {
                double t0 = benchSeconds();
                CopyFileA(path.c_str(), copy.c_str(), FALSE);
                copies.push_back(benchSeconds() - t0);
                DeleteFileA(copy.c_str());
                DeleteFileA((path + ".bak").c_str());
                double t1 = benchSeconds();
                page->onCommand((u32)actionIdByName("BACKUP_FILE"), nullptr);
                waitForEdit(page);
                backups.push_back(benchSeconds() - t1);
            }
            const double plain = benchMedian(copies), backup = benchMedian(backups);
            benchResult("editor plain copy of the hour's file (median of 3)", plain, "s");
            benchResult("editor BACKUP of the hour's file (median of 3)", backup, "s");
            benchResult("editor BACKUP / plain copy", plain > 0 ? backup / plain : 0, "x");
            DeleteFileA((path + ".bak").c_str());
        }
    }
    DeleteFileA(path.c_str());
}
