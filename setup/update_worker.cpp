#include "setup/update_worker.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "app/net_texts.h"
#include "core/bag_file.h"
#include "core/format.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "setup/update_signature.h"

namespace {
const char kTempName[] = "kx_updater_17h3634.tmp";

i64 systemClock() { return (i64)time(nullptr); }

bool isLetterOrDigit(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c >= 128;
}

// Holds stateLock for a scope and lets the worker release it around outside calls.
struct StateHold {
    std::recursive_mutex& lock;
    explicit StateHold(std::recursive_mutex& lock) : lock(lock) { lock.lock(); }
    ~StateHold() { lock.unlock(); }
};
}  // namespace

i64 (*updateClock)() = systemClock;

u32 effectiveInterval(u32 interval) { return interval < 3600 ? 86400 : interval; }

i64 nextCheckTime(i64 now, u32 delay, i64 last, u32 interval) {
    i64 soon = now + (i64)delay;
    if (last == 0) return soon;
    i64 due = last + (i64)effectiveInterval(interval);
    return due > soon ? due : soon;
}

GString versionAddress(const char* addressTemplate, const char* version) {
    GString address(addressTemplate);
    stringReplaceAll(address, "$v", version);
    return address;
}

// ---- the log ----

void HttpWorker::postMessage(const char* text) {
    if (entries.size() >= capacity) entries.erase(entries.begin());
    entries.push_back(Entry{updateClock(), GString(text)});
}

void HttpWorker::notify(const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::lock_guard<std::recursive_mutex> hold(logLock);
    postMessage(buffer);
}

bool HttpWorker::report(const char* text, int) {
    std::lock_guard<std::recursive_mutex> hold(logLock);
    postMessage(text);
    return false;
}

void HttpWorker::formatLog(GString& out) {
    stringClear(out);
    for (const Entry& entry : entries) {
        GString line;
        formatDateTime(line, entry.time);
        if (!line.empty()) stringAppend(line, ":\r\n");
        stringAppend(line, entry.text.c_str());
        // Composed error texts may span lines; the entry's end is what counts.
        while (line.length && (line.c_str()[line.length - 1] == '\n' || line.c_str()[line.length - 1] == '\r'))
            stringTruncate(line, 1);
        if (line.length && isLetterOrDigit((unsigned char)line.c_str()[line.length - 1])) stringAppendChar(line, '.');
        stringAppend(out, line.c_str());
        stringAppend(out, "\r\n");
    }
}

// ---- the downloader ----

HttpDownloader::HttpDownloader() {
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    doneEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    session.handler = &log;
    request.handler = &log;
    key = releasePublicKey;
    keySize = releasePublicKeySize;
    workFolder = tempFolder();
    tasks.singleThread = 0;
}

HttpDownloader::~HttpDownloader() {
    stopWorker();
    TaskQueue::clear(tasks);
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    CloseHandle(stopEvent);
    CloseHandle(doneEvent);
}

void HttpDownloader::resetSchedule() {
    checkInterval = 86400;
    startDelay = 300;
    mode = 1;
}

bool HttpDownloader::loadState(const char* path) {
    GBag bag;
    if (!loadBagFile(path, bag, bagFileTag("UPDT"), 3)) return false;
    u32 interval, delay, newMode;
    u64 last;
    u8 pending;
    try {
        bagReadU32(bag, &interval);
        bagReadU32(bag, &delay);
        bagReadU64(bag, &last);
        bagReadU32(bag, &newMode);
        bagReadU8(bag, &pending);
    } catch (const GBagException&) {
        // A body that ends early keeps every default.
        return false;
    }
    StateHold hold(stateLock);
    checkInterval = interval;
    startDelay = delay;
    lastCheck = (i64)last;
    mode = newMode > 3 ? 1 : newMode;
    firstCheckPending = pending;
    return true;
}

bool HttpDownloader::saveState(const char* path) {
    GBag bag;
    {
        StateHold hold(stateLock);
        bagWriteU32(bag, checkInterval);
        bagWriteU32(bag, startDelay);
        bagWriteU64(bag, (u64)lastCheck);
        bagWriteU32(bag, mode);
        bagWriteU8(bag, firstCheckPending);
    }
    return saveBagFile(path, bag, bagFileTag("UPDT"), 3);
}

void HttpDownloader::startWorker() {
    stopWorker();
    StateHold hold(stateLock);
    nextCheck = nextCheckTime(updateClock(), startDelay, lastCheck, checkInterval);
    if (mode == 0 || addressTemplates.empty()) return;
    launchThread(2);
}

