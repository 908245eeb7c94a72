#include "tests/setup/http_test_server.h"

#include <winsock2.h>

HttpTestServer::HttpTestServer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    releaseEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, (sockaddr*)&address, sizeof address);
    int size = sizeof address;
    getsockname(s, (sockaddr*)&address, &size);
    port = ntohs(address.sin_port);
    listen(s, 16);
    listener = s;
    thread = std::thread([this] { serve(); });
}

HttpTestServer::~HttpTestServer() {
    SetEvent(stopEvent);
    closesocket((SOCKET)listener);
    thread.join();
    for (std::thread& client : clients) client.join();
    CloseHandle(stopEvent);
    CloseHandle(releaseEvent);
    WSACleanup();
}

void HttpTestServer::set(const std::string& path, const std::string& response, bool hold) {
    std::lock_guard<std::mutex> guard(lock);
    answers[path] = Answer{response, hold};
}

void HttpTestServer::setFile(const std::string& path, const std::string& body, int lengthDelta) {
    set(path, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string((long)body.size() + lengthDelta) +
                  "\r\nConnection: close\r\n\r\n" + body);
}

std::string HttpTestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

void HttpTestServer::serve() {
    for (;;) {
        SOCKET client = accept((SOCKET)listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        clients.emplace_back([this, client] { reply(client); });
    }
}

void HttpTestServer::reply(uintptr_t socket) {
    SOCKET client = (SOCKET)socket;
    {
        std::string request;
        char chunk[2048];
        while (request.find("\r\n\r\n") == std::string::npos) {
            int n = recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, n);
        }
        std::string path;
        size_t space = request.find(' ');
        if (space != std::string::npos) path = request.substr(space + 1, request.find(' ', space + 1) - space - 1);
        Answer answer{"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", false};
        {
            std::lock_guard<std::mutex> guard(lock);
            auto found = answers.find(path);
            if (found != answers.end()) answer = found->second;
        }
        if (request.compare(0, 4, "HEAD") == 0) {
            size_t end = answer.response.find("\r\n\r\n");
            answer.response = answer.response.substr(0, end + 4);
        }
        if (answer.hold) {
            // Head and half the body, then nothing until released or the server ends.
            size_t end = answer.response.find("\r\n\r\n") + 4;
            size_t half = end + (answer.response.size() - end) / 2;
            send(client, answer.response.data(), (int)half, 0);
            HANDLE events[] = {releaseEvent, stopEvent};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0)
                send(client, answer.response.data() + half, (int)(answer.response.size() - half), 0);
        } else {
            send(client, answer.response.data(), (int)answer.response.size(), 0);
        }
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}
