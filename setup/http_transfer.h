#pragma once
// HTTP transfers over the system's Internet interface: a session per check and a request reused for
// each file. Any handle may be closed from another thread at any moment; the call in progress then
// fails. The update worker owns one of each; failures go as texts to their handler.
#include <mutex>

#include "core/error.h"
#include "core/gstring.h"
#include "core/types.h"

typedef void* InternetHandle;

struct InternetSession {
    ErrorHandler* handler = nullptr;
    InternetHandle handle = nullptr;
    std::mutex lock;

    ~InternetSession();
};

struct HttpRequest {
    ErrorHandler* handler = nullptr;
    InternetHandle handle = nullptr;
    std::mutex lock;
    u8* buffer = nullptr;
    u32 capacity = 0;
    u64 received = 0;
    u64 announced = 0;
    // Set by abortRequest: a request opened afterwards is closed at once.
    bool aborted = false;

    ~HttpRequest();
};

// Opens the session with the system's proxy settings; failures report text 7.
bool openInternet(InternetSession& session);
void closeSession(InternetSession& session);
// A forced connection test of the address (the session is not used).
bool checkConnection(InternetSession& session, const char* address);
// Requests the address; status 200 and a length are required. Without a file name only the
// announced length is learnt; else the body is copied to the file, which must be exactly that long.
bool downloadUrlToFile(HttpRequest& request, InternetSession& session, const char* address, const char* fileName);
void closeRequest(HttpRequest& request);
// Closes the request for good, also one being opened meanwhile, until `aborted` is cleared.
void abortRequest(HttpRequest& request);
u32 downloadPercent(HttpRequest& request);
u64 announcedLength(HttpRequest& request);
// Text 8 with the address and the thread's last error, or text 7 without an address.
GString internetErrorText(const char* address);
bool reportInternetError(ErrorHandler* handler, const char* address);
