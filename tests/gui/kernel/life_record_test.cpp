#include <gtest/gtest.h>

#include <memory>

#include "gui/kernel/life_record.h"
#include "tests/gui/gui_fixture.h"

namespace {
typedef std::vector<std::string> Log;

// A watched object and its watchers, in attach order.
struct Chain {
    explicit Chain(u32 watchers) : owner(new RecordingListener(&log, "W")) {
        for (u32 i = 0; i < watchers; ++i) {
            RecordingListener* w = new RecordingListener(&log, std::string(1, (char)('A' + i)));
            attachWatcher(owner, w);
            listeners.push_back(w);
        }
    }
    ~Chain() {
        for (RecordingListener* w : listeners)
            if (w) delete w;
        delete owner;
    }
    bool send(u32 message) {
        intptr_t result = 0;
        return ListenerChain::notifyWindow(owner->lifeRecord()->watchers, message, 0, 0, &result);
    }
    Log log;
    RecordingListener* owner;
    std::vector<RecordingListener*> listeners;
};
}  // namespace

TEST(ListenerChain, WindowWalkStopsAtTheHandlerAndTellsTheRest) {
    struct Case {
        int handler;  // -1 the owner, 0.. a watcher, -2 none
        Log expected;
    };
    const Case cases[] = {
        {-1, {"W.handle", "W.after", "A.after", "B.after"}},
        {0, {"W.handle", "A.handle", "A.after", "B.after"}},
        {1, {"W.handle", "A.handle", "B.handle", "B.after"}},
        {-2, {"W.handle", "A.handle", "B.handle"}},
    };
    for (const Case& c : cases) {
        Chain chain(2);
        RecordingListener* handler = c.handler == -1 ? chain.owner : c.handler >= 0 ? chain.listeners[c.handler] : nullptr;
        if (handler) handler->handles = WM_USER;
        EXPECT_EQ(chain.send(WM_USER), c.handler != -2);
        EXPECT_EQ(chain.log, c.expected) << "handler " << c.handler;
    }
}

TEST(ListenerChain, MouseTrackersAtTheHeadSeeMessagesFirst) {
    Chain chain(1);
    RecordingListener tracker(&chain.log, "T");
    attachWatcher(chain.owner, &tracker, true);
    tracker.handles = WM_USER;
    EXPECT_TRUE(chain.send(WM_USER));
    EXPECT_EQ(chain.log, (Log{"T.handle", "T.after", "W.after", "A.after"}));
    detachWatcher(&tracker);
}

TEST(ListenerChain, AListenerDeletingItselfIsNotCalledAgainAndItsRecordGoesWithTheWalk) {
    Chain chain(3);
    RecordingListener* b = chain.listeners[1];
    GLifeRecord* record = b->lifeRecord();
    record->addRef();  // watch the record's count
    b->handles = WM_USER;
    b->onCall = [&](RecordingListener* self) {
        chain.listeners[1] = nullptr;
        self->onCall = nullptr;
        delete self;
    };
    EXPECT_TRUE(chain.send(WM_USER));
    EXPECT_EQ(chain.log, (Log{"W.handle", "A.handle", "B.handle", "C.after"}));
    EXPECT_FALSE(record->alive());
    EXPECT_EQ(record->owner, nullptr);  // the walk took the dead node out of the chain
    EXPECT_EQ(record->refCount, 1u);
    record->release();
}

TEST(ListenerChain, UnlinkingMidWalkSkipsTheUnlinkedAndGoesOnFromAnUnlinkedCursor) {
    // A unlinks C: C is not called. B unlinks itself and deletes D: the walk goes on from B to E.
    Chain chain(5);
    RecordingListener* c = chain.listeners[2];
    chain.listeners[0]->onCall = [&](RecordingListener* self) {
        self->onCall = nullptr;
        detachWatcher(c);
    };
    chain.listeners[1]->onCall = [&](RecordingListener* self) {
        self->onCall = nullptr;
        GLifeRecord* d = chain.listeners[3]->lifeRecord();
        u32 before = d->refCount;
        detachWatcher(self);
        EXPECT_EQ(d->refCount, before + 1);  // the unlinked B keeps its successor
        delete chain.listeners[3];
        chain.listeners[3] = nullptr;
    };
    EXPECT_FALSE(chain.send(WM_USER));
    EXPECT_EQ(chain.log, (Log{"W.handle", "A.handle", "B.handle", "E.handle"}));
    chain.log.clear();
    EXPECT_FALSE(chain.send(WM_USER));
    EXPECT_EQ(chain.log, (Log{"W.handle", "A.handle", "E.handle"}));
}

