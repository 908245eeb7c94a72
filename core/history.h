#pragma once
// The history store: named byte values kept in lists, one list per kind of history, saved as the
// bag file "HIST" (version 1). Each list is stored as u32 count, then per entry its name (u32
// length, then the text and its NUL when the length is not 0) and its value (u32 n, n bytes).
#include "core/arrays.h"
#include "core/bag.h"
#include "core/gstring.h"

class HistoryEntry : public GCommonObject {
public:
    HistoryEntry* previous = nullptr;
    HistoryEntry* next = nullptr;
    GString name;
    GBag value;
};

struct HistoryList {
    HistoryEntry* head = nullptr;
    HistoryEntry* tail = nullptr;

    HistoryList() = default;
    HistoryList(const HistoryList&) = delete;
    HistoryList& operator=(const HistoryList&) = delete;
    ~HistoryList() { clear(); }

    // Destroys every entry.
    void clear();
    // Links the entry (owned) at the tail.
    void append(HistoryEntry* entry);
    u32 count() const;
};

// The lists are given as a null-terminated array, saved in array order.
void clearListArray(HistoryList* const* lists);
void writeHistoryLists(GBag& bag, HistoryList* const* lists);
// Replaces each list's entries by the stored ones, in stored order; throws GBagException when the
// bag ends early (the lists keep what was read up to there).
void readHistoryLists(GBag& bag, HistoryList* const* lists);

class ErrorHandler;

// The bag file "HIST", version 1, at the path (folder macros expanded).
bool saveHistoryOptions(HistoryList* const* lists, const char* path, ErrorHandler* handler = nullptr);
// Empties every list first; false when the file cannot be read or ends early (the lists then hold
// what was read).
bool loadHistoryOptions(HistoryList* const* lists, const char* path, ErrorHandler* handler = nullptr);
