#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/exceptions.h"
#include "gui/frame/progress_state.h"

namespace {

struct ReportLog : ErrorHandler {
    bool report(const char* text, int code) override {
        texts.push_back(text);
        codes.push_back(code);
        return false;
    }
    std::vector<std::string> texts;
    std::vector<int> codes;
};

// Counts whose two 32-bit halves are equal: a torn read shows halves of two writes.
u64 evenCount(u32 i) { return ((u64)i << 32) | i; }

TEST(ProgressState, AmountsAreReadWholeWhileAWorkerWrites) {
    ProgressState state;
    state.setRange(~0ull);
    const u32 writes = 200000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (u32 i = 1; i <= writes; i++) state.advance(evenCount(i * 0x1001u));
        done = true;
    });
    u32 torn = 0, reads = 0;
    while (!done || reads < 1000) {
        ProgressState::Amounts a = state.amounts();
        if ((u32)(a.processed >> 32) != (u32)a.processed) torn++;
        EXPECT_EQ(a.total, ~0ull);
        reads++;
    }
    worker.join();
    EXPECT_EQ(torn, 0u);
    EXPECT_EQ(state.amounts().processed, evenCount(writes * 0x1001u));
}

TEST(ProgressState, RangeStopAndInactiveState) {
    ProgressState state;
    ReportLog log;
    state.listener = &log;
    state.setRange(0);  // counts as 1
    EXPECT_EQ(state.amounts().total, 1u);
    EXPECT_FALSE(state.advance(1, "Reading"));
    u32 percent = 0;
    char* text = nullptr;
    ASSERT_TRUE(state.read(&percent, &text));
    EXPECT_EQ(percent, 100u);
    EXPECT_STREQ(text, "Reading");
    delete[] text;

    // After a stop every report is answered and told.
    state.requestStop();
    EXPECT_TRUE(state.advance(1));
    EXPECT_TRUE(state.advance(2));
    EXPECT_EQ(log.texts, (std::vector<std::string>{"Operation was canceled", "Operation was canceled"}));
    EXPECT_EQ(log.codes, (std::vector<int>{0, 0}));

    // Reset clears the stop and the amounts, keeps the total.
    state.setRange(400);
    state.advance(100);
    state.reset();
    EXPECT_FALSE(state.stopRequested());
    EXPECT_EQ(state.amounts().processed, 0u);
    EXPECT_EQ(state.amounts().total, 400u);

    state.deactivate();
    EXPECT_FALSE(state.read(&percent, &text));
    EXPECT_FALSE(state.setPosition(50, "x"));
    EXPECT_FALSE(state.advance(200));  // counted, not shown
    EXPECT_EQ(state.amounts().processed, 200u);
    EXPECT_EQ(state.amounts().percent, 0u);
}

// A listener that throws, as the dialog's does: the lock is not held while it runs.
struct ThrowingReport : ErrorHandler {
    bool report(const char*, int) override { throw GException(); }
};

TEST(ProgressState, AThrowingStopReportLeavesTheStateUsable) {
    ProgressState state;
    ThrowingReport thrower;
    state.listener = &thrower;
    state.setRange(10);
    state.requestStop();
    EXPECT_THROW(state.advance(5), GException);
    EXPECT_EQ(state.amounts().percent, 50u);  // a second lock would hang here if the first were held
}

}  // namespace