TEST(ListenerChain, WalksAreReentrantAndReachListenersAppendedBehindTheCursor) {
    TestApplication test;
    Log log;
    RecordingListener a(&log, "A"), b(&log, "B");
    std::unique_ptr<RecordingListener> late;
    ListenerList& chain = test.app.idleList;
    ListenerChain::append(chain, a.lifeRecord());
    ListenerChain::append(chain, b.lifeRecord());
    bool nested = false;
    a.onCall = [&](RecordingListener*) {
        if (nested) return;
        nested = true;
        ListenerChain::notifyIdle(chain);  // a second walk of the same chain from inside the first
        late.reset(new RecordingListener(&log, "L"));
        ListenerChain::append(chain, late->lifeRecord());
    };
    EXPECT_FALSE(ListenerChain::notifyIdle(chain));
    EXPECT_EQ(log, (Log{"A.idle", "A.idle", "B.idle", "B.idle", "L.idle"}));

    log.clear();
    b.answer = true;  // a listener that did work stops the walk
    EXPECT_TRUE(ListenerChain::notifyIdle(chain));
    EXPECT_EQ(log, (Log{"A.idle", "B.idle"}));
}

TEST(ListenerChain, ReleasingAChainDeletesOwnedWatchersAndUnlinksTheOthers) {
    bool ownedDeleted = false, keptDeleted = false;
    RecordingListener* owner = new RecordingListener(nullptr, "W");
    RecordingListener* owned = new RecordingListener(nullptr, "O");
    RecordingListener kept(nullptr, "K");
    owned->disposable = true;
    owned->deleted = &ownedDeleted;
    kept.deleted = &keptDeleted;
    attachWatcher(owner, owned);
    attachWatcher(owner, &kept);
    delete owner;  // its record goes, releasing its chain
    EXPECT_TRUE(ownedDeleted);
    EXPECT_FALSE(keptDeleted);
    EXPECT_EQ(kept.lifeRecord()->owner, nullptr);

    // Deferred deletes of an application chain.
    TestApplication test;
    RecordingListener* listed = new RecordingListener(nullptr, "L");
    bool listedDeleted = false;
    listed->disposable = true;
    listed->deleted = &listedDeleted;
    ListenerChain::append(test.app.filterList, listed->lifeRecord());
    ListenerChain::append(test.app.filterList, kept.lifeRecord());
    ListenerChain::flushDeferredDelete(&kept, test.app.filterList);
    EXPECT_EQ(kept.lifeRecord()->owner, nullptr);
    EXPECT_FALSE(keptDeleted);
    ListenerChain::flushDeferredDeletes(test.app.filterList);
    EXPECT_TRUE(listedDeleted);
    EXPECT_EQ(test.app.filterList.first, nullptr);
}

TEST(ItemBase, StateQueriesAnswerByKind) {
    struct Item : GItemBase {
        i32 state = CommandEnabled, checked = CommandUnknown, value = -1;
        int executed = 0;
        i32 commandState(u32) override { return state; }
        i32 commandChecked(u32) override { return checked; }
        i32 commandValue(u32) override { return value; }
        bool onCommand(u32, GStateQuery*) override { return ++executed, true; }
    };
    struct Case {
        u32 kind;
        i32 state, checked, value;
        bool answered;
        i32 answer;
        int executed;
    };
    const Case cases[] = {
        {QueryEnabled, CommandDisabled, 2, -1, true, CommandDisabled, 0},
        {QueryEnabled, CommandUnknown, 2, -1, false, CommandUnknown, 0},
        {QueryExecute, CommandEnabled, 2, -1, true, 0, 1},
        {QueryExecute, CommandDisabled, 2, -1, true, 0, 0},  // consumed, not executed
        {QueryExecute, CommandUnknown, 2, -1, false, 0, 0},
        {QueryChecked, 0, 1, -1, true, 1, 0},
        {QueryValue, 0, 2, 7, true, 7, 0},
        {QueryValue, 0, 2, -1, false, -1, 0},
        {9, 0, 0, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        Item item;
        item.state = c.state;
        item.checked = c.checked;
        item.value = c.value;
        GStateQuery query{5, 0};
        EXPECT_EQ(item.answerStateQuery(c.kind, &query), c.answered) << c.kind << "/" << c.state;
        EXPECT_EQ(query.answer, c.answer) << c.kind;
        EXPECT_EQ(item.executed, c.executed) << c.kind;
    }
}
