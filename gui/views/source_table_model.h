#pragma once
// A read-only table model over a byte source; the source is deleted with the model, or when
// dropped, only when the model owns it.
#include "core/block_data_source.h"
#include "gui/views/table_model.h"

class SourceTableModel : public GTableModel {
public:
    ~SourceTableModel() override { dropSource(); }

    void clearRows() override {}
    void removeRows(u64, u64) override {}
    u64 appendRows(const char* const*, i32) override { return 0; }
    u64 insertRows(u64, const char* const*, i32) override { return 0; }

    void dropSource() {
        if (owned) delete source;
        source = nullptr;
        owned = false;
    }

    BlockDataSource* source = nullptr;
    bool owned = false;
};
