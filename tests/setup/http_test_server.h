#pragma once
// A scripted HTTP server on 127.0.0.1 for the transfer and update tests: each path answers with the
// raw response set for it; a held path sends its head and part of its body, then waits until the
// server ends or is released.
#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();
    // The response to GET path: status line, headers and body as given.
    void set(const std::string& path, const std::string& response, bool hold = false);
    // "200 OK" with a Content-Length of the body (lengthDelta added).
    void setFile(const std::string& path, const std::string& body, int lengthDelta = 0);
    std::string url(const std::string& path) const;
    // Held replies send the rest of their body.
    void release() { SetEvent(releaseEvent); }

    unsigned short port = 0;

private:
    void serve();
    void reply(uintptr_t client);
    struct Answer {
        std::string response;
        bool hold;
    };
    std::map<std::string, Answer> answers;
    std::mutex lock;
    uintptr_t listener;
    HANDLE stopEvent;
    HANDLE releaseEvent;
    std::thread thread;
    std::vector<std::thread> clients;  // one per connection, joined at the end
};
