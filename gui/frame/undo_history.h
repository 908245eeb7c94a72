#pragma once
// The editors' command history: a list of NamedOperations with a current position, run through
// execute, undo and redo. The history owns every command it holds and deletes it when it is
// trimmed at the limit, cut, dropped, deleted at its own request, reset, or with the history.
// A CompoundOperation owns its children the same way. Interface thread only.
#include "core/types.h"

class JobProgress;
class UndoHistory;

// Result bits of execute, undo and redo.
enum : u32 {
    UndoFailed = 1,    // the caller raises GException
    UndoCut = 2,       // the commands after this one go
    UndoDrop = 4,      // the commands before this one go
    UndoDelete = 8,    // the command goes after the call
    UndoNoRecord = 16, // execute: not recorded; undo, redo: the position stays
};

class NamedOperation {
public:
    NamedOperation() = default;
    NamedOperation(const NamedOperation&) = delete;
    NamedOperation& operator=(const NamedOperation&) = delete;
    virtual ~NamedOperation() = default;

    // Most commands are applied before they are recorded and answer 0 here.
    virtual u32 execute(u32 /*a*/, JobProgress* /*progress*/) { return 0; }
    virtual u32 undo(u32 a, JobProgress* progress) = 0;
    virtual u32 redo(u32 a, JobProgress* progress) = 0;
    // Three sizes of the command; the history and compounds only add them up.
    virtual u64 stepCount() { return 1; }
    virtual u64 byteCount() = 0;
    virtual u64 undoByteCount() { return byteCount(); }

    NamedOperation* previous = nullptr;
    NamedOperation* next = nullptr;
    UndoHistory* history = nullptr;  // set before the command runs
};

// An intrusive list of commands; it owns what it links.
struct OperationList {
    NamedOperation* head = nullptr;
    NamedOperation* tail = nullptr;

    OperationList() = default;
    OperationList(const OperationList&) = delete;
    OperationList& operator=(const OperationList&) = delete;
    ~OperationList() { clear(); }

    void append(NamedOperation* operation);
    void unlink(NamedOperation* operation);
    // Unlinks and deletes one command.
    void removeNode(NamedOperation* operation);
    // Deletes every command.
    void clear();
};

class UndoHistory {
public:
    UndoHistory() = default;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    // Runs the command and records it. The history takes the command, except when the result has
    // UndoNoRecord without UndoDelete: then it is neither recorded nor deleted and stays with its
    // creator. Exceptions of the command become result bits: failure 25, GHalfException 30.
    u32 execute(NamedOperation* command);
    // 1 when there is nothing to undo (redo). Failure 31 (the history ends empty); GHalfException
    // 10 in undo, 12 in redo.
    u32 undo();
    u32 redo();
    // Deletes every command: count 0, no current command, complete.
    void reset();
    // Deletes the commands after the given one (inclusive: it too); nothing for null.
    void truncateAfter(NamedOperation* command, bool inclusive);
    // Deletes the given command (exclusive: from the one before) and every one before it; the
    // history is no longer complete. A deleted current command leaves the position before the
    // first command that remains.
    void dropUpTo(NamedOperation* command, bool inclusive);
    // Unlinks and deletes one held command.
    void removeNode(NamedOperation* command);

    bool canUndo() const { return current != nullptr; }
    bool canRedo() const { return current ? current->next != nullptr : commands.head != nullptr; }

    OperationList commands;
    i32 count = 0;                       // commands held
    NamedOperation* current = nullptr;   // the last command in effect; null: before the first
    u32 spare = 0;
    u8* enabled = nullptr;               // the editor's undo switch, may be null
    u8 complete = 1;                     // 0 once commands were dropped from the start
    i32 lastOperation = 0;               // 0 execute, 1 undo, 2 redo
};

// Runs its children as one command: execute and redo forward, undo backward. Deleted by its
// history (or its creator); deletes its children.
class CompoundOperation : public NamedOperation {
public:
    // Appends a child; the compound takes it.
    void add(NamedOperation* child) { children.append(child); }
    // direction -1 undo, 1 redo, 0 execute.
    u32 run(u32 a, JobProgress* progress, i32 direction);

    u32 execute(u32 a, JobProgress* progress) override { return run(a, progress, 0); }
    u32 undo(u32 a, JobProgress* progress) override { return run(a, progress, -1); }
    u32 redo(u32 a, JobProgress* progress) override { return run(a, progress, 1); }
    u64 stepCount() override { return sum(&NamedOperation::stepCount); }
    u64 byteCount() override { return sum(&NamedOperation::byteCount); }
    u64 undoByteCount() override { return sum(&NamedOperation::undoByteCount); }

    OperationList children;

private:
    u64 sum(u64 (NamedOperation::*measure)());
};
