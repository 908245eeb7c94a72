#pragma once
// GItemBase: the one event and command interface of every on-screen object (windows, layout cells
// and items, placers) and of every listener on a chain. Every slot has a default, so a class
// overrides only what it takes. Operations whose arguments their callers fix (mouse dragging,
// table and splitter hooks) are added here with their defaults as those callers come. The object's
// life record is made here; see GTrackedObject.
#include <cstdint>

#include "core/task_queue.h"
#include "gui/kernel/tracked_object.h"

class GWindow;
class GChildWindow;
class GParentWindow;
class GLayoutCell;
class GLayoutItem;
class GListInterface;
class GMouseCapture;
class GHotTracker;
struct GInputEvent;
struct TimerRecord;
struct tagMSG;
struct tagRECT;

// A state query routed along the items: the command and the answer word.
struct GStateQuery {
    u32 command = 0;
    i32 answer = 0;
};

// Kinds of state query.
enum : u32 { QueryEnabled = 0, QueryExecute = 1, QueryChecked = 2, QueryValue = 3 };

// Answers of commandState and commandChecked.
enum : i32 { CommandEnabled = 0, CommandDisabled = 1, CommandUnknown = 2 };

class GItemBase : public GTrackedObject {
public:
    GItemBase();
    ~GItemBase() override;

    // Chain listener operations.
    virtual void onTimer(TimerRecord*) {}
    virtual bool handleMessage(u32 /*message*/, uintptr_t, intptr_t, intptr_t* /*result*/) { return false; }
    virtual bool filterMessage(tagMSG*) { return false; }
    virtual bool onAppActivate(bool /*active*/) { return false; }
    virtual bool onIdle() { return false; }  // true: did work
    virtual bool onEvent(void* /*event record*/) { return false; }
    virtual void afterMessageHandled(u32 /*message*/, uintptr_t, intptr_t) {}
    // True: delete this object when the object it watches ends.
    virtual bool isDisposable() { return false; }

    // Typed self-queries: a window answers itself, a cell or item answers the item.
    virtual GLayoutCell* asLayoutCell() { return nullptr; }
    virtual GLayoutItem* asLayoutItem() { return nullptr; }
    virtual GChildWindow* asChildWindow() { return nullptr; }
    virtual GParentWindow* asParentWindow() { return nullptr; }
    virtual void* asLayoutGroup() { return nullptr; }
    virtual void* asPlacer() { return nullptr; }
    virtual void* asDocumentPlacer() { return nullptr; }
    virtual void* asTable() { return nullptr; }
    // The list operations of a list box, null for anything else.
    virtual GListInterface* asList() { return nullptr; }

    // Commands.
    virtual bool answerStateQuery(u32 kind, GStateQuery* query);
    virtual bool onCommand(u32 /*command*/, GStateQuery*) { return false; }
    virtual i32 commandState(u32 /*command*/) { return CommandUnknown; }
    virtual i32 commandChecked(u32 /*command*/) { return CommandUnknown; }
    virtual i32 commandValue(u32 /*command*/) { return -1; }

    // Control events and input. Keys answer 0 to pass on, 1 to stop unhandled, 2 when handled.
    virtual bool onControlNotify(void* /*notification*/) { return false; }
    virtual i32 handleKey(GInputEvent*) { return 0; }
    virtual bool onNotify(void* /*control event*/) { return false; }
    virtual bool onControlCommand(void* /*control event*/) { return false; }
    virtual bool onFindReplace(intptr_t /*request*/) { return false; }
    virtual bool handleMouse(GInputEvent*) { return false; }
    virtual bool handleCapturedMouse(GInputEvent*) { return false; }
    virtual void scrollBy(i32 /*dx*/, i32 /*dy*/) {}
    // The tool tip at a point: its text and the two rectangles it is shown for.
    virtual bool getToolTip(i32 /*x*/, i32 /*y*/, GString* /*text*/, tagRECT*, tagRECT*) { return false; }
    virtual bool onSetCursor() { return false; }
    // How the hover tip behaves: 0 and 1 after a rest, 2 stays while the mouse moves, 3 at once and
    // following the mouse.
    virtual i32 toolTipMode() { return 1; }
    // A container that gives its tool bars a grip (the tool-bar strips).
    virtual bool wantsGrip() { return false; }
    // The drop feedback of a drag at a screen point (0 none; the source decides the meaning).
    virtual i32 dropKindAt(i32 /*x*/, i32 /*y*/) { return 0; }
    // Dragging under a mouse capture: begin and move answer whether the drag goes on; the points
    // are client coordinates of the capture's window.
    virtual bool dragMove(GMouseCapture*, i32 /*fromX*/, i32 /*fromY*/, i32 /*x*/, i32 /*y*/) { return true; }
    virtual bool dragBegin(GMouseCapture*, i32 /*x*/, i32 /*y*/) { return false; }
    virtual void dragCancel(GMouseCapture*, i32 /*x*/, i32 /*y*/) {}
    virtual void dragDrop(GMouseCapture*, i32 /*x*/, i32 /*y*/) {}
    // Owner-drawn parts of a GHotTracker: the part at a point, its rectangle and flags.
    virtual bool hitPart(GHotTracker*, i32 /*x*/, i32 /*y*/, tagRECT* /*rect*/, u32* /*flags*/) { return false; }
    virtual void clickPart(GHotTracker*) {}
    virtual void redrawPart(GHotTracker*) {}

    // Notification tasks queued for this item; deleted unrun with it.
    TaskRing pendingTasks;
};
