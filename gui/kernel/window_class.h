#pragma once
// Window classes of the toolkit: one static record per class, registered on first use twice, under
// the name + "_ANSI" through the ANSI entry points and under the plain name through the wide ones.
// Native controls are superclassed: the system's class is registered again under a toolkit name
// with the shared child procedure in front, and its own procedure kept for default processing.
#include "core/gstring.h"
#include "core/wide_text.h"
#include "core/types.h"

#include <windows.h>

struct WindowClassRecord {
    GString ansiName;
    WideString wideName;
    WNDPROC previousProcA = nullptr;
    WNDPROC previousProcW = nullptr;
    WNDPROC registeredProc = nullptr;  // null until registered
};

// Flags of new windows: bit 0 create through the ANSI entry points; bit 1 one-shot: after the next
// creation bit 0 is inverted and bit 1 cleared.
enum : u32 { AnsiCreation = 1, AnsiOneShot = 2 };
extern u32 ansiMode;
// After a creation: applies the one-shot rule.
void applyAnsiOneShot();

// Registers the class once; the name to create windows with (by ansiMode), or null on failure.
const void* registerWindowClass(WindowClassRecord& record, const char* name, WNDPROC procedure);
// Registers the system class again under name with the shared child procedure.
const void* registerSuperclass(WindowClassRecord& record, const char* name, const char* systemClass);

// The two classes of the toolkit's own windows.
extern WindowClassRecord userClass;    // "korvalen_user": drawn child windows
extern WindowClassRecord parentClass;  // "korvalen_parent": top-level windows
const void* registerUserClass();
const void* registerParentClass();

// Replaces the background brush of both registrations of a class.
void setClassBackground(WindowClassRecord& record, u32 colour);
// Sets the large and small icon of the top-level class.
void setApplicationIcons(HICON large, HICON small);
