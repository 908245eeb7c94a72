#pragma once
// Focus given inside a layout batch. GWindow::setFocusSafe records the window as its top-level
// window's focus child at once; the native focus follows at once, or, while a layout transaction or
// a redraw lock is open, when the outermost one ends (their ends call applyDeferredFocus). One
// window waits at a time; the last request wins. Interface thread only.
class GWindow;

// A layout transaction is open, or a redraw lock is held on the window or a window containing it.
bool layoutBatchOpen(GWindow* window);
// The window waiting for the focus, or null.
GWindow* deferredFocusWindow();
// Gives the waiting window the focus when no batch is open any more and it still lives.
void applyDeferredFocus();
