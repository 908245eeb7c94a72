#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/progress.h"
#include "tests/support/test_support.h"

namespace {

// Records what reaches the display side.
class ShownProgress : public JobProgress {
public:
    bool setProgress(u32 p, const char* t) override {
        shown.emplace_back(p, t ? t : "");
        return JobProgress::setProgress(p, t);
    }
    std::vector<std::pair<u32, std::string>> shown;
};

std::string takeText(JobProgress& progress, u32* percent) {
    char* text = nullptr;
    EXPECT_TRUE(progress.getProgress(percent, &text));
    std::string s = text ? text : "";
    delete[] text;
    return s;
}

}  // namespace

TEST(JobProgress, ReportsPercentOfCommittedAndCurrentWork) {
    ShownProgress progress;
    progress.setTotal(0);
    EXPECT_EQ(progress.total, 1u) << "a total of 0 counts as 1";

    // 64-bit totals: 10 GiB of work.
    progress.setTotal(10ull << 30);
    EXPECT_FALSE(progress.report(1ull << 30, nullptr));
    EXPECT_FALSE(progress.report((1ull << 30) + 5, nullptr));  // same percent: not shown again
    EXPECT_FALSE(progress.report(2ull << 30, "Reading"));
    progress.commit();
    EXPECT_FALSE(progress.report(3ull << 30, nullptr));
    EXPECT_EQ(progress.current, 5ull << 30);
    const std::vector<std::pair<u32, std::string>> expected = {{10, ""}, {20, "Reading"}, {50, ""}};
    EXPECT_EQ(progress.shown, expected);

    u32 percent = 0;
    EXPECT_EQ(takeText(progress, &percent), "Reading");
    EXPECT_EQ(percent, 50u);

    progress.reset();
    EXPECT_EQ(progress.committed, 0u);
    EXPECT_EQ(progress.total, 10ull << 30);
    EXPECT_EQ(progress.percent.load(), 0u);
}

TEST(JobProgress, DisabledProgressCountsButShowsNothing) {
    ShownProgress progress;
    progress.setTotal(100);
    progress.disable();
    EXPECT_FALSE(progress.report(40, "hidden"));
    EXPECT_EQ(progress.current, 40u);
    EXPECT_TRUE(progress.shown.empty());
    u32 percent;
    char* text = nullptr;
    EXPECT_FALSE(progress.getProgress(&percent, &text));
    EXPECT_FALSE(progress.setProgress(5, "x"));
    progress.shown.clear();
    progress.setTotal(100);
    EXPECT_FALSE(progress.report(40, nullptr));
    EXPECT_EQ(progress.shown.size(), 1u) << "setTotal switches reporting back on";
}

TEST(JobProgress, CancelAnswersEveryReportAndTellsTheListenerEachTime) {
    JobProgress progress;
    RecordingHandler listener;
    progress.listener = &listener;
    progress.setTotal(100);
    EXPECT_FALSE(progress.report(10, nullptr));
    progress.cancel();
    EXPECT_TRUE(progress.report(20, nullptr));
    EXPECT_TRUE(progress.report(30, nullptr));
    ASSERT_EQ(listener.reports.size(), 2u);
    EXPECT_EQ(listener.reports[0].first, "Operation was canceled");
    EXPECT_EQ(listener.reports[0].second, 0);
    EXPECT_EQ(progress.percent.load(), 30u) << "the count goes on while cancelled";

    progress.listener = nullptr;
    EXPECT_TRUE(progress.report(40, nullptr));
    progress.setTotal(100);
    EXPECT_FALSE(progress.report(50, nullptr)) << "a new total starts a new job";
}
