#pragma once
// What the toolkit tests share: an application object for the test's length, a loop pump that
// stops on a condition, and listeners that record what reaches them.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/kernel/application.h"
#include "gui/kernel/item_base.h"

// Publishes a fresh application for the scope.
class TestApplication {
public:
    TestApplication() { setApplication(&app); }
    ~TestApplication() { setApplication(nullptr); }
    GApplication app;
};

// Destroys a top-level window hidden first: Wine waits for a shown one to leave the screen.
void destroyHidden(HWND window);

// Runs the real message loop until the condition holds or the time is up; answers the condition.
bool pumpUntil(const std::function<bool()>& condition, u32 timeoutMs = 2000);

// A listener that writes its name and the call into a shared log. Its answer is read before the
// call is recorded: the recorded call may delete the listener.
class RecordingListener : public GItemBase {
public:
    RecordingListener(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}

    bool handleMessage(u32 message, uintptr_t, intptr_t, intptr_t*) override {
        bool taken = handles && message == handles;
        record("handle");
        return taken;
    }
    void afterMessageHandled(u32, uintptr_t, intptr_t) override { record("after"); }
    bool onIdle() override {
        bool answered = answer;
        record("idle");
        return answered;
    }
    bool filterMessage(tagMSG* message) override {
        if (message->message < WM_USER) return false;
        bool answered = answer;
        record("filter");
        return answered;
    }
    bool onAppActivate(bool active) override {
        bool answered = answer;
        record(active ? "active" : "inactive");
        return answered;
    }
    bool onEvent(void*) override {
        bool answered = answer;
        record("event");
        return answered;
    }
    bool isDisposable() override { return disposable; }
    ~RecordingListener() override {
        if (deleted) *deleted = true;
    }

    void record(const char* what) {
        if (log) log->push_back(name + "." + what);
        if (!onCall) return;
        std::function<void(RecordingListener*)> call = onCall;  // the call may replace onCall
        call(this);
    }

    std::vector<std::string>* log;
    std::string name;
    u32 handles = 0;  // the message it takes
    bool answer = false;
    bool disposable = false;
    bool* deleted = nullptr;
    std::function<void(RecordingListener*)> onCall;
};
