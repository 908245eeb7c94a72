#pragma once
// The system colour chooser for the toolkit: one table of 16 custom colours shared by every use in
// the run, the chooser shown inside a modal scope, callable from any thread.
#include <windows.h>

#include <commdlg.h>

#include "core/types.h"

class GWindow;

// Shows the chooser over the owner (may be null) starting at `initial`; the result is the chosen
// colour, or `initial` when the user cancels. From another thread the call runs on the interface
// thread and the caller waits.
void chooseColor(GWindow* owner, COLORREF* result, COLORREF initial);

// The run's custom colours (all 0 at start).
COLORREF* customColors();

// The call that shows the chooser; tests put their own in place (null restores ChooseColorA).
typedef BOOL(WINAPI* ChooseColorFunction)(CHOOSECOLORA* record);
void setChooseColorFunction(ChooseColorFunction function);
