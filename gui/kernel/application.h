#pragma once
// The application run: the one GApplication object of the interface thread, built by
// startApplication for the length of the run and destroyed after it; its five listener chains; the
// message loop that every modal run also uses; the quit protocol; restart with a new command line.
#include <windows.h>

#include "core/error.h"
#include "core/task_queue.h"
#include "gui/kernel/life_record.h"

// The interface thread's task queue: adding to an empty queue posts thread message 0.
class UiTaskQueue : public TaskQueue {
public:
    void notify() override;
    u32 threadId = 0;
};

class GApplication {
public:
    GApplication() = default;
    // Releases the chains (activation, event, idle, filter, pending work) and drops queued tasks.
    ~GApplication();
    GApplication(const GApplication&) = delete;
    GApplication& operator=(const GApplication&) = delete;

    i32 showCommand = 0;
    GString commandLine;
    u32 threadId = 0;
    u32 processId = 0;
    bool quitting = false;
    GString restartCommandLine;
    bool restartRequested = false;  // restartCommandLine holds the next run's command line
    UiTaskQueue taskQueue;
    ListenerList pendingWorkList;  // onIdle at the start of every turn; true ends the turn
    ListenerList filterList;       // filterMessage for every message before dispatch
    ListenerList idleList;         // onIdle when the queue is empty, before waiting
    ListenerList eventList;        // onEvent
    ListenerList activationList;   // onAppActivate
};

// The running application, or null outside a run.
GApplication* application();
// Publishes an application object built by the caller (tests); null clears it.
void setApplication(GApplication* app);
extern HINSTANCE programInstance;

// Shows a report in an error box titled "Error" (flag 2) and throws GException (flag 1).
class MessageBoxErrorHandler : public ErrorHandler {
public:
    explicit MessageBoxErrorHandler(u32 flags) : flags(flags) {}
    bool report(const char* text, int code) override;
    u32 flags;
};

// Builds the application, runs it and answers the exit code.
int startApplication(HINSTANCE instance, const char* commandLine, i32 showCommand);
// Starts the steps, runs the loop, stops the steps, restarts when asked. 0 after a normal end, -1
// after a failed start or an exception ("Unhandled Exception").
int runApplication(GApplication* app, HINSTANCE instance, const char* commandLine, i32 showCommand);
// Runs turns until the quit message, a failed GetMessage or *done. An exception from a handler,
// a window procedure or a task passes on to the caller.
void messageLoop(bool* done);
// Starts or goes on with a quit.
void requestQuit();
// Sets the restart command line (null: no restart) and requests the quit.
void quitApplication(const char* restartCommandLine);
// The 250 ms retry of a quit under way.
void quitRetryTimer(struct TimerRecord* record, uintptr_t argument);

// Starts the program again elevated with the parameters.
bool relaunchElevated(const char* parameters);
// True when the machine-wide part of the registry can be written.
bool canWriteMachineRegistry();
// The two above as the installer calls them; replaceable (tests).
extern bool (*elevatedRelaunch)(const char* parameters);
extern bool (*machineRightsProbe)();
// Installs the toolkit's hooks: the core's error box, the Scroll Lock hint of the scroll ranges.
void installToolkitHooks();
