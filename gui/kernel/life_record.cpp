#include "gui/kernel/life_record.h"

#include <windows.h>

#include "gui/kernel/item_base.h"

namespace {
// Drops the reference an unlinked node keeps on its former successor.
void dropKeptSuccessor(GLifeRecord* node) {
    if (!node->holdsNext) return;
    node->holdsNext = false;
    GLifeRecord* kept = node->following();
    node->next = nullptr;
    if (kept) kept->release();
}
}  // namespace

GLifeRecord::GLifeRecord(GItemBase* object) : object(object) { ListenerChain::append(watchers, this); }

GLifeRecord::~GLifeRecord() {
    ListenerChain::flushDeferredDeletes(watchers);
    if (owner) ListenerChain::unlink(this);
    dropKeptSuccessor(this);
}

void GLifeRecord::release() {
    if (--refCount == 0) delete this;
}

namespace {

// A walk's position: one reference on the node it stands on.
class Cursor {
public:
    explicit Cursor(ListenerList& chain) : node(static_cast<GLifeRecord*>(chain.first)) {
        if (node) node->addRef();
    }
    ~Cursor() {
        if (node) node->release();
    }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    // Moves to the following node (by the node's own link, also when it was unlinked).
    void advance() {
        GLifeRecord* next = node->following();
        if (next) next->addRef();
        GLifeRecord* left = node;
        node = next;
        left->release();
    }
    // Skips dead nodes, taking them out of their chain on the way; the live object or null.
    GItemBase* live() {
        while (node) {
            if (node->object) return node->object;
            if (node->owner) ListenerChain::unlink(node);
            advance();
        }
        return nullptr;
    }

    GLifeRecord* node;
};

template <class Call>
bool walk(ListenerList& chain, Call call) {
    Cursor cursor(chain);
    for (;;) {
        GItemBase* object = cursor.live();
        if (!object) return false;
        if (call(object)) return true;
        cursor.advance();
    }
}
}  // namespace

void ListenerChain::append(ListenerList& chain, GLifeRecord* node) {
    if (node->owner) unlink(node);
    dropKeptSuccessor(node);
    node->owner = &chain;
    node->previous = chain.last;
    node->next = nullptr;
    if (chain.last)
        chain.last->next = node;
    else
        chain.first = node;
    chain.last = node;
}

void ListenerChain::insertAtHead(ListenerList& chain, GLifeRecord* node) {
    if (node->owner) unlink(node);
    dropKeptSuccessor(node);
    node->owner = &chain;
    node->previous = nullptr;
    node->next = chain.first;
    if (chain.first)
        chain.first->previous = node;
    else
        chain.last = node;
    chain.first = node;
}

void ListenerChain::unlink(GLifeRecord* node) {
    ListenerList* chain = node->owner;
    if (!chain) return;
    if (node->previous)
        node->previous->next = node->next;
    else
        chain->first = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        chain->last = node->previous;
    node->owner = nullptr;
    if (GLifeRecord* kept = node->following()) {
        kept->addRef();
        node->holdsNext = true;
    }
}

bool ListenerChain::notifyWindow(ListenerList& chain, u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) {
    Cursor cursor(chain);
    for (;;) {
        GItemBase* object = cursor.live();
        if (!object) return false;
        if (object->handleMessage(message, wParam, lParam, result)) break;
        cursor.advance();
    }
    for (GItemBase* object = cursor.live(); object; object = cursor.live()) {
        object->afterMessageHandled(message, wParam, lParam);
        cursor.advance();
    }
    return true;
}

bool ListenerChain::notifyIdle(ListenerList& chain) {
    return walk(chain, [](GItemBase* o) { return o->onIdle(); });
}

bool ListenerChain::notifyLoop(ListenerList& chain, tagMSG* message) {
    return walk(chain, [message](GItemBase* o) { return o->filterMessage(message); });
}

bool ListenerChain::notify(ListenerList& chain, void* event) {
    return walk(chain, [event](GItemBase* o) { return o->onEvent(event); });
}

bool ListenerChain::notifyParent(ListenerList& chain, u32 value) {
    return walk(chain, [value](GItemBase* o) { return o->onAppActivate(value != 0); });
}

namespace {
// Deletes the node's object when it is owned by the watched one, else unlinks the node.
void releaseWatcher(GLifeRecord* node) {
    if (node->object && node->object->isDisposable()) {
        GLifeRecord* self = node;
        self->addRef();
        delete node->object;
        if (self->owner) ListenerChain::unlink(self);
        self->release();
        return;
    }
    ListenerChain::unlink(node);
}
}  // namespace

void ListenerChain::flushDeferredDeletes(ListenerList& chain) {
    while (chain.first) releaseWatcher(static_cast<GLifeRecord*>(chain.first));
}

void ListenerChain::flushDeferredDelete(GItemBase* object, ListenerList& chain) {
    GLifeRecord* node = object ? object->lifeRecord() : nullptr;
    if (node && node->owner == &chain) releaseWatcher(node);
}

void attachWatcher(GItemBase* watched, GItemBase* watcher, bool atHead) {
    ListenerList& chain = watched->lifeRecord()->watchers;
    if (atHead)
        ListenerChain::insertAtHead(chain, watcher->lifeRecord());
    else
        ListenerChain::append(chain, watcher->lifeRecord());
}

void detachWatcher(GItemBase* watcher) { ListenerChain::unlink(watcher->lifeRecord()); }
