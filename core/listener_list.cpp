#include "core/listener_list.h"

void ListenerList::append(ListenerNode* node) {
    unlink(node);
    node->owner = this;
    node->previous = last;
    node->next = nullptr;
    if (last)
        last->next = node;
    else
        first = node;
    last = node;
}

void ListenerList::unlink(ListenerNode* node) {
    ListenerList* list = node->owner;
    if (!list) return;
    if (node->previous)
        node->previous->next = node->next;
    else
        list->first = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        list->last = node->previous;
    node->previous = node->next = nullptr;
    node->owner = nullptr;
}
