#include "setup/update_worker.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/net_texts.h"
#include "core/paths.h"
#include "setup/update_checker.h"
#include "tests/setup/http_test_server.h"
#include "tests/setup/update_fixture.h"
#include "tests/support/test_support.h"

namespace {
const i64 kNow = 1700000000;

// Records the questions; the answers are set per test. Waits on nothing: the user is idle.
class RecordingWorker : public HttpDownloader {
public:
    bool askUser(u32 code, const char* text, u32 number) override {
        asked.push_back(code);
        askedText = text ? text : "";
        askedNumber = number;
        if (code == 3 && answerModeTo != ~0u) mode = answerModeTo;
        return answer;
    }
    void runUpdate(const char* fileName, const char* version) override {
        started = fileName;
        startedVersion = version;
    }
    void noticeFirstCheck() override { asked.push_back(0); }
    bool isUserIdle(u32) override { return true; }

    std::vector<u32> asked;
    std::string askedText;
    u32 askedNumber = 0;
    bool answer = true;
    u32 answerModeTo = ~0u;
    std::string started, startedVersion;
};

struct Worker : ::testing::Test {
    void SetUp() override {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "no_proxy"}) SetEnvironmentVariableA(name, nullptr);
        savedClock = updateClock;
        updateClock = [] { return kNow; };
        setVersionText("0.1.9");
        worker.addressTemplates = {server.url("/ver_$v.txt"), server.url("/latest.txt")};
        worker.workFolder = dir.path().c_str();
        worker.key = testPublicKey().data();
        worker.keySize = (u32)testPublicKey().size();
        worker.firstCheckPending = 0;
        worker.mode = 2;
    }
    void TearDown() override {
        worker.stopWorker();
        updateClock = savedClock;
    }
    // Runs one check and waits until the worker has gone back to waiting or ended.
    void checkOnce() {
        worker.checkNow();
        for (int i = 0; i < 20000; ++i) {
            {
                std::lock_guard<std::recursive_mutex> hold(worker.stateLock);
                if (worker.state == 2) return;
            }
            if (WaitForSingleObject(worker.doneEvent, 0) == WAIT_OBJECT_0) {
                // The thread hands its result over after the done event.
                WaitForSingleObject(worker.thread, 10000);
                return;
            }
            Sleep(1);
        }
        FAIL() << "the check did not end";
    }
    bool logged(NetText id) {
        std::string text = netText(id);
        text = text.substr(0, text.find('%'));
        for (auto& entry : worker.log.entries)
            if (std::string(entry.text.c_str()).find(text) != std::string::npos) return true;
        return false;
    }
    int tried(const char* path) {
        int n = 0;
        for (auto& entry : worker.log.entries)
            if (std::string(entry.text.c_str()).find(path) != std::string::npos) ++n;
        return n;
    }
    void serveUpdate(const std::string& version, const std::string& body, bool signedWell = true) {
        server.setFile("/ver_0.1.9.txt", version + "\r\n" + server.url("/new.exe") + "\r\n");
        server.setFile("/new.exe", body);
        server.setFile("/new.exe.sig", signedWell ? signUpdate(version, body) : std::string(256, '\x42'));
    }
    i64 (*savedClock)();
    HttpTestServer server;
    TempDir dir;
    RecordingWorker worker;
};
}  // namespace

TEST_F(Worker, VersionLinesDecide) {
    struct Case {
        const char* line1;
        bool newer;
        NetText text;  // Count: none expected
    } cases[] = {
        {"0.1.9", false, NetText::NotNewer}, {"0.1.10", true, NetText::Count}, {"0.1.8", false, NetText::NotNewer},
        {"0.1.9.0", false, NetText::NotNewer}, {"", false, NetText::NotNewer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line1);
        worker.asked.clear();
        worker.log.entries.clear();
        worker.answer = false;
        server.setFile("/ver_0.1.9.txt", std::string(c.line1) + "\r\n" + server.url("/new.exe") + "\r\n");
        checkOnce();
        EXPECT_EQ(c.newer ? std::vector<u32>{5} : std::vector<u32>{}, worker.asked);
        if (c.text != NetText::Count) EXPECT_TRUE(logged(c.text));
        EXPECT_EQ(0, tried("/latest.txt"));
        worker.stopWorker();
    }
}

