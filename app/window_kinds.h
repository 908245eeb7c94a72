#pragma once
// The program's ten window kinds and each kind's default menus and tool bars: static records,
// registered before the program starts (the kind list then runs from Default back to Spectrum).
#include "gui/menus/action_table.h"

enum : u32 {
    KindConverter = 69,
    KindAcm = 70,
    KindDevices = 71,
    KindAnalyzer = 73,
    KindDefault = 77,
    KindNotesEditor = 1001,
    KindSpectrum = 1002,
    KindEditor = 1012,
    KindWelcome = 1016,
    KindInstrument = 1029,
};
enum : i32 { WindowKindCount = 10 };
// Key of the main window's top tool-bar dock, where the default tool bars go.
enum : u32 { TopDockKey = 1 };

// The title slot of a kind, or null for one that is not the program's.
char** windowKindTitle(u32 kind);
// The program's record of a kind, or null.
WindowKind* programWindowKind(u32 kind);
