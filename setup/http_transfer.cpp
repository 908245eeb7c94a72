#include "setup/http_transfer.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>

#include "app/net_texts.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "core/system.h"

namespace {
InternetHandle readHandle(std::mutex& lock, InternetHandle handle) {
    std::lock_guard<std::mutex> hold(lock);
    return handle;
}

void closeHandle(std::mutex& lock, InternetHandle& handle) {
    // Closed under the lock, so that the owner never sees a handle being closed.
    std::lock_guard<std::mutex> hold(lock);
    if (handle) InternetCloseHandle(handle);
    handle = nullptr;
}

bool fail(HttpRequest& request, GFile& file, const char* address) {
    if (file.isOpen()) fileCloseQuietly(file);
    return reportInternetError(request.handler, address);
}

void freeBuffer(HttpRequest& request) {
    free(request.buffer);
    request.buffer = nullptr;
    request.capacity = 0;
}
}  // namespace

InternetSession::~InternetSession() { closeSession(*this); }

HttpRequest::~HttpRequest() {
    closeRequest(*this);
    freeBuffer(*this);
}

GString internetErrorText(const char* address) {
    DWORD code = GetLastError();
    GString system = systemErrorText(code, "wininet.dll");
    GString text;
    if (address)
        stringFormat(text, netText(NetText::AddressFailed), address, system.c_str());
    else
        stringFormat(text, netText(NetText::SessionFailed), system.c_str());
    return text;
}

bool reportInternetError(ErrorHandler* handler, const char* address) {
    if (handler) handler->report(internetErrorText(address).c_str(), 0);
    return false;
}

bool openInternet(InternetSession& session) {
    GString agent = productName();
    std::lock_guard<std::mutex> hold(session.lock);
    session.handle = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session.handle) return true;
    reportInternetError(session.handler, nullptr);
    return false;
}

void closeSession(InternetSession& session) { closeHandle(session.lock, session.handle); }

bool checkConnection(InternetSession& session, const char* address) {
    if (InternetCheckConnectionA(address, FLAG_ICC_FORCE_CONNECTION, 0)) return true;
    return reportInternetError(session.handler, address);
}

void closeRequest(HttpRequest& request) { closeHandle(request.lock, request.handle); }

void abortRequest(HttpRequest& request) {
    std::lock_guard<std::mutex> hold(request.lock);
    request.aborted = true;
    if (request.handle) InternetCloseHandle(request.handle);
    request.handle = nullptr;
}

u32 downloadPercent(HttpRequest& request) {
    std::lock_guard<std::mutex> hold(request.lock);
    return request.announced ? (u32)(request.received * 100 / request.announced) : 0;
}

u64 announcedLength(HttpRequest& request) {
    std::lock_guard<std::mutex> hold(request.lock);
    return request.announced;
}

bool downloadUrlToFile(HttpRequest& request, InternetSession& session, const char* address, const char* fileName) {
    {
        std::lock_guard<std::mutex> hold(request.lock);
        request.received = request.announced = 0;
    }
    freeBuffer(request);
    InternetHandle sessionHandle = readHandle(session.lock, session.handle);
    InternetHandle handle = InternetOpenUrlA(sessionHandle, address, nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    if (!handle) return reportInternetError(request.handler, address);
    {
        std::lock_guard<std::mutex> hold(request.lock);
        if (request.handle) InternetCloseHandle(request.handle);
        request.handle = handle;
        // Aborted while it was being opened: the abort did not see this handle.
        if (request.aborted) {
            InternetCloseHandle(handle);
            request.handle = nullptr;
        }
    }
    if (!readHandle(request.lock, request.handle)) {
        SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
        return reportInternetError(request.handler, address);
    }
    GFile file(request.handler);
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoA(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return fail(request, file, address);
    if (status != 200) {
        GString text;
        stringFormat(text, netText(NetText::BadStatus), address, (unsigned)status);
        if (request.handler) request.handler->report(text.c_str(), 0);
        return false;
    }
    DWORD length = 0;
    size = sizeof length;
    if (!HttpQueryInfoA(handle, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr))
        return fail(request, file, address);
    {
        std::lock_guard<std::mutex> hold(request.lock);
        request.announced = length;
    }
    if (!fileName || !*fileName) {
        closeRequest(request);
        return true;
    }
    if (!fileOpen(file, fileName, FileMode::Write)) return false;
    for (;;) {
        DWORD ready = 0;
        InternetHandle current = readHandle(request.lock, request.handle);
        if (!current) SetLastError(ERROR_INVALID_HANDLE);
        if (!current || !InternetQueryDataAvailable(current, &ready, 0, 0)) return fail(request, file, address);
        if (ready > request.capacity) {
            u8* grown = (u8*)malloc((size_t)ready + 1);
            if (!grown) return fail(request, file, address);
            free(request.buffer);
            request.buffer = grown;
            request.capacity = ready;
        }
        DWORD read = 0;
        current = readHandle(request.lock, request.handle);
        if (!current) SetLastError(ERROR_INVALID_HANDLE);
        if (!current || !InternetReadFile(current, request.buffer, ready, &read)) return fail(request, file, address);
        if (read == 0) {
            bool complete;
            {
                std::lock_guard<std::mutex> hold(request.lock);
                complete = request.received == request.announced;
            }
            if (!complete) {
                reportFileError(file, netText(NetText::TooShort), nullptr, 0);
                fileCloseQuietly(file);
                return false;
            }
            if (!fileClose(file)) return false;
            closeRequest(request);
            freeBuffer(request);
            return true;
        }
        if (!fileWrite(file, request.buffer, read)) {
            fileCloseQuietly(file);
            return false;
        }
        bool over;
        {
            std::lock_guard<std::mutex> hold(request.lock);
            request.received += read;
            over = request.received > request.announced;
        }
        if (over) {
            reportFileError(file, netText(NetText::TooLong), nullptr, 0);
            fileCloseQuietly(file);
            return false;
        }
    }
}
