#pragma once
// The row context menu of tables: GTableMenuProvider fills the menu for a row and column and
// carries out the chosen command. A table uses the provider of its creation record (not owned; it
// must outlive the table), one given to GTable::setMenuProvider (the table deletes it) or the
// shared default one, which lists the table's own actions and sends the choice up from the table. The table's action records ("GTable_COPY" ...) are static and
// registered at start.
#include "core/types.h"

class GMenu;
class GTable;

class GTableMenuProvider {
public:
    virtual ~GTableMenuProvider() = default;
    // Told the table that uses it, when the table is made.
    virtual void attach(GTable* /*table*/) {}
    virtual void fillMenu(GTable& table, GMenu& menu, i64 row, i32 column);
    virtual void runCommand(GTable& table, i32 command, i64 row, i32 column);
};

GTableMenuProvider* defaultTableMenuProvider();
