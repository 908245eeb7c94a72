#pragma once
// GStringListModel: one column of texts, each with a value and an optional owned object. The
// default model of a combo box; its view owns it. Items are heap records owned by the model.
#include "core/arrays.h"
#include "gui/views/table_model.h"

class GStringListModel : public GTableModel {
public:
    struct Item {
        char* text = nullptr;
        u32 value = 0;
        GCommonObject* object = nullptr;  // owned
    };

    ~GStringListModel() override { clearRows(); }

    u64 rowCount() override { return items.count; }
    i32 columnCount() override { return 1; }
    const char* cellText(GString&, u64 row, i32) override { return row < items.count ? item(row)->text : nullptr; }
    void setCellText(u64 row, i32 column, const char* text) override;
    i32 cellValue(u64 row, i32) override { return row < items.count ? (i32)item(row)->value : 0; }
    void clearRows() override;
    void removeRows(u64 first, u64 end) override;
    u64 appendRows(const char* const* texts, i32 n) override { return insertRows(items.count, texts, n); }
    u64 insertRows(u64 at, const char* const* texts, i32 n) override;

    // Appends one item; answers its row.
    u32 addItem(const char* text, u32 value = 0, GCommonObject* object = nullptr);
    Item* item(u64 row) const { return items.at<Item>((u32)row); }

private:
    PointerArray items;
};
