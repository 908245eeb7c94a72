#include "setup/http_transfer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "app/net_texts.h"
#include "gui/kernel/message_box.h"
#include "core/paths.h"
#include "setup/update_checker.h"
#include "setup/update_signature.h"
#include "setup/update_worker.h"
#include "tests/setup/http_test_server.h"
#include "tests/support/test_support.h"

namespace {
struct Transfer : ::testing::Test {
    void SetUp() override {
        // The system's proxy settings come from these; the server is local.
        for (const char* name : {"http_proxy", "HTTP_PROXY", "no_proxy"}) SetEnvironmentVariableA(name, nullptr);
        session.handler = &log;
        request.handler = &log;
        ASSERT_TRUE(openInternet(session));
    }
    bool fetch(const std::string& path) {
        return downloadUrlToFile(request, session, server.url(path).c_str(), dir.file("out").c_str());
    }
    bool logged(NetText id) {
        std::string text = netText(id);
        text = text.substr(0, text.find('%'));
        for (auto& report : log.reports)
            if (report.first.find(text) != std::string::npos) return true;
        return false;
    }
    HttpTestServer server;
    TempDir dir;
    RecordingHandler log;
    InternetSession session;
    HttpRequest request;
};
}  // namespace

TEST_F(Transfer, LengthAndStatusDecide) {
    struct Case {
        const char* name;
        std::string response;
        bool ok;
        NetText text;
    } cases[] = {
        {"exact", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello", true, NetText::Count},
        {"one more", "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\nhello", false, NetText::TooLong},
        {"one less", "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\nhello", false, NetText::TooShort},
        {"no length", "HTTP/1.0 200 OK\r\n\r\nhello", false, NetText::AddressFailed},
        {"404 with length", "HTTP/1.1 404 Not Found\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello", false,
         NetText::BadStatus},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        log.reports.clear();
        server.set("/f", c.response);
        EXPECT_EQ(c.ok, fetch("/f"));
        if (c.ok) {
            EXPECT_EQ("hello", dir.read("out"));
            EXPECT_EQ(5u, announcedLength(request));
            EXPECT_EQ(100u, downloadPercent(request));
            EXPECT_TRUE(log.reports.empty());
        } else {
            EXPECT_TRUE(logged(c.text)) << (log.reports.empty() ? "" : log.lastText());
        }
        closeRequest(request);
    }
}

TEST_F(Transfer, NoFileNameOnlyLearnsTheLength) {
    server.setFile("/big", std::string(3000, 'x'));
    EXPECT_TRUE(downloadUrlToFile(request, session, server.url("/big").c_str(), nullptr));
    EXPECT_EQ(3000u, announcedLength(request));
    EXPECT_TRUE(downloadUrlToFile(request, session, server.url("/big").c_str(), ""));
    EXPECT_FALSE(dir.exists("out"));
    EXPECT_EQ(nullptr, request.handle);
}

// A stop that comes while a request is being opened: the request opened after it is closed at once
// instead of reading on; the next run clears the mark.
TEST_F(Transfer, AnAbortedRequestReadsNothing) {
    server.setFile("/file", "version\r\n");
    abortRequest(request);
    EXPECT_FALSE(fetch("/file"));
    EXPECT_FALSE(dir.exists("out"));
    EXPECT_EQ(nullptr, request.handle);
    EXPECT_TRUE(logged(NetText::AddressFailed));
    request.aborted = false;
    EXPECT_TRUE(fetch("/file"));
    EXPECT_EQ("version\r\n", dir.read("out"));
}

TEST_F(Transfer, CloseFromAnotherThreadFailsTheTransfer) {
    server.set("/slow", "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\nConnection: close\r\n\r\n" +
                            std::string(100000, 'y'), true);
    bool result = true;
    std::thread worker([&] { result = fetch("/slow"); });
    // Wait until the transfer has its handle and some bytes.
    for (int i = 0; i < 10000; ++i) {
        {
            std::lock_guard<std::mutex> hold(request.lock);
            if (request.handle && request.received > 0) break;
        }
        Sleep(1);
    }
    closeRequest(request);
    // Wine's close does not wake a receive already blocked on the socket (Windows' does): the rest
    // of the body lets such a read return, and the closed handle then ends the transfer.
    server.release();
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_LT(request.received, 100000u);
    EXPECT_TRUE(logged(NetText::AddressFailed));
}

TEST(UpdateVersions, CompareAsNumbers) {
    struct Case {
        const char* current;
        const char* server;
        int expected;  // of compareVersions(current, server)
    } cases[] = {
        {"0.1.7", "0.1.7", 0}, {"0.1.9", "0.1.10", -1}, {"0.1.7", "0.1.8", -1}, {"1.2", "1.2.0", 0},
        {"0.1.7", "", 1},      {"1.02", "1.2", 0},      {"2", "1.99.99", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.current) + " vs " + c.server);
        EXPECT_EQ(c.expected, compareVersions(c.current, c.server));
    }
}

