// The harmonic undo records on a page with a real table, pane and history: the records come back
// byte for byte, and undo and redo exchange the table selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "spectrum/harmonic_edits.h"
#include "tests/spectrum/harmonic_fixture.h"

namespace {
struct EditFixture : HarmonicFixture {
    std::vector<HarmonicRecord> original;
    EditFixture() {
        std::vector<HarmonicRecord> l;
        for (int i = 0; i < 10; ++i) {
            HarmonicRecord r = harmonic(100.0 * (i + 1), 1000.0 + i, 0.1 * i);
            r.reserved64 = i * 0.25;  // carried as held
            r.padding = (u16)(0x1111 * i);
            l.push_back(r);
        }
        setList(l);
        original = records();
    }
    GMultiSelection& selection() { return *static_cast<GMultiSelection*>(table->selection()); }
    // Caret and selected rows, e.g. "5: 2 5".
    std::string selected() {
        std::string s = std::to_string(selection().caret()) + ":";
        for (i64 r = selection().firstSelected(); r >= 0; r = selection().nextSelected(r)) s += " " + std::to_string(r);
        return s;
    }
    void select(const std::vector<i64>& rows, i64 caret) {
        selection().clearSelection();
        for (i64 r : rows) selection().setSelected(r, true);
        selection().setCaret(caret);
    }
    // The page's DELETE: the selected rows, from the highest down, each entry at its row then.
    void deleteSelected() {
        auto* edit = new HarmonicDeleteEdit("Clear", this);
        history.execute(edit);
        std::vector<i64> rows;
        for (i64 r = selection().firstSelected(); r >= 0; r = selection().nextSelected(r)) rows.push_back(r);
        std::reverse(rows.begin(), rows.end());
        for (i64 r : rows) {
            edit->add(list[(u32)r], (u32)r);
            list.remove((u32)r);
        }
        syncPane();
        table->reload((u64)-1);
        table->ensureSelection();
    }
};
}  // namespace

TEST(HarmonicEdits, DeletedRowsReturnAtTheirRowsAndGoAgain) {
    const struct Case {
        std::vector<i64> rows;
        i64 caret;
        std::string selectedAtChange;
    } cases[] = {{{2, 5}, 5, "5: 2 5"}, {{2, 3, 6, 7}, 6, "6: 2 3 6 7"}};
    for (const Case& c : cases) {
        EditFixture f;
        f.select(c.rows, c.caret);
        ASSERT_EQ(c.selectedAtChange, f.selected());
        f.deleteSelected();
        std::vector<HarmonicRecord> afterDelete = f.records();
        ASSERT_EQ(10 - c.rows.size(), afterDelete.size());
        for (i64 r : c.rows)
            for (const HarmonicRecord& h : afterDelete) EXPECT_NE(f.original[(size_t)r].frequency, h.frequency);
        f.select({0}, 0);

        ASSERT_EQ(0u, f.history.undo());
        EXPECT_TRUE(sameBytes(f.original, f.records()));
        EXPECT_EQ(c.selectedAtChange, f.selected());
        EXPECT_EQ(11u, f.table->rowCount());
        EXPECT_EQ(10, f.pane->recordCount);

        ASSERT_EQ(0u, f.history.redo());
        EXPECT_TRUE(sameBytes(afterDelete, f.records()));
        EXPECT_EQ("0: 0", f.selected());
        EXPECT_EQ((u64)afterDelete.size() + 1, f.table->rowCount());

        ASSERT_EQ(0u, f.history.undo());
        EXPECT_TRUE(sameBytes(f.original, f.records()));
        EXPECT_EQ(c.selectedAtChange, f.selected());
    }
}

TEST(HarmonicEdits, ModifiedRowsExchangeTheirOldContents) {
    EditFixture f;
    f.select({1, 4, 7}, 4);
    auto* edit = new HarmonicModifyEdit("Edit", &f);
    f.history.execute(edit);
    for (u32 r : {1u, 4u, 7u}) {
        edit->add(f.list[r], r);
        f.list[r].amplitude = 5.0;
        f.list[r].frequency *= 2;
    }
    f.syncPane();
    std::vector<HarmonicRecord> edited = f.records();
    f.select({9}, 9);
    f.calls.clear();
    f.history.undo();
    EXPECT_TRUE(sameBytes(f.original, f.records()));
    EXPECT_EQ("4: 1 4 7", f.selected());
    EXPECT_EQ(std::vector<std::string>{"sync"}, f.calls);
    f.history.redo();
    EXPECT_TRUE(sameBytes(edited, f.records()));
    EXPECT_EQ("9: 9", f.selected());
}

TEST(HarmonicEdits, InsertedRowsGoOnUndoAndComeBackOnRedo) {
    EditFixture f;
    f.select({3}, 3);
    auto* edit = new HarmonicInsertEdit("Add", &f);
    f.history.execute(edit);
    HarmonicRecord sources[2] = {harmonic(0), harmonic(0)};
    sources[0].baseFrequency = 100.0;
    sources[0].overtone = 2;
    sources[1].baseFrequency = 100.0;
    sources[1].overtone = -1;
    f.table->insertRecords(3, sources, 2);
    for (u32 r : {3u, 4u}) edit->add(f.list[r], r);
    std::vector<HarmonicRecord> inserted = f.records();
    ASSERT_EQ(12u, inserted.size());
    EXPECT_EQ(300.0, inserted[3].frequency);
    EXPECT_EQ(50.0, inserted[4].frequency);
    f.history.undo();
    EXPECT_TRUE(sameBytes(f.original, f.records()));
    f.history.redo();
    EXPECT_TRUE(sameBytes(inserted, f.records()));
    EXPECT_EQ(13u, f.table->rowCount());
}

TEST(HarmonicEdits, ClearUndoneRestoresTheListInItsOrder) {
    EditFixture f;
    std::swap(f.list[0], f.list[9]);
    f.original = f.records();
    f.select({0, 1, 2}, 2);
    f.history.execute(new HarmonicSnapshotEdit("Clear", &f));
    arrayFree(f.list);
    f.syncPane();
    f.table->reload((u64)-1);
    EXPECT_EQ(1u, f.table->rowCount());
    f.history.undo();
    EXPECT_TRUE(sameBytes(f.original, f.records()));
    EXPECT_EQ(11u, f.table->rowCount());
    EXPECT_EQ(10, f.pane->recordCount);
    EXPECT_EQ("2: 0 1 2", f.selected());
    f.history.redo();
    EXPECT_EQ(0u, f.list.count);
    EXPECT_EQ(0, f.pane->recordCount);
    f.history.undo();
    EXPECT_TRUE(sameBytes(f.original, f.records()));
}

TEST(HarmonicEdits, HeaderEditSwapsRateAndFftSize) {
    EditFixture f;
    f.head.sampleRate = 44100;
    f.head.fftSize = 16384;
    f.history.execute(new SpectrumHeaderEdit("Options", &f));
    f.head.sampleRate = 22050;
    f.head.fftSize = 4096;
    f.calls.clear();
    f.history.undo();
    EXPECT_EQ(44100u, f.head.sampleRate);
    EXPECT_EQ(16384u, f.head.fftSize);
    EXPECT_EQ(std::vector<std::string>{"status"}, f.calls);
    f.history.redo();
    EXPECT_EQ(22050u, f.head.sampleRate);
    EXPECT_EQ(4096u, f.head.fftSize);
    EXPECT_TRUE(sameBytes(f.original, f.records()));
}
