#pragma once
// The store of the menus and tool bars of every window kind: a bag file of tag "ACTD", version 4.
#include "core/bag.h"
#include "core/types.h"

class ErrorHandler;

enum : u32 { CommandBarsVersion = 4 };

// The body of the file from the current records.
void writeCommandBars(GBag& bag);
// Applies a body. A kind's block is parsed in full before anything of the kind changes, so a damaged
// block leaves the kind as it was; the kinds before it keep what they read. False when a block was
// damaged.
bool readCommandBars(GBag& bag);
bool saveCommandBars(const char* path, ErrorHandler* handler = nullptr);
// A file of another tag or version changes nothing.
bool loadCommandBars(const char* path, ErrorHandler* handler = nullptr);