TEST_F(Worker, BadVersionFilesTryTheSecondAddress) {
    struct Case {
        std::string body;
        NetText text;
    } cases[] = {
        {"<html>\r\n", NetText::PageNotVersion},
        {"0.2a\r\nhttp://x/\r\n", NetText::BadVersionText},
        {"0.2\r\nhttps://x/new.exe\r\n", NetText::BadDownloadAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        worker.log.entries.clear();
        server.setFile("/ver_0.1.9.txt", c.body);
        server.setFile("/latest.txt", "0.1.9\r\n");
        checkOnce();
        EXPECT_TRUE(logged(c.text));
        EXPECT_EQ(1, tried("/latest.txt"));
        EXPECT_TRUE(worker.asked.empty());
        worker.stopWorker();
    }
}

TEST_F(Worker, ModesAskAndDownload) {
    serveUpdate("0.2.0", "MZ installer");
    // Mode 2 asks before the download, then before installing.
    checkOnce();
    EXPECT_EQ((std::vector<u32>{5, 7}), worker.asked);
    EXPECT_EQ("0.2.0", worker.askedText);
    EXPECT_EQ(12u, worker.askedNumber);
    EXPECT_EQ(dir.file("kx_updater_17h3634.tmp"), worker.started);
    EXPECT_EQ("0.2.0", worker.startedVersion);
    EXPECT_EQ("MZ installer", dir.read("kx_updater_17h3634.tmp"));
    // Mode 3 downloads at once and asks only before installing; a No deletes the download.
    worker.asked.clear();
    worker.started.clear();
    worker.mode = 3;
    worker.answer = false;
    checkOnce();
    EXPECT_EQ(std::vector<u32>{7}, worker.asked);
    EXPECT_TRUE(logged(NetText::InstallDeclined));
    worker.stopWorker();
    EXPECT_TRUE(worker.started.empty());
    EXPECT_FALSE(dir.exists("kx_updater_17h3634.tmp"));
}

TEST_F(Worker, BadSignatureAsksNothing) {
    worker.mode = 3;
    serveUpdate("0.2.0", "MZ installer", false);
    checkOnce();
    EXPECT_TRUE(worker.asked.empty());
    EXPECT_TRUE(logged(NetText::SignatureBad));
    worker.stopWorker();
    EXPECT_FALSE(dir.exists("kx_updater_17h3634.tmp"));
    EXPECT_FALSE(dir.exists("kx_updater_17h3634.tmp.sig"));
}

TEST_F(Worker, FirstQuestionAnsweredNoneEndsTheThread) {
    worker.mode = 1;
    worker.answerModeTo = 0;
    worker.answer = false;
    worker.startDelay = 0;
    worker.startWorker();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker.doneEvent, 10000));
    EXPECT_EQ(std::vector<u32>{3}, worker.asked);
    EXPECT_EQ(0u, worker.mode);
    EXPECT_EQ(0u, worker.state);
    EXPECT_TRUE(logged(NetText::CheckDeclined));
}

TEST_F(Worker, QuitDuringADownloadReturnsAtOnce) {
    worker.mode = 3;
    server.setFile("/ver_0.1.9.txt", "0.2.0\r\n" + server.url("/new.exe") + "\r\n");
    server.set("/new.exe", "HTTP/1.1 200 OK\r\nContent-Length: 200000\r\nConnection: close\r\n\r\n" +
                               std::string(200000, 'z'), true);
    worker.checkNow();
    for (int i = 0; i < 10000 && downloadPercent(worker.request) == 0; ++i) Sleep(1);
    ASSERT_GT(downloadPercent(worker.request), 0u);
    // As in the transfer tests: a receive blocked under Wine needs the rest of the body to return.
    server.release();
    worker.stopWorker();
    EXPECT_TRUE(worker.asked.empty());
    EXPECT_EQ(0u, worker.state);
}

TEST(UpdateQuit, AQueuedQuestionIsDroppedAndReadAsNo) {
    // The interface thread is busy quitting: nobody runs the queue the question waits in.
    TaskQueue queue;
    setUiTaskQueue(&queue);
    HttpTestServer server;
    TempDir dir;
    i64 (*savedClock)() = updateClock;
    updateClock = [] { return kNow; };
    setVersionText("0.1.9");
    server.setFile("/ver_0.1.9.txt", "0.2.0\r\nhttp://127.0.0.1:1/new.exe\r\n");
    {
        UpdateChecker checker;
        checker.addressTemplates = {server.url("/ver_$v.txt")};
        checker.workFolder = dir.path().c_str();
        checker.firstCheckPending = 0;
        checker.mode = 2;
        checker.checkNow();
        for (int i = 0; i < 10000; ++i) {
            {
                TaskQueueLock hold;
                if (!queue.empty()) break;
            }
            Sleep(1);
        }
        ASSERT_FALSE(queue.empty());
        DWORD before = GetTickCount();
        checker.stopWorker();
        EXPECT_LT(GetTickCount() - before, 1000u);
        EXPECT_EQ(0u, checker.state);
    }
    EXPECT_TRUE(queue.empty());
    setUiTaskQueue(nullptr);
    updateClock = savedClock;
}

TEST(UpdateState, RoundTripAndDefaults) {
    TempDir dir;
    RecordingWorker saved;
    saved.checkInterval = 7200;
    saved.startDelay = 45;
    saved.lastCheck = 0x123456789LL;
    saved.mode = 3;
    saved.firstCheckPending = 0;
    std::string path = dir.file("ravo_updates.ini");
    ASSERT_TRUE(saved.saveState(path.c_str()));
    EXPECT_EQ(12u + 21u, dir.read("ravo_updates.ini").size());
    RecordingWorker loaded;
    ASSERT_TRUE(loaded.loadState(path.c_str()));
    EXPECT_EQ(7200u, loaded.checkInterval);
    EXPECT_EQ(45u, loaded.startDelay);
    EXPECT_EQ(0x123456789LL, loaded.lastCheck);
    EXPECT_EQ(3u, loaded.mode);
    EXPECT_EQ(0u, loaded.firstCheckPending);
    loaded.resetSchedule();
    EXPECT_EQ(86400u, loaded.checkInterval);
    EXPECT_EQ(300u, loaded.startDelay);
    EXPECT_EQ(1u, loaded.mode);
    EXPECT_EQ(0x123456789LL, loaded.lastCheck);
    // A short body keeps the defaults.
    std::string bytes = dir.read("ravo_updates.ini");
    bytes[8] = 10;
    dir.write("short.ini", bytes.substr(0, 12 + 10));
    RecordingWorker fresh;
    EXPECT_FALSE(fresh.loadState(dir.file("short.ini").c_str()));
    EXPECT_EQ(86400u, fresh.checkInterval);
    EXPECT_EQ(1u, fresh.mode);
}
