#pragma once
// GPlacer: the item that holds one page of an application window. Every placer is in one global
// list (newest last) with its activation serial; a placer runs jobs now or with their perform step
// on a worker thread. Created by its window's content builder and deleted as a layout item; owns
// its content object and, while one runs, its background job.
#include <atomic>

#include "core/bag.h"
#include "core/gstring.h"
#include "core/guard.h"
#include "gui/layout/sized_box.h"
#include "gui/views/tab_listener.h"

class GPlacer;
class PlacerWorker;
struct WindowKind;

// The application's default help page, "index.htm".
extern const char* defaultHelpPage;

// Told when a job starts and when it ends.
class PlacerJobSink {
public:
    virtual void start(i32 a, i32 b) = 0;
    virtual void end() = 0;

protected:
    ~PlacerJobSink() = default;
};

// Made by the caller; a background job is deleted by its placer when it ends.
struct PlacerJob {
    virtual ~PlacerJob() = default;

    GPlacer* placer = nullptr;
    u32 action = 0;  // the command the job does, 0 when none
    std::atomic<bool> stopRequested{false};
    u8 result = 0;
    PlacerJobSink* sink = nullptr;
    i32 a = 0, b = 0;
};

enum : u32 { PlacerBusy = 0x80 };

// A placer is its page's tab item: kind = windowKind(), modified = isModified().
class GPlacer : public GSizedBox, public GTabItem {
public:
    explicit GPlacer(GWindow* window, i32 widthPercent = -1, i32 heightPercent = -1);
    // Waits for a running background job before anything it uses goes.
    ~GPlacer() override;

    // The placer's page: caption texts, window kind and the modified mark.
    virtual const char* firstCaption() { return nullptr; }
    virtual const char* secondCaption() { return nullptr; }
    virtual u32 windowKind() { return 0; }
    virtual bool isModified() { return false; }
    // Fills the three state blocks (the page's state record); restorePage reads them back.
    virtual void saveStateBlocks(GBag* blocks) { (void)blocks; }
    virtual void restorePage(GBag* blocks) {
        (void)blocks;
        updateTitle();
    }
    // The page leaves its placer.
    virtual void detach() {}
    // True: the page is left out of a saved layout.
    virtual bool notSaved() { return false; }
    // View state left with the kind record when the page closes.
    virtual void saveViewState(GBag& bag) { (void)bag; }
    virtual void restoreViewState(GBag& bag) { (void)bag; }

    // Tab item.
    GString fullText() override;
    GString shortText() override;
    const char* typeName() override { return "GPlacer"; }
    i32 kind() override { return (i32)windowKind(); }

    void* asPlacer() override { return this; }
    // The caption into the window title, then notification 7 up.
    void updateTitle();

    // The page in its window: activation, deactivation, closing, dynamic menus.
    virtual void activatePage() { markActivated(); }
    virtual void deactivatePage() {}
    virtual void closePage() {}
    virtual bool fillDynamicMenu(u32 /*actionId*/, HMENU /*menu*/) { return false; }
    // Brings the page showing the file forward; false when none does.
    virtual bool showFilePage(const char* /*path*/) { return false; }

    // The job steps: prepare, perform (a worker thread's for background jobs), after, failed,
    // succeeded.
    virtual void prepareJob(PlacerJob*) {}
    virtual bool performJob(PlacerJob*) { return false; }
    virtual void afterJob(PlacerJob*) {}
    virtual void jobFailed(PlacerJob*) {}
    virtual void jobSucceeded(PlacerJob*) {}

    // Takes the next activation serial.
    void markActivated();
    // The product name, " - ", the second text, ": ", the first text, and "*" when modified.
    GString caption();
    // Three blocks, each u32 length and its bytes.
    void saveState(GBag& bag);
    // False, the job untouched, while another job is current.
    bool runJobNow(PlacerJob* job);
    // Takes the job. False when another job is current (the job is deleted unrun) or the worker
    // could not start (the job is ended as failed). A prepare step that throws ends the job as
    // failed and the exception goes on.
    bool runJobInBackground(PlacerJob* job);
    bool busy() const { return (placerFlags & PlacerBusy) != 0; }

    GCommonObject* contentObject = nullptr;  // owned
    GPlacer* previousPlacer = nullptr;
    GPlacer* nextPlacer = nullptr;
    GWindow* window;
    PlacerJob* job = nullptr;
    i32 serial = -1;
    u32 placerFlags = 0;
    const char* helpPage = defaultHelpPage;
    WindowKind* kindRecord = nullptr;

private:
    friend class PlacerCompletion;
    void completeBackgroundJob();
    void jobFinished();
    void relayoutWindow();

    PlacerWorker* worker = nullptr;
};

GPlacer* firstPlacer();
// Among the placers of the kind that are not busy, the one activated last; null when none.
GPlacer* findRecentPlacer(u32 kind);