TEST(UpdateSchedule, NextCheckRule) {
    const i64 now = 1000000;
    EXPECT_EQ(now + 30, nextCheckTime(now, 30, 0, 86400));
    EXPECT_EQ(now + 300, nextCheckTime(now, 300, 0, 86400));
    EXPECT_EQ(now - 100 + 86400, nextCheckTime(now, 30, now - 100, 86400));
    EXPECT_EQ(now + 30, nextCheckTime(now, 30, now - 200000, 86400));
    // An interval below an hour reads as a day.
    EXPECT_EQ(now - 100 + 86400, nextCheckTime(now, 30, now - 100, 0));
    EXPECT_EQ(now + 7200 - 100, nextCheckTime(now, 30, now - 100, 7200));
}

TEST(UpdateApply, PatcherArguments) {
    const char* expected = "\"C:\\Apps\\Ravo\" += \"C:\\t\\p.exe\" -wait \"C:\\Apps\\Ravo\\ravo.exe\" -run "
                           "\"C:\\Apps\\Ravo\\ravo.exe\"";
    EXPECT_STREQ(expected, patcherParameters("C:\\Apps\\Ravo", "C:\\t\\p.exe").c_str());
    EXPECT_STREQ(expected, patcherParameters("C:\\Apps\\Ravo\\", "C:\\t\\p.exe").c_str());
}

TEST(UpdateLog, KeepsTheLastTen) {
    HttpWorker log;
    for (int i = 0; i < 12; ++i) log.notify("entry %d", i);
    ASSERT_EQ(10u, log.entries.size());
    EXPECT_STREQ("entry 2", log.entries.front().text.c_str());
    GString text;
    log.formatLog(text);
    EXPECT_NE(nullptr, strstr(text.c_str(), "entry 11.\r\n"));
}

TEST(UpdateApply, UnsignedFilesStartNothing) {
    static int starts;
    static int quits;
    starts = quits = 0;
    UpdateLauncher savedLauncher = updateLauncher;
    void (*savedQuit)() = updateQuit;
    updateLauncher = [](const char*, const char*, const char*, bool) { return ++starts > 0; };
    updateQuit = [] { ++quits; };
    static int boxes;
    boxes = 0;
    setMessageBoxSink([](const MessageBoxDescription*, GWindow*, const char*) { return ++boxes, 0; });
    TempDir dir;
    struct Case {
        const char* name;
        std::string bytes;
        std::string signature;  // empty: none
    } cases[] = {
        {"installer, no signature", "MZ rest", ""},
        {"patch, garbage signature", "PT rest", std::string(256, '\x11')},
        {"other bytes", "XY rest", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("kx_updater_17h3634.tmp", c.bytes);
        if (!c.signature.empty()) dir.write("kx_updater_17h3634.tmp.sig", c.signature);
        EXPECT_FALSE(runDownloadedUpdate(dir.file("kx_updater_17h3634.tmp").c_str(), "0.2", releasePublicKey,
                                         releasePublicKeySize));
    }
    EXPECT_EQ(0, starts);
    EXPECT_EQ(0, quits);
    EXPECT_FALSE(dir.exists("ravo_patcher_tmp_1.exe"));
    EXPECT_EQ(3, boxes);
    setMessageBoxSink(nullptr);
    updateLauncher = savedLauncher;
    updateQuit = savedQuit;
}
