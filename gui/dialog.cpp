#include "gui/dialog.h"

#include "gui/input_event.h"
#include "gui/layout_cell.h"

i32 GDialog::handleKey(GInputEvent* e) {
    if (e->isKeyDown(VK_ESCAPE) || e->isKeyDown(VK_F4, ModCtrl)) {
        GStateQuery query{2, 0};
        routeCommandUp(this, QueryExecute, &query);
        return 2;
    }
    return GParentWindow::handleKey(e);
}
