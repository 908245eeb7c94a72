#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <thread>

#include "gui/kernel/timers.h"
#include "tests/gui/gui_fixture.h"

namespace {
struct Ticks {
    int calls = 0;
    std::function<void(TimerRecord*)> onTick;
};

void tick(TimerRecord* record, uintptr_t argument) {
    Ticks* ticks = reinterpret_cast<Ticks*>(argument);
    ++ticks->calls;
    if (ticks->onTick) ticks->onTick(record);
}

class TimerListener : public GItemBase {
public:
    void onTimer(TimerRecord* record) override {
        ++calls;
        if (calls == 2) removeTimer(record);
    }
    int calls = 0;
};

MSG timerMessage(uintptr_t id) {
    MSG msg = {};
    msg.message = WM_TIMER;
    msg.wParam = id;
    return msg;
}
}  // namespace

TEST(Timers, FireThroughTheLoopUntilTheyRemoveThemselves) {
    TestApplication test;
    Ticks ticks;
    TimerRecord record;
    ticks.onTick = [&](TimerRecord* r) {
        MSG again = timerMessage(r->id);
        EXPECT_FALSE(filterTimerMessage(&again));  // busy: a tick during the call is not taken
        if (ticks.calls == 3) {
            removeTimer(r);
            EXPECT_EQ(r->id, 0u);
        }
    };
    ASSERT_TRUE(addTimer(&record, 5, nullptr, tick, (uintptr_t)&ticks));
    EXPECT_TRUE(pumpUntil([&] { return record.id == 0; }));
    EXPECT_EQ(ticks.calls, 3);
    EXPECT_EQ(record.busy, 0);
    pumpUntil([] { return false; }, 40);
    EXPECT_EQ(ticks.calls, 3);

    // Without a callback the listener's onTimer is called.
    TimerListener listener;
    ASSERT_TRUE(addTimer(&record, 5, &listener, nullptr));
    EXPECT_TRUE(pumpUntil([&] { return record.id == 0; }));
    EXPECT_EQ(listener.calls, 2);
}

TEST(Timers, RestartRemoveAndForeignTicks) {
    TestApplication test;
    Ticks ticks;
    TimerRecord first, second;
    ASSERT_TRUE(addTimer(&first, 1000, nullptr, tick, (uintptr_t)&ticks));
    ASSERT_TRUE(addTimer(&second, 1000, nullptr, tick, (uintptr_t)&ticks));
    uintptr_t oldId = first.id;
    ASSERT_TRUE(addTimer(&first, 1000, nullptr, tick, (uintptr_t)&ticks));  // restarted: listed once
    EXPECT_NE(first.id, oldId);
    EXPECT_EQ(second.next, &first);
    EXPECT_EQ(first.previous, &second);
    EXPECT_EQ(first.next, nullptr);

    MSG stale = timerMessage(oldId), foreign = timerMessage(0x7FFF), own = timerMessage(first.id);
    EXPECT_FALSE(filterTimerMessage(&stale));
    EXPECT_FALSE(filterTimerMessage(&foreign));
    EXPECT_TRUE(filterTimerMessage(&own));
    EXPECT_EQ(ticks.calls, 1);

    removeTimer(&first);
    removeTimer(&first);  // a second time: nothing
    EXPECT_EQ(second.next, nullptr);
    TimerRecord never;
    removeTimer(&never);
    EXPECT_EQ(never.id, 0u);

    // Removed on another thread: the system timer goes at its next tick.
    std::thread([&] { removeTimer(&second); }).join();
    EXPECT_EQ(second.id, 0u);
    bool added = true;
    std::thread([&] { added = addTimer(&first, 10, nullptr, tick, (uintptr_t)&ticks); }).join();
    EXPECT_FALSE(added);  // only the interface thread owns timers
}

TEST(Timers, WhatACallbackThrowsPassesOutOfTheLoop) {
    TestApplication test;
    TimerRecord record;
    ASSERT_TRUE(addTimer(&record, 5, nullptr, [](TimerRecord*, uintptr_t) { throw std::runtime_error("tick"); }));
    EXPECT_THROW(pumpUntil([] { return false; }), std::runtime_error);
    EXPECT_EQ(record.busy, 0);
    removeTimer(&record);
}

TEST(Timers, ACallbackMayStopAndEndItsOwnRecord) {
    TestApplication test;
    // The record lives in a block its callback gives back for reuse: nothing is written there after.
    alignas(TimerRecord) unsigned char block[sizeof(TimerRecord)];
    TimerRecord* record = new (block) TimerRecord;
    ASSERT_TRUE(addTimer(record, 1000, nullptr, [](TimerRecord* r, uintptr_t) {
        removeTimer(r);
        r->~TimerRecord();
        memset(static_cast<void*>(r), 0xAB, sizeof(TimerRecord));
    }));
    MSG ended = timerMessage(record->id);
    EXPECT_TRUE(filterTimerMessage(&ended));
    for (unsigned char byte : block) EXPECT_EQ(byte, 0xAB);

    // Stopped and started again from its callback, it is not left busy and keeps ticking.
    Ticks ticks;
    TimerRecord again;
    ticks.onTick = [&](TimerRecord* r) {
        if (ticks.calls == 1) addTimer(r, 1000, nullptr, tick, (uintptr_t)&ticks);
    };
    ASSERT_TRUE(addTimer(&again, 1000, nullptr, tick, (uintptr_t)&ticks));
    MSG first = timerMessage(again.id);
    EXPECT_TRUE(filterTimerMessage(&first));
    EXPECT_EQ(again.busy, 0);
    MSG second = timerMessage(again.id);
    EXPECT_TRUE(filterTimerMessage(&second));
    EXPECT_EQ(ticks.calls, 2);
    removeTimer(&again);
}
