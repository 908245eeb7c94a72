#include "tests/gui/gui_fixture.h"
#include "tests/gui/box_recorder.h"

namespace {
// Ends the loop's turn once the condition holds.
class ConditionWatch : public GItemBase {
public:
    ConditionWatch(const std::function<bool()>& condition, bool* done, DWORD end)
        : condition(condition), done(done), end(end) {}
    bool onIdle() override {
        if (condition() || (i32)(end - GetTickCount()) <= 0) *done = true;
        return false;
    }
    const std::function<bool()>& condition;
    bool* done;
    DWORD end;
};
}  // namespace

bool pumpUntil(const std::function<bool()>& condition, u32 timeoutMs) {
    GApplication* app = application();
    if (condition()) return true;
    bool done = false;
    ConditionWatch watch(condition, &done, GetTickCount() + timeoutMs);
    ListenerChain::append(app->pendingWorkList, watch.lifeRecord());
    struct Wake {
        UINT_PTR id = SetTimer(nullptr, 0, 5, nullptr);  // a turn at least every 5 ms
        ~Wake() { KillTimer(nullptr, id); }
    } wake;
    messageLoop(&done);
    return condition();
}

void destroyHidden(HWND window) {
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(window);
}