void HttpDownloader::launchThread(u32 startState) {
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    ResetEvent(doneEvent);
    ResetEvent(stopEvent);
    state = startState;
    thread = CreateThread(nullptr, 0, (LPTHREAD_START_ROUTINE)(void*)threadMain, this, 0, nullptr);
    if (!thread) {
        state = 0;
        SetEvent(doneEvent);
    }
}

void HttpDownloader::stopWorker() {
    {
        StateHold hold(stateLock);
        if (state > 1) {
            abortRequest(request);
            closeSession(session);
            state = 1;
            SetEvent(stopEvent);
        }
    }
    // A question queued for the interface thread cannot run while it waits here: dropping it
    // releases the worker with a No.
    TaskQueue::clear(tasks);
    WaitForSingleObject(doneEvent, INFINITE);
}

void HttpDownloader::checkNow() {
    StateHold hold(stateLock);
    if (addressTemplates.empty()) return;
    if (state == 0) {
        nextCheck = updateClock();
        launchThread(4);
    } else if (state == 2) {
        nextCheck = updateClock();
        state = 4;
        SetEvent(stopEvent);
    }
}

void HttpDownloader::setMode(u32 newMode) {
    bool start = false, stop = false;
    {
        StateHold hold(stateLock);
        if (newMode == mode) return;
        mode = newMode;
        if (newMode > 0 && state == 0) start = true;
        if (newMode == 0) {
            nextCheck = 0;
            if (state == 2) stop = true;
        }
    }
    if (start) startWorker();
    if (stop) stopWorker();
}

void HttpDownloader::getStatus(UpdateStatus& out) {
    {
        std::lock_guard<std::recursive_mutex> hold(log.logLock);
        log.formatLog(out.log);
    }
    StateHold hold(stateLock);
    out.state = state;
    out.lastCheck = lastCheck;
    out.nextCheck = nextCheck;
    out.percent = state < 6 ? -1 : state == 6 ? (i32)downloadPercent(request) : 100;
    out.downloadLength = state == 6 || state == 7 ? (u32)announcedLength(request) : 0;
}

unsigned __stdcall HttpDownloader::threadMain(void* self) {
    try {
        static_cast<HttpDownloader*>(self)->work();
    } catch (...) {
    }
    return 0;
}

bool HttpDownloader::waitForIdle(u32 code) {
    while (!isUserIdle(code)) {
        if (WaitForSingleObject(stopEvent, 10000) != WAIT_TIMEOUT) return false;
    }
    return true;
}

void HttpDownloader::work() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    {
        // A stop before this point has set state 1, which ends the thread below.
        std::lock_guard<std::mutex> hold(request.lock);
        request.aborted = false;
    }
    GString tempFile = workFolder;
    pathJoin(tempFile, kTempName);
    GString signatureFile = tempFile;
    stringAppend(signatureFile, ".sig");
    GString result, resultVersion;
    stateLock.lock();
    log.notify("%s", netText(NetText::WorkerStarts));
    while (state != 1) {
        i64 now = updateClock();
        if (now >= nextCheck) {
            lastCheck = now;
            nextCheck = now + (i64)effectiveInterval(checkInterval);
            bool go = false;
            if (state == 2 && mode == 1) {
                state = 3;
                log.notify("%s", netText(NetText::AskHowToCheck));
                stateLock.unlock();
                bool idle = waitForIdle(3);
                bool answer = idle && askUser(3, nullptr, 0);
                stateLock.lock();
                if (!idle || state == 1) break;
                if (answer)
                    go = true;
                else
                    log.notify("%s", netText(NetText::CheckDeclined));
            } else if (state == 2 || state == 4) {
                go = true;
            }
            if (go) {
                state = 4;
                if (!check(result, resultVersion)) break;
                if (!result.empty()) break;
            }
        }
        // Wait for the next due time.
        closeRequest(request);
        closeSession(session);
        deleteFile(tempFile.c_str());
        deleteFile(signatureFile.c_str());
        if (mode == 0 || state == 1) break;
        state = 2;
        ResetEvent(stopEvent);
        i64 wait = nextCheck - updateClock();
        // Long waits go in pieces of a day at most.
        if (wait > 86400) wait = 86400;
        stateLock.unlock();
        if (wait > 0) WaitForSingleObject(stopEvent, (DWORD)(wait * 1000));
        stateLock.lock();
    }
    if (result.empty()) {
        deleteFile(tempFile.c_str());
        deleteFile(signatureFile.c_str());
    }
    state = 0;
    closeRequest(request);
    closeSession(session);
    log.notify("%s", netText(NetText::WorkerEnds));
    stateLock.unlock();
    SetEvent(doneEvent);
    if (!result.empty()) runUpdate(result.c_str(), resultVersion.c_str());
}

