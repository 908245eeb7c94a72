#pragma once
// Append and unlink for intrusive doubly linked lists: the node type has `previous` and `next`,
// the list is its two end pointers (first and last). The list owns nothing here.

// Links the node after last.
template <class Node>
void linkAtEnd(Node*& first, Node*& last, Node* node) {
    node->previous = last;
    node->next = nullptr;
    if (last)
        last->next = node;
    else
        first = node;
    last = node;
}

// Links the node before first.
template <class Node>
void linkAtFront(Node*& first, Node*& last, Node* node) {
    node->previous = nullptr;
    node->next = first;
    if (first)
        first->previous = node;
    else
        last = node;
    first = node;
}

// Takes a linked node out, moving first and last; the node's links end null.
template <class Node>
void unlinkNode(Node*& first, Node*& last, Node* node) {
    if (node->previous)
        node->previous->next = node->next;
    else
        first = node->next;
    if (node->next)
        node->next->previous = node->previous;
    else
        last = node->previous;
    node->previous = node->next = nullptr;
}
