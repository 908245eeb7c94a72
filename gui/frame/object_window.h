#pragma once
// GObjectWindow: the program's main window with a content placer and a window number. Its keys,
// state queries and dynamic menus go to the placer first. Made by the program's window factory;
// deletes itself with its native window; owns its placer through its content.
#include "gui/frame/app_window.h"

class GPlacer;

class GObjectWindow : public GAppWindow {
public:
    explicit GObjectWindow(GWindow* owner = nullptr);
    ~GObjectWindow() override;

    bool isKindOf(u32 id) const override { return id == TypeObjectWindow || GAppWindow::isKindOf(id); }
    const char* className() const override { return "GObjectWindow"; }
    u32 typeId() const override { return TypeObjectWindow; }

    void onDestroy() override;
    bool onActivate() override;
    bool onDeactivate() override;
    // u32 window number, the placer's three blocks, then the placement.
    void savePlacement(GBag& bag) override;
    void restorePlacement(GBag& bag, bool show) override;
    // Rebuilds the content from the placer's blocks (inside one layout transaction).
    virtual void restoreContent(GBag* /*blocks*/) {}
    GString windowTitle() override;
    void fillDynamicMenu(u32 actionId, HMENU menu) override;

    i32 handleKey(GInputEvent* event) override;
    bool answerStateQuery(u32 kind, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;

    // Makes the placer the window's content.
    void setPlacer(GPlacer* placer);

    GPlacer* placer = nullptr;
    u32 windowNumber = 0;

private:
    bool countedAsObject = true;
};

// The page showing the file, brought forward; else a new main window from the factory, for the
// caller to attach the page to. Null when the factory makes none.
GObjectWindow* findOrMakeDocumentWindow(const char* path, GAppWindow* (*factory)(i32 typeId));