bool HttpDownloader::check(GString& result, GString& resultVersion) {
    log.notify("%s", netText(NetText::CheckBegins));
    GString version = versionText();
    GString tempFile = workFolder;
    pathJoin(tempFile, kTempName);
    GString signatureFile = tempFile;
    stringAppend(signatureFile, ".sig");
    if (firstCheckPending) {
        firstCheckPending = 0;
        stateLock.unlock();
        noticeFirstCheck();
        stateLock.lock();
        if (state == 1) return false;
    }
    stateLock.unlock();
    bool opened = openInternet(session);
    stateLock.lock();
    if (state == 1) return false;
    if (!opened) return true;
    for (const std::string& addressTemplate : addressTemplates) {
        GString address = versionAddress(addressTemplate.c_str(), version.c_str());
        log.notify(netText(NetText::TryingAddress), address.c_str());
        stateLock.unlock();
        bool connected = checkConnection(session, address.c_str());
        stateLock.lock();
        if (state == 1) return false;
        if (!connected) continue;
        stateLock.unlock();
        bool fetched = downloadUrlToFile(request, session, address.c_str(), tempFile.c_str());
        stateLock.lock();
        if (state == 1) return false;
        closeRequest(request);
        if (!fetched) continue;
        char line1[100], line2[512];
        {
            GFile file(&log);
            if (!fileOpen(file, tempFile.c_str(), FileMode::Read)) continue;
            if (!fileReadLine(file, line1, sizeof line1)) {
                fileCloseQuietly(file);
                continue;
            }
            if (line1[0] == '<') {
                fileCloseQuietly(file);
                log.notify("%s", netText(NetText::PageNotVersion));
                continue;
            }
            bool digits = true;
            for (const char* p = line1; *p; ++p)
                if (!((*p >= '0' && *p <= '9') || *p == '.')) digits = false;
            if (!digits) {
                fileCloseQuietly(file);
                log.notify("%s", netText(NetText::BadVersionText));
                continue;
            }
            if (compareVersions(version.c_str(), line1) >= 0) {
                fileCloseQuietly(file);
                log.notify(netText(NetText::NotNewer), line1, version.c_str());
                break;
            }
            bool read = fileReadLine(file, line2, sizeof line2);
            fileCloseQuietly(file);
            if (!read) continue;
        }
        if (strncmp(line2, "http://", 7) != 0) {
            log.notify("%s", netText(NetText::BadDownloadAddress));
            continue;
        }
        stateLock.unlock();
        downloadUrlToFile(request, session, line2, nullptr);
        stateLock.lock();
        if (state == 1) return false;
        closeRequest(request);
        u32 length = (u32)announcedLength(request);
        if (mode <= 2) {
            state = 5;
            log.notify("%s", netText(NetText::NewerFound));
            stateLock.unlock();
            bool idle = waitForIdle(5);
            bool answer = idle && askUser(5, line1, length);
            stateLock.lock();
            if (!idle || state == 1) return false;
            if (!answer) {
                log.notify("%s", netText(NetText::DownloadDeclined));
                break;
            }
        }
        state = 6;
        log.notify("%s", netText(NetText::DownloadBegins));
        GString signatureAddress(line2);
        stringAppend(signatureAddress, ".sig");
        stateLock.unlock();
        bool downloaded = downloadUrlToFile(request, session, line2, tempFile.c_str()) &&
                          downloadUrlToFile(request, session, signatureAddress.c_str(), signatureFile.c_str());
        bool signedWell = downloaded && verifyUpdateFile(tempFile.c_str(), line1, signatureFile.c_str(), key, keySize);
        stateLock.lock();
        if (state == 1) return false;
        closeRequest(request);
        if (!downloaded) break;
        if (!signedWell) {
            log.notify("%s", netText(NetText::SignatureBad));
            break;
        }
        state = 7;
        log.notify("%s", netText(NetText::DownloadComplete));
        stateLock.unlock();
        bool idle = waitForIdle(7);
        bool answer = idle && askUser(7, line1, length);
        stateLock.lock();
        if (!idle || state == 1) return false;
        if (!answer) {
            log.notify("%s", netText(NetText::InstallDeclined));
            break;
        }
        result = tempFile;
        resultVersion = line1;
        state = 1;
        return true;
    }
    return true;
}
