#pragma once
// The update check: one worker thread of lowest priority that reads the version file from the
// product's server on a schedule, downloads a newer version with its signature and hands the file
// to the interface thread. The start-up step owns the one HttpDownloader; the subclass on the
// interface side answers the four questions. HttpWorker is the message log the dialog shows.
#include <mutex>
#include <string>
#include <vector>

#include "core/task_queue.h"
#include "setup/http_transfer.h"

class HttpWorker : public ErrorHandler {
public:
    struct Entry {
        i64 time;
        GString text;
    };
    // The caller holds logLock.
    void postMessage(const char* text);
    void notify(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    bool report(const char* text, int code) override;
    void formatLog(GString& out);

    std::vector<Entry> entries;  // oldest first
    u32 capacity = 10;
    std::recursive_mutex logLock;
};

// The seconds-since-1970 clock of the worker; tests replace it.
extern i64 (*updateClock)();

struct UpdateStatus {
    GString log;
    u32 state = 0;
    i32 percent = -1;
    i64 lastCheck = 0;
    i64 nextCheck = 0;
    u32 downloadLength = 0;
};

class HttpDownloader {
public:
    HttpDownloader();
    virtual ~HttpDownloader();
    HttpDownloader(const HttpDownloader&) = delete;
    HttpDownloader& operator=(const HttpDownloader&) = delete;

    virtual bool askUser(u32 code, const char* text, u32 number) = 0;
    virtual void runUpdate(const char* fileName, const char* version) = 0;
    virtual void noticeFirstCheck() = 0;
    virtual bool isUserIdle(u32 code) = 0;

    void startWorker();
    void stopWorker();
    void checkNow();
    void setMode(u32 newMode);
    void getStatus(UpdateStatus& out);
    // The state file's five fields; load leaves the object as it was on any failure.
    bool loadState(const char* path);
    bool saveState(const char* path);
    // Step start's reset: interval, delay and mode back to their first values.
    void resetSchedule();

    std::vector<std::string> addressTemplates;
    u32 checkInterval = 86400;
    u32 startDelay = 30;
    u32 mode = 1;
    std::recursive_mutex stateLock;
    i64 lastCheck = 0;
    i64 nextCheck = 0;
    u32 state = 0;
    HttpWorker log;
    u8 firstCheckPending = 1;
    InternetSession session;
    HttpRequest request;
    void* stopEvent;
    void* doneEvent;
    void* thread = nullptr;
    TaskRing tasks;
    // The key downloads are checked against (the release key unless a test sets another).
    const u8* key;
    u32 keySize;
    // The temp file's folder ("$t" unless a test sets another).
    GString workFolder;

    static unsigned __stdcall threadMain(void* self);

private:
    void work();
    // A new worker thread starting in startState (lock held), after the last one ended.
    void launchThread(u32 startState);
    bool waitForIdle(u32 code);
    // The check of state 4 (lock held); false when a stop ends the thread.
    bool check(GString& result, GString& resultVersion);
};

// The interval in force: below an hour reads as a day.
u32 effectiveInterval(u32 interval);
// The next check: the later of now + delay and last + interval (now + delay when never checked).
i64 nextCheckTime(i64 now, u32 delay, i64 last, u32 interval);
// The version file's address for a template ("$v" replaced by the version).
GString versionAddress(const char* addressTemplate, const char* version);
