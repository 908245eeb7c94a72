#pragma once
// The window layout store: the application windows from the bottom-most upward, each as its type
// id and its saved state, in a "WLAY" bag file written at quit and read at start.
#include "core/types.h"

class GAppWindow;

enum : u32 { WindowLayoutVersion = 3 };

// Makes a window of the type id (-1: the default window); null for an unknown type.
typedef GAppWindow* (*WindowFactory)(i32 typeId);

bool saveWindowLayout(const char* path);
// Rebuilds the windows; a missing or damaged store keeps what was made or makes the default window.
// Returns the number of windows made from the store.
u32 loadWindowLayout(const char* path, WindowFactory factory);
