#pragma once
// Steps run one per timer tick, also inside the system's menu loop and modal runs; a step that
// answers false is tried again on the next tick. One set of steps at a time.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/types.h"

namespace tick_steps {
inline std::vector<std::function<bool()>> steps;
inline size_t next = 0;

inline void CALLBACK nextStep(HWND, UINT, UINT_PTR id, DWORD) {
    if (next >= steps.size()) {
        KillTimer(nullptr, id);
        return;
    }
    if (steps[next]()) ++next;
}

// The steps from the first; the timer's id.
inline UINT_PTR start(std::vector<std::function<bool()>> list, UINT interval = 100) {
    steps = std::move(list);
    next = 0;
    return SetTimer(nullptr, 0, interval, nextStep);
}

// Skips the steps left.
inline void abandon() { next = steps.size(); }

inline bool postKey(HWND window, u32 vk) {
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, (LPARAM)0xC0000001u);
    return true;
}

inline BOOL CALLBACK findPopup(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (IsWindowVisible(window) && std::string(name) == "#32768")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The visible popup menus.
inline std::vector<HWND> shownPopups() {
    std::vector<HWND> shown;
    EnumWindows(findPopup, (LPARAM)&shown);
    return shown;
}
}  // namespace tick_steps
