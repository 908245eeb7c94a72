#include "tests/gui/plain_combo_list.h"

#include "gui/input/input_event.h"
#include "gui/kernel/window.h"
#include "gui/views/table_model.h"

namespace {
LRESULT CALLBACK listProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* list = reinterpret_cast<PlainComboList*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
        if (list) {
            const char* name = message == WM_NCLBUTTONDOWN ? "nc down" : message == WM_NCLBUTTONUP ? "nc up" : "nc dbl";
            list->log.push_back(std::string(name) + (wParam == HTVSCROLL ? " vscroll" : " other") +
                                (GetCapture() ? " captured" : " free"));
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
        if (list && list->model) {
            GString scratch;
            SetBkMode(dc, TRANSPARENT);
            for (u64 r = 0; r < list->model->rowCount() && (i32)r * list->itemHeight < client.bottom; ++r) {
                RECT line = {0, (i32)r * list->itemHeight, client.right, (i32)(r + 1) * list->itemHeight};
                if ((i32)r == list->row) FillRect(dc, &line, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
                const char* text = list->model->cellText(scratch, r, 0);
                line.left += 3;
                if (text) DrawTextA(dc, text, -1, &line, DT_SINGLELINE | DT_VCENTER);
            }
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

const char* listClass() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = listProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        wc.lpszClassName = "PlainComboList";
        RegisterClassA(&wc);
        registered = true;
    }
    return "PlainComboList";
}
}  // namespace

PlainComboList::~PlainComboList() {
    destroy();
    if (last == this) last = nullptr;
}

bool PlainComboList::open(GWindow* combo, GTableModel* m, i32 r, i32 height, const RECT& screen, bool bar) {
    model = m;
    row = r;
    itemHeight = height;
    placed = screen;
    verticalBar = bar;
    window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, listClass(), "", WS_POPUP | WS_BORDER | (bar ? WS_VSCROLL : 0),
                             screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                             GetAncestor(combo->hwnd, GA_ROOT), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window) return false;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)this);
    // Above the top-most test frames, without activation.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(window);
    return true;
}

void PlainComboList::setCurrentRow(i32 r) {
    row = r;
    if (window) InvalidateRect(window, nullptr, FALSE);
}

i32 PlainComboList::rowAtPoint(i32, i32 y) {
    if (y < 0 || !model || itemHeight <= 0) return -1;
    i32 r = y / itemHeight;
    return (u64)r < model->rowCount() ? r : -1;
}

i32 PlainComboList::forwardKey(GInputEvent* e) {
    log.push_back("key " + std::to_string(e->key) + (e->isCtrl() ? " ctrl" : ""));
    i32 n = model ? (i32)model->rowCount() : 0;
    if (e->key == VK_DOWN && row + 1 < n) setCurrentRow(row + 1);
    if (e->key == VK_UP && row > 0) setCurrentRow(row - 1);
    if (e->key == VK_END && e->isCtrl()) setCurrentRow(n - 1);
    if (e->key == VK_HOME && e->isCtrl()) setCurrentRow(n ? 0 : -1);
    return 2;
}

void PlainComboList::forwardWheel(i32 delta, i32 x, i32 y) {
    log.push_back("wheel " + std::to_string(delta) + " at " + std::to_string(x) + "," + std::to_string(y));
}

void PlainComboList::forwardMouse(u32 message, uintptr_t, i32 x, i32 y) {
    log.push_back("mouse " + std::to_string(message) + " at " + std::to_string(x) + "," + std::to_string(y));
}

void PlainComboList::destroy() {
    if (!window) return;
    HWND w = window;
    window = nullptr;
    SetWindowLongPtrA(w, GWLP_USERDATA, 0);
    DestroyWindow(w);
}
