#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "gui/timers.h"
#include "tests/support/test_support.h"

namespace {
// Runs the interface thread's message loop for a while.
void pumpMessages(u32 ms) {
    DWORD end = GetTickCount() + ms;
    while ((i32)(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(1);
    }
}

void count(void* argument) { ++*static_cast<std::atomic<int>*>(argument); }
}  // namespace

TEST(Timers, CallUntilRemovedFromAnyThread) {
    std::atomic<int> calls{0};
    TimerRecord record;
    ASSERT_TRUE(addTimer(&record, 10, 0, count, &calls));
    pumpMessages(150);
    EXPECT_GE(calls, 3);

    removeTimer(&record);
    int before = calls;
    pumpMessages(60);
    EXPECT_EQ(calls, before);
    removeTimer(&record);  // not registered: nothing happens

    ASSERT_TRUE(addTimer(&record, 10, 0, count, &calls));
    std::thread([&] { removeTimer(&record); }).join();
    before = calls;
    pumpMessages(60);
    EXPECT_EQ(calls, before);
    EXPECT_EQ(record.id, 0u);
}

TEST(Timers, OnlyTheInterfaceThreadOwnsTimers) {
    std::atomic<int> calls{0};
    TimerRecord record;
    bool added = true;
    std::thread([&] { added = addTimer(&record, 10, 0, count, &calls); }).join();
    EXPECT_FALSE(added);
    EXPECT_EQ(record.id, 0u);
}

TEST(Timers, WhatACallbackThrowsReachesTheRecordsCarrier) {
    ExceptionCarrier failures;
    TimerRecord record;
    record.failures = &failures;
    ASSERT_TRUE(addTimer(&record, 10, 0, [](void*) { throw std::runtime_error("tick"); }, nullptr));
    pumpMessages(60);
    removeTimer(&record);
    EXPECT_THROW(failures.rethrowIfAny(), std::runtime_error);
}
