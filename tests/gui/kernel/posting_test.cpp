#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "gui/kernel/posting.h"
#include "tests/gui/gui_fixture.h"

namespace {
// Logs the commands it executes; disabled commands are refused.
class Receiver : public GItemBase {
public:
    explicit Receiver(std::vector<u32>* log) : log(log) {}
    i32 commandState(u32 command) override { return command == disabled ? CommandDisabled : CommandEnabled; }
    bool onCommand(u32 command, GStateQuery* query) override {
        log->push_back(command);
        if (query) query->answer = 1;
        return true;
    }
    std::vector<u32>* log;
    u32 disabled = 0;
};

bool queueEmpty(TestApplication& app) {
    TaskQueueLock hold;
    return app.app.taskQueue.empty();
}
}  // namespace

TEST(Posting, QueryFirstRunsBeforeTheWaitingTasks) {
    TestApplication app;
    std::vector<u32> log;
    Receiver receiver(&log);
    receiver.disabled = 13;
    TaskList list(&receiver);
    std::thread worker([&] {
        postNotificationTo(list, 10);
        postQuery(list, new PostedQuery(11));
        postQueryFirst(list, new PostedQuery(12));
        postQuery(list, new PostedQuery(13));  // disabled: not executed
        postNotification(&receiver, 14);
    });
    worker.join();
    EXPECT_TRUE(pumpUntil([&] { return queueEmpty(app); }));
    EXPECT_EQ(log, (std::vector<u32>{12, 10, 11, 14}));
    EXPECT_EQ(list.ring.last, nullptr);
}

TEST(Posting, LocalListsAreNeverQueuedAndDeletingTheOwnerDropsItsTasks) {
    TestApplication app;
    std::vector<u32> log;
    {
        Receiver receiver(&log);
        TaskList local(&receiver, true);
        postNotificationTo(local, 1);
        postQueryFirst(local, new PostedQuery(2));
        EXPECT_TRUE(queueEmpty(app));
        EXPECT_NE(local.ring.last, nullptr);
        EXPECT_EQ(local.ring.last->ringNext->ringNext, local.ring.last);  // two tasks wait there
    }  // the list deletes them unrun
    pumpUntil([] { return false; }, 30);
    EXPECT_TRUE(log.empty());

    Receiver* doomed = new Receiver(&log);
    postNotification(doomed, 3);
    postNotification(doomed, 4);
    EXPECT_FALSE(queueEmpty(app));
    delete doomed;
    EXPECT_TRUE(queueEmpty(app));
    pumpUntil([] { return false; }, 30);
    EXPECT_TRUE(log.empty());

    // An item whose own list is local keeps its notifications.
    Receiver keeper(&log);
    keeper.pendingTasks.local = 1;
    postNotification(&keeper, 5);
    EXPECT_TRUE(queueEmpty(app));
    EXPECT_NE(keeper.pendingTasks.last, nullptr);
}
