#pragma once
// Doubly linked lists of listener nodes; each node knows the list that holds it.
#include "core/arrays.h"

struct ListenerList;

class ListenerNode : public GCommonObject {
public:
    ListenerNode* previous = nullptr;
    ListenerNode* next = nullptr;
    ListenerList* owner = nullptr;  // the list holding the node, or null
};

struct ListenerList {
    ListenerNode* first = nullptr;
    ListenerNode* last = nullptr;

    // Appends the node at the end (taking it out of a list that holds it first).
    void append(ListenerNode* node);
    // Takes the node out of the list that holds it, moving that list's first and last; a node in
    // no list is left alone.
    static void unlink(ListenerNode* node);
};
