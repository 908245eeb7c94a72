#pragma once
// The rows of a list box and of choice lists: a record of a text and four values, the growing
// array of row pointers, and the table model that serves such rows to a table view. A row owns
// its text and its attached object; the array owns its rows; the view owns the model.
#include "core/types.h"
#include "gui/views/table_model.h"

struct GBag;
class GChildWindow;

// What a row may carry along; deleted with the row (an array of things is wrapped by its holder).
class ListRowObject {
public:
    virtual ~ListRowObject() = default;
    // The row's picture (see GTableModel::cellImage); null: none.
    virtual void* rowImage() const { return nullptr; }
};

// A row's picture alone; the picture is not owned.
class ListRowImage : public ListRowObject {
public:
    explicit ListRowImage(void* image) : image(image) {}
    void* rowImage() const override { return image; }

private:
    void* image;
};

// Five 32-bit words on the target; a new row is all zero.
struct ListRow {
    char* text = nullptr;          // owned heap text, null allowed
    u32 value = 0;
    u32 secondValue = 0;           // -1 for rows made from a text alone
    ListRowObject* object = nullptr;  // owned
    u32 data = 0;

    ListRow() = default;
    ListRow(const char* text, u32 value, u32 secondValue);
    ListRow(const ListRow&) = delete;
    ListRow& operator=(const ListRow&) = delete;
    ~ListRow();
};

static_assert(sizeof(void*) != 4 || sizeof(ListRow) == 20, "five 32-bit words");

// Capacity for n rows: a multiple of 16 up to 256, of 256 up to 4096, else of 4096.
u32 rowArrayCapacity(u32 n);

// Row pointers {data, capacity, count}; owns the rows.
struct ListRowArray {
    ListRow** data = nullptr;
    u32 capacity = 0;
    u32 count = 0;

    ListRowArray() = default;
    ListRowArray(const ListRowArray&) = delete;
    ListRowArray& operator=(const ListRowArray&) = delete;
    ~ListRowArray() { clear(); }

    void reserve(u32 n);
    // Takes the rows over and puts them at `at` (clamped to the count).
    void insert(u32 at, ListRow* const* rows, u32 n);
    void append(ListRow* row) { insert(count, &row, 1); }
    void remove(u32 first, u32 end);
    void clear();
};

// A row {copy of text, 0, -1, no object, 0} appended.
void addTextRow(ListRowArray& rows, const char* text);

// Choice arrays that callers fill with the same record and hand to a list.
namespace ChoiceList {
// A row {copy of text, value, second value, no object, 0} appended.
void add(ListRowArray& rows, const char* text, u32 value, u32 secondValue);
}

// One column of row texts.
class ListRowModel : public GTableModel {
public:
    u64 rowCount() override { return rows.count; }
    i32 columnCount() override { return 1; }
    const char* cellText(GString& scratch, u64 row, i32 column) override;
    void setCellText(u64 row, i32 column, const char* text) override;
    i32 cellValue(u64 row, i32) override { return row < rows.count ? (i32)rows.data[row]->value : 0; }
    void* cellImage(u64 row, i32) override {
        return row < rows.count && rows.data[row]->object ? rows.data[row]->object->rowImage() : nullptr;
    }
    // Byte for byte; a null text finds a row whose text is null.
    i64 findRowByText(const char* text, i32 column) override;
    void clearRows() override { rows.clear(); }
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const* texts, i32 n) override;
    u64 insertRows(u64 at, const char* const* texts, i32 n) override;
    // Without case, a null text as empty.
    void sortByColumn(i32 column, bool ascending) override;
    void swapRows(u64 a, u64 b) override;

    // The rows are taken over; null rows: n empty ones are made.
    u64 appendRowRecords(ListRow* const* given, u32 n) { return insertRowRecords(rows.count, given, n); }
    u64 insertRowRecords(u64 at, ListRow* const* given, u32 n);
    ListRow* row(u64 i) { return i < rows.count ? rows.data[i] : nullptr; }

    ListRowArray rows;
};

// Inside a redraw lock of the window (when given): clears the model's rows, then appends one row
// per non-empty text of the zero-separated list from the bag's position to its end. A text without
// its zero byte throws GBagException; the rows read before it stay and the lock is released.
void fillRowsFromTextList(ListRowModel& model, GBag& bag, GChildWindow* window);
