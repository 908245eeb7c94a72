#include "gui/frame/undo_history.h"

#include <new>

#include "core/exceptions.h"
#include "core/linked_list.h"
#include "core/progress.h"
#include "gui/paint/gui_settings.h"

void OperationList::append(NamedOperation* operation) {
    linkAtEnd(head, tail, operation);
}

void OperationList::unlink(NamedOperation* operation) {
    unlinkNode(head, tail, operation);
}

void OperationList::removeNode(NamedOperation* operation) {
    unlink(operation);
    delete operation;
}

void OperationList::clear() {
    while (head) removeNode(head);
}

namespace {

// One call of a command with its exceptions turned into result bits.
template <class Call>
u32 guardedCall(Call call, u32 failed, u32 half) {
    try {
        return call();
    } catch (const GHalfException&) {
        return half;
    } catch (...) {
        return failed;
    }
}

u32 countLimit() { return guiSettings.undoCountLimit < 1 ? 1 : guiSettings.undoCountLimit; }

}  // namespace

void UndoHistory::removeNode(NamedOperation* command) {
    if (current == command) current = command->previous;
    commands.removeNode(command);
    count--;
}

void UndoHistory::reset() {
    commands.clear();
    count = 0;
    current = nullptr;
    spare = 0;
    complete = 1;
}

void UndoHistory::truncateAfter(NamedOperation* command, bool inclusive) {
    if (!command) return;
    NamedOperation* last = inclusive ? command->previous : command;
    while (commands.tail != last) removeNode(commands.tail);
}

void UndoHistory::dropUpTo(NamedOperation* command, bool inclusive) {
    NamedOperation* first = inclusive ? command : (command ? command->previous : nullptr);
    if (first) {
        // From the head on: a dropped current command leaves the position before the first that remains.
        NamedOperation* keep = first->next;
        while (commands.head != keep) removeNode(commands.head);
    }
    complete = 0;
}

u32 UndoHistory::execute(NamedOperation* command) {
    if (enabled && !*enabled) {
        reset();
        delete command;
        return UndoDelete | UndoNoRecord;
    }
    command->history = this;
    lastOperation = 0;
    u32 result = guardedCall([&] { return command->execute(0, nullptr); }, UndoFailed | UndoDelete | UndoNoRecord,
                             UndoCut | UndoDrop | UndoDelete | UndoNoRecord);
    if (result & UndoDrop) dropUpTo(current, true);
    if (result & UndoCut) truncateAfter(current ? current->next : commands.head, true);
    if (result & UndoDelete) {
        delete command;
        command = nullptr;
    }
    if (!(result & UndoNoRecord)) {
        truncateAfter(current ? current->next : commands.head, true);
        if (command) {
            u32 limit = countLimit();
            while (commands.head && (u32)count >= limit) {
                complete = 0;
                removeNode(commands.head);
            }
            commands.append(command);
            count++;
            current = command;
        }
    }
    return result;
}

u32 UndoHistory::undo() {
    NamedOperation* undone = current;
    if (!undone) return UndoFailed;
    lastOperation = 1;
    u32 result = guardedCall([&] { return undone->undo(0, nullptr); }, 31, UndoCut | UndoDelete);
    if (!(result & UndoNoRecord)) current = undone->previous;
    if (result & UndoDrop) dropUpTo(undone, false);
    if (result & UndoCut) truncateAfter(undone, false);
    if (result & UndoDelete) removeNode(undone);
    return result;
}

u32 UndoHistory::redo() {
    NamedOperation* redone = current ? current->next : commands.head;
    if (!redone) return UndoFailed;
    lastOperation = 2;
    u32 result = guardedCall([&] { return redone->redo(0, nullptr); }, 31, UndoDrop | UndoDelete);
    if (!(result & UndoNoRecord)) current = redone;
    if (result & UndoDrop) dropUpTo(redone, false);
    if (result & UndoCut) truncateAfter(redone, false);
    if (result & UndoDelete) removeNode(redone);
    return result;
}

u32 CompoundOperation::run(u32 a, JobProgress* progress, i32 direction) {
    u32 result = 0;
    NamedOperation* child = direction < 0 ? children.tail : children.head;
    while (child) {
        child->history = history;
        u32 r = direction < 0 ? child->undo(a, progress) : direction > 0 ? child->redo(a, progress)
                                                                        : child->execute(a, progress);
        NamedOperation* neighbour = direction < 0 ? child->previous : child->next;
        if (r) {
            result |= r;
            const u32 all = UndoCut | UndoDrop | UndoDelete;
            if ((r & all) == all) {
                children.clear();
                return result;
            }
            if (r & UndoCut) {
                while (children.tail != child) children.removeNode(children.tail);
                if (direction >= 0) neighbour = nullptr;
            }
            if (r & UndoDrop) {
                while (children.head != child) children.removeNode(children.head);
                if (direction < 0) neighbour = nullptr;
            }
            if (r & UndoDelete) children.removeNode(child);
            if (r & UndoNoRecord) return result;
        }
        if (progress) progress->current = progress->total;
        child = neighbour;
    }
    return result;
}

u64 CompoundOperation::sum(u64 (NamedOperation::*measure)()) {
    u64 total = 0;
    for (NamedOperation* child = children.head; child; child = child->next) total += (child->*measure)();
    return total;
}
