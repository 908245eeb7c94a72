#pragma once
// GMouseCapture: a listener on its owner window's chain that holds the mouse while it is active and
// runs a drag through the owner's dragBegin/dragMove/dragDrop/dragCancel. Active captures form a
// global list; the system capture stays with the capture window while its count of active captures
// is above zero. While the list is not empty two hooks sit on the application's chains: Escape
// cancels every capture, deactivating the application deactivates them. The owner window owns its
// captures (see GWindowListener); the control that made one may delete it earlier.
#include <windows.h>

#include "gui/kernel/window_listener.h"

class GMouseCapture : public GWindowListener {
public:
    // Attached at the head of the owner's chain.
    explicit GMouseCapture(GWindow* owner);
    // Cancels a running drag and ends the capture.
    ~GMouseCapture() override;

    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
    // Cancels a drag (dragCancel) and ends.
    virtual void cancel();
    // The application lost the activation: cancels.
    virtual void deactivate();
    // Takes the capture and remembers the point; nothing when active.
    virtual void begin(i32 x, i32 y);
    // Gives the capture up; nothing when not active.
    virtual void end();

    GWindow* owner() const { return watched; }
    GItemBase* ownerItem() const;

    i32 startX = -1, startY = -1;  // the last remembered point
    bool active = false;
    bool dragging = false;
    GMouseCapture* nextCapture = nullptr;
    GMouseCapture* previousCapture = nullptr;

protected:
    // The steps of the base messages, for the subclasses.
    void pressLeft(i32 x, i32 y);
    void dragTo(i32 x, i32 y);
    void drop();
    void cancelAndEnd();
};

// The capture state, for the message handlers and for tests.
GMouseCapture* firstCapture();
HWND captureWindow();
i32 captureCount();
bool captureHooksInstalled();

// Starts the drag when the pointer moved 7 pixels (|dx| + |dy|) from the press.
class GDragDetector : public GMouseCapture {
public:
    using GMouseCapture::GMouseCapture;
    bool handleMessage(u32 message, uintptr_t wParam, intptr_t lParam, intptr_t* result) override;
};
enum : i32 { DragStartDistance = 7 };
