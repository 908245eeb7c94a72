#include "core/listener_list.h"

#include "core/linked_list.h"

void ListenerList::append(ListenerNode* node) {
    unlink(node);
    node->owner = this;
    linkAtEnd(first, last, node);
}

void ListenerList::unlink(ListenerNode* node) {
    ListenerList* list = node->owner;
    if (!list) return;
    unlinkNode(list->first, list->last, node);
    node->owner = nullptr;
}
