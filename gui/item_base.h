#pragma once
// GItemBase: the one event and command interface of every on-screen object (windows, layout cells
// and items, placers) and of every listener on a chain. Every slot has a default, so a class
// overrides only what it takes. The object's life record is made here; see GTrackedObject.
#include <cstdint>

#include "core/task_queue.h"
#include "gui/tracked_object.h"

class GWindow;
class GChildWindow;
class GParentWindow;
class GLayoutCell;
class GLayoutItem;
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
    virtual bool slot9() { return true; }

    // Typed self-queries: a window answers itself, a cell or item answers the item.
    virtual GLayoutCell* asLayoutCell() { return nullptr; }
    virtual GLayoutItem* asLayoutItem() { return nullptr; }
    virtual GChildWindow* asChildWindow() { return nullptr; }
    virtual GParentWindow* asParentWindow() { return nullptr; }
    virtual void* asLayoutGroup() { return nullptr; }
    virtual void* asPlacer() { return nullptr; }
    virtual void* asDocumentPlacer() { return nullptr; }
    virtual void* asTable() { return nullptr; }
    virtual void* asTypedSelf18() { return nullptr; }

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
    virtual bool slot28(intptr_t) { return false; }
    virtual bool onFindReplace(intptr_t /*request*/) { return false; }
    virtual void slot30(intptr_t, intptr_t) {}
    virtual bool handleMouse(GInputEvent*) { return false; }
    virtual bool handleCapturedMouse(GInputEvent*) { return false; }
    // The mouse drag family; its callers fix the arguments.
    virtual bool dragSlot33(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t) { return true; }
    virtual bool dragSlot34(intptr_t, intptr_t, intptr_t) { return true; }
    virtual void dragSlot35(intptr_t, intptr_t, intptr_t) {}
    virtual void dragSlot36(intptr_t a, intptr_t b, intptr_t c) { dragSlot35(a, b, c); }
    virtual void slot37(intptr_t, intptr_t, intptr_t) {}
    virtual bool slot38(intptr_t, intptr_t, intptr_t) { return true; }
    virtual void slot39() {}
    virtual void scrollBy(i32 /*dx*/, i32 /*dy*/) {}
    virtual intptr_t slot41(intptr_t, intptr_t) { return 1; }
    virtual bool slot42(intptr_t, intptr_t, intptr_t, intptr_t, intptr_t) { return false; }
    virtual void slot43(intptr_t) {}
    virtual void slot44(intptr_t) {}
    virtual bool slot45(intptr_t, intptr_t) { return false; }
    // The tool tip at a point: its text and the two rectangles it is shown for.
    virtual bool getToolTip(i32 /*x*/, i32 /*y*/, GString* /*text*/, tagRECT*, tagRECT*) { return false; }
    virtual bool slot47() { return false; }
    virtual bool slot48() { return false; }
    virtual void slot49(intptr_t) {}
    virtual void slot50() {}
    virtual bool onSetCursor() { return false; }

    // Notification tasks queued for this item; deleted unrun with it.
    TaskRing pendingTasks;
};
