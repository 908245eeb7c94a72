#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "core/progress.h"
#include "gui/frame/undo_history.h"
#include "gui/paint/gui_settings.h"

namespace {

enum Throws { NoThrow, ThrowFailure, ThrowHalf, ThrowMemory };

// A command that logs its calls ("x3", "u3", "r3", "~3") and answers or throws as told.
struct Probe : NamedOperation {
    Probe(std::vector<std::string>* log, int id) : log(log), id(id) {}
    ~Probe() override { note("~"); }

    u32 execute(u32, JobProgress*) override { return act("x", executeResult, executeThrows); }
    u32 undo(u32, JobProgress*) override { return act("u", undoResult, undoThrows); }
    u32 redo(u32, JobProgress*) override { return act("r", redoResult, redoThrows); }
    u64 byteCount() override { return 10 * id; }

    u32 act(const char* what, u32 result, Throws throws) {
        note(what);
        if (throws == ThrowFailure) throw GException();
        if (throws == ThrowHalf) throw GHalfException();
        if (throws == ThrowMemory) throw std::bad_alloc();
        return result;
    }
    void note(const char* what) { log->push_back(what + std::to_string(id)); }

    std::vector<std::string>* log;
    int id;
    u32 executeResult = 0, undoResult = 0, redoResult = 0;
    Throws executeThrows = NoThrow, undoThrows = NoThrow, redoThrows = NoThrow;
};

struct HistoryTest : ::testing::Test {
    void SetUp() override { savedLimit = guiSettings.undoCountLimit; }
    void TearDown() override { guiSettings.undoCountLimit = savedLimit; }

    Probe* make(int id) { return new Probe(&log, id); }
    // Records commands 1..n.
    void fill(int n) {
        for (int id = 1; id <= n; id++) history.execute(make(id));
        log.clear();
    }
    // The held ids in order, the current one marked with '*'; also checks the links and count.
    std::string contents() {
        std::string text;
        int n = 0;
        NamedOperation* previous = nullptr;
        for (NamedOperation* op = history.commands.head; op; previous = op, op = op->next, n++) {
            EXPECT_EQ(op->previous, previous);
            text += std::to_string(static_cast<Probe*>(op)->id) + (op == history.current ? "* " : " ");
        }
        EXPECT_EQ(history.commands.tail, previous);
        EXPECT_EQ(history.count, n);
        if (!history.current) text = "* " + text;
        return text;
    }
    std::string calls() {
        std::string text;
        for (auto& entry : log) text += entry + " ";
        log.clear();
        return text;
    }

