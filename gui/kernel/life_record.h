#pragma once
// Life records and the chains they form. Every GItemBase owns one GLifeRecord: a reference-counted
// node that outlives its object, so a holder (a dispatch, a walk, a timer) can tell after a call
// whether the object is still there. A record is in one chain at a time: at first its own watcher
// chain, where it stands first and the objects that watch it follow; or, once attached as a watcher,
// the chain of the object it watches. A record is deleted by the holder that drops its last reference.
#include <atomic>

#include "core/listener_list.h"
#include "core/types.h"

class GItemBase;
struct tagMSG;

class GLifeRecord : public ListenerNode {
public:
    explicit GLifeRecord(GItemBase* object);
    GLifeRecord(const GLifeRecord&) = delete;
    GLifeRecord& operator=(const GLifeRecord&) = delete;

    void addRef() { ++refCount; }
    // Drops one reference; the last one deletes the record.
    void release();
    bool alive() const { return object != nullptr; }
    GLifeRecord* following() const { return static_cast<GLifeRecord*>(next); }

    GItemBase* object;    // null once the object is gone
    std::atomic<u32> refCount{1};  // the object's own reference, plus one per holder (any thread)
    ListenerList watchers;  // the object's own chain: this record first, then its watchers
    bool holdsNext = false;  // unlinked, and keeping a reference on its former successor

protected:
    // Releases the watcher chain (owned watchers deleted, others unlinked), then leaves its chain.
    ~GLifeRecord() override;
};

// The walks over chains of life records. A walk holds a reference on the node it stands on, so
// listeners may unlink themselves or others, die, or start another walk on the same chain.
struct ListenerChain {
    // Appends at the end (a walk under way reaches it) or puts at the head of the chain; the node
    // leaves the chain that held it first.
    static void append(ListenerList& chain, GLifeRecord* node);
    static void insertAtHead(ListenerList& chain, GLifeRecord* node);
    // Takes the node out of its chain. It keeps its own links, with a reference on its successor,
    // so a walk paused on it goes on with the node that followed.
    static void unlink(GLifeRecord* node);

    // handleMessage on each live listener until one answers true; that one and every later live
    // listener then get afterMessageHandled. True when one handled the message.
    static bool notifyWindow(ListenerList& chain, u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result);
    // onIdle until one answers true.
    static bool notifyIdle(ListenerList& chain);
    // filterMessage until one consumes the message.
    static bool notifyLoop(ListenerList& chain, tagMSG* message);
    // onEvent until one answers true.
    static bool notify(ListenerList& chain, void* event);
    // onAppActivate (1 active, 0 inactive) until one answers true.
    static bool notifyParent(ListenerList& chain, u32 value);

    // Empties the chain: a live listener whose isDisposable answers true is deleted, every other
    // node is unlinked.
    static void flushDeferredDeletes(ListenerList& chain);
    // The same for one object's node, when that node is in the chain.
    static void flushDeferredDelete(GItemBase* object, ListenerList& chain);
};

// Appends the watcher's record to the watched object's chain, so the watcher sees its messages
// after the object's own handler; at the head it sees them first (mouse tracking).
void attachWatcher(GItemBase* watched, GItemBase* watcher, bool atHead = false);
// Takes the watcher's record out of the chain that holds it.
void detachWatcher(GItemBase* watcher);