    std::vector<std::string> log;
    UndoHistory history;
    u32 savedLimit = 0;
};

TEST_F(HistoryTest, TrimsAtTheLimitAndKeepsTheCountExact) {
    struct Case {
        u32 limit;
        int executed;
        const char* contents;
        u8 complete;
    } cases[] = {
        {2000, 2000, nullptr, 1},
        {2000, 2001, nullptr, 0},  // the first one goes
        {3, 5, "3 4 5* ", 0},
        {0, 3, "3* ", 0},          // below 1 counts as 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        history.reset();
        guiSettings.undoCountLimit = c.limit;
        fill(c.executed);
        if (c.contents) {
            EXPECT_EQ(contents(), c.contents);
        }
        int kept = c.limit < 1 ? 1 : std::min<int>(c.limit, c.executed);
        EXPECT_EQ(history.count, kept);
        EXPECT_EQ(static_cast<Probe*>(history.commands.head)->id, c.executed - kept + 1);
        EXPECT_EQ(history.current, history.commands.tail);
        EXPECT_EQ(history.complete, c.complete);
    }
    // A lowered limit trims down to it at the next command.
    history.reset();
    guiSettings.undoCountLimit = 5;
    fill(5);
    guiSettings.undoCountLimit = 2;
    history.execute(make(6));
    EXPECT_EQ(contents(), "5 6* ");
}

TEST_F(HistoryTest, UndoRedoWalkAndExecuteCutsTheRedoTail) {
    EXPECT_EQ(history.undo(), UndoFailed);
    EXPECT_EQ(history.redo(), UndoFailed);
    fill(4);
    EXPECT_EQ(history.redo(), UndoFailed);  // at the tail
    EXPECT_EQ(history.undo(), 0u);
    EXPECT_EQ(history.undo(), 0u);
    EXPECT_EQ(calls(), "u4 u3 ");
    EXPECT_EQ(contents(), "1 2* 3 4 ");
    EXPECT_EQ(history.redo(), 0u);
    EXPECT_EQ(history.lastOperation, 2);
    EXPECT_EQ(contents(), "1 2 3* 4 ");
    history.undo();
    history.undo();
    history.undo();
    EXPECT_EQ(contents(), "* 1 2 3 4 ");
    EXPECT_EQ(history.undo(), UndoFailed);
    EXPECT_EQ(history.redo(), 0u);
    calls();
    history.undo();
    history.redo();
    history.undo();
    EXPECT_EQ(contents(), "* 1 2 3 4 ");
    calls();
    // Executing before the first command cuts all of them.
    history.execute(make(5));
    EXPECT_EQ(calls(), "x5 ~4 ~3 ~2 ~1 ");
    EXPECT_EQ(contents(), "5* ");
    fill(0);
    history.execute(make(6));
    history.execute(make(7));
    history.undo();
    history.undo();
    calls();
    history.execute(make(8));
    EXPECT_EQ(calls(), "x8 ~7 ~6 ");
    EXPECT_EQ(contents(), "5 8* ");
    EXPECT_EQ(history.complete, 1);
}

TEST_F(HistoryTest, ExecuteResultsAndExceptions) {
    struct Case {
        u32 answer;
        Throws throws;
        u32 result;
        const char* contents;  // before: "1 2 3* 4 "
        bool deleted;
    } cases[] = {
        {0, NoThrow, 0, "1 2 3 9* ", false},
        {UndoNoRecord, NoThrow, 16, "1 2 3* 4 ", false},  // stays with its creator
        {UndoNoRecord | UndoDelete, NoThrow, 24, "1 2 3* 4 ", true},
        {UndoDelete, NoThrow, 8, "1 2 3* ", true},
        {UndoCut | UndoNoRecord | UndoDelete, NoThrow, 26, "1 2 3* ", true},
        {UndoDrop, NoThrow, 4, "9* ", false},
        {0, ThrowFailure, 25, "1 2 3* 4 ", true},
        {0, ThrowMemory, 25, "1 2 3* 4 ", true},
        {0, ThrowHalf, 30, "* ", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        history.reset();
        fill(4);
        history.undo();
        calls();
        Probe* command = make(9);
        command->executeResult = c.answer;
        command->executeThrows = c.throws;
        EXPECT_EQ(history.execute(command), c.result);
        EXPECT_EQ(contents(), c.contents);
        std::string seen = calls();
        EXPECT_EQ(seen.find("~9") != std::string::npos, c.deleted) << seen;
        if (c.result == 16) {
            EXPECT_EQ(command->history, &history);
            delete command;
        }
    }
}

TEST_F(HistoryTest, UndoAndRedoResultsAndExceptions) {
    struct Case {
        bool redo;
        u32 answer;
        Throws throws;
        u32 result;
        const char* contents;  // before: "1 2 3* 4 5 "; undo runs 3, redo runs 4
    } cases[] = {
        {false, UndoNoRecord, NoThrow, 16, "1 2 3* 4 5 "},
        {false, UndoDelete, NoThrow, 8, "1 2* 4 5 "},
        {false, UndoDrop, NoThrow, 4, "* 3 4 5 "},
        {false, UndoCut, NoThrow, 2, "1 2* 3 "},
        {false, 0, ThrowFailure, 31, "* "},
        {false, 0, ThrowMemory, 31, "* "},
        {false, 0, ThrowHalf, 10, "1 2* "},
        {true, UndoNoRecord, NoThrow, 16, "1 2 3* 4 5 "},
        {true, UndoDelete, NoThrow, 8, "1 2 3* 5 "},
        {true, UndoDrop, NoThrow, 4, "4* 5 "},
        {true, UndoCut, NoThrow, 2, "1 2 3 4* "},
        {true, 0, ThrowFailure, 31, "* "},
        {true, 0, ThrowHalf, 12, "* 5 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.redo ? "redo " : "undo ") + std::to_string(c.result));
        history.reset();
        fill(5);
        history.undo();
        history.undo();
        Probe* target = static_cast<Probe*>(c.redo ? history.current->next : history.current);
        (c.redo ? target->redoResult : target->undoResult) = c.answer;
        (c.redo ? target->redoThrows : target->undoThrows) = c.throws;
        EXPECT_EQ(c.redo ? history.redo() : history.undo(), c.result);
        EXPECT_EQ(contents(), c.contents);
        EXPECT_EQ(history.lastOperation, c.redo ? 2 : 1);
        if (c.result & UndoDrop) {
            EXPECT_EQ(history.complete, 0);
        }
    }
}

TEST_F(HistoryTest, SwitchedOffOrTrimmedByHand) {
    fill(3);
    u8 on = 0;
    history.enabled = &on;
    EXPECT_EQ(history.execute(make(4)), 24u);
    EXPECT_EQ(calls(), "~1 ~2 ~3 ~4 ");  // the history empties, the command never runs
    EXPECT_EQ(contents(), "* ");
    on = 1;
    fill(3);
    history.truncateAfter(history.commands.tail, false);
    history.truncateAfter(nullptr, true);
    EXPECT_EQ(contents(), "1 2 3* ");
    history.truncateAfter(history.commands.head->next, false);
    EXPECT_EQ(contents(), "1 2* ");
    EXPECT_EQ(history.complete, 1);
    history.execute(make(4));
    history.undo();
    history.dropUpTo(history.commands.head->next, true);
    EXPECT_EQ(contents(), "* 4 ");  // the current one dropped: before the first that remains
    EXPECT_EQ(history.complete, 0);
    EXPECT_EQ(history.redo(), 0u);
    EXPECT_EQ(contents(), "4* ");
}

// A compound of children 1..n.
CompoundOperation* compound(std::vector<std::string>* log, int n, std::vector<Probe*>* children) {
    CompoundOperation* group = new CompoundOperation;
    for (int id = 1; id <= n; id++) {
        Probe* child = new Probe(log, id);
        children->push_back(child);
        group->add(child);
    }
    return group;
}

std::string childIds(CompoundOperation* group) {
    std::string text;
    for (NamedOperation* op = group->children.head; op; op = op->next) text += std::to_string(static_cast<Probe*>(op)->id);
    return text;
}

TEST_F(HistoryTest, CompoundRunsItsChildrenByTheSameRules) {
    struct Case {
        i32 direction;
        int child;  // answers, by index into children 1..4
        u32 answer;
        const char* calls;
        const char* left;
    } cases[] = {
        {0, 0, 0, "x1 x2 x3 x4 ", "1234"},
        {-1, 0, 0, "u4 u3 u2 u1 ", "1234"},
        {1, 0, 0, "r1 r2 r3 r4 ", "1234"},
        {0, 2, 14, "x1 x2 ~1 ~2 ~3 ~4 ", ""},  // emptied, stops
        {-1, 2, 14, "u4 u3 u2 ~1 ~2 ~3 ~4 ", ""},
        {0, 2, UndoCut, "x1 x2 ~4 ~3 ", "12"},        // forward: stops after it
        {-1, 2, UndoCut, "u4 u3 u2 ~4 ~3 u1 ", "12"},
        {0, 2, UndoDrop, "x1 x2 ~1 x3 x4 ", "234"},
        {-1, 2, UndoDrop, "u4 u3 u2 ~1 ", "234"},    // backward: stops after it
        {0, 2, UndoDelete, "x1 x2 ~2 x3 x4 ", "134"},
        {0, 2, UndoNoRecord, "x1 x2 ", "1234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.direction << " " << c.answer);
        std::vector<Probe*> children;
        CompoundOperation* group = compound(&log, 4, &children);
        if (c.child) {
            Probe* child = children[c.child - 1];
            (c.direction < 0 ? child->undoResult : c.direction > 0 ? child->redoResult : child->executeResult) = c.answer;
        }
        EXPECT_EQ(group->run(0, nullptr, c.direction), c.answer);
        EXPECT_EQ(calls(), c.calls);
        EXPECT_EQ(childIds(group), c.left);
        delete group;
        log.clear();
    }
}

TEST_F(HistoryTest, CompoundInTheHistory) {
    std::vector<Probe*> children;
    CompoundOperation* group = compound(&log, 3, &children);
    EXPECT_EQ(group->stepCount(), 3u);
    EXPECT_EQ(group->byteCount(), 60u);
    EXPECT_EQ(group->undoByteCount(), 60u);
    JobProgress progress;
    progress.setTotal(500);
    EXPECT_EQ(group->run(0, &progress, 1), 0u);
    EXPECT_EQ(progress.current, 500u);  // each child completes the step
    log.clear();

    fill(2);
    EXPECT_EQ(history.execute(group), 0u);
    EXPECT_EQ(calls(), "x1 x2 x3 ");
    for (Probe* child : children) EXPECT_EQ(child->history, &history);
    children[1]->undoThrows = ThrowHalf;  // a child's exception reaches the history
    EXPECT_EQ(history.undo(), 10u);
    EXPECT_EQ(calls(), "u3 u2 ~1 ~2 ~3 ");
    EXPECT_EQ(contents(), "1 2* ");
}

}  // namespace
