#pragma once
// GTabPlacer (placer kind 77): a tab strip over a page stack in a region box; every page is a
// placer made by the page factory and shown as tab i = the stack's child i. The placer is the
// strip's listener; pages move between tabbed placers by dragging their tabs. Made by a window's
// content builder and deleted as a layout item; owns the region box (and through it the strip and
// the pages); the kind record is not owned.
#include "gui/frame/app_window.h"
#include "gui/frame/placer.h"

class GPageStack;
class GRegionBox;
class GTab;

class GTabPlacer : public GPlacer, public GTabListener {
public:
    GTabPlacer(GWindow* parent, WindowKind* kind);
    // Every page is detached first (when the window's end has not done it).
    ~GTabPlacer() override;
    // Detaches every page, once: the window's end calls it while the pages' windows still exist.
    void detach() override;

    // Null when the factory makes none (nothing changes).
    GPlacer* addPageOfKind(u32 kind);
    // savedState: three blocks the page restores itself from, else its title is refreshed.
    GPlacer* insertPageOfKind(u32 kind, i32 index, GBag* savedState, bool select);
    GPlacer* currentPage();
    GPlacer* pageAt(i32 index);
    i32 pageCount();

    // Listener.
    i32 tabCount() override { return pageCount(); }
    GTabItem* tabItem(i32 index) override { return pageAt(index); }
    void tabChanged(i32 oldIndex, i32 newIndex) override;
    void takePageOut(i32 index) override;
    void moveTab(i32 from, i32 gap, i32 newCurrent) override;
    void dropDraggedTab(i32 index, i32 screenX, i32 screenY) override;
    i32 dragFeedback(i32 index) override;

    // Placer and page operations, forwarded to the current page.
    u32 windowKind() override { return TypeTabbedPlacer; }
    const char* firstCaption() override;
    const char* secondCaption() override;
    bool isModified() override;
    GString fullText() override;
    GString shortText() override;
    const char* typeName() override { return "GTabPlacer"; }
    // 1 when a page answers 1, else 2 when one answers 2, else 0.
    i32 closeState() override;
    void activatePage() override;
    void deactivatePage() override;
    bool fillDynamicMenu(u32 actionId, HMENU menu) override;
    bool showFilePage(const char* path) override;
    // State block 0: {u32 kind, three blocks}..., u32 -1; block 1: i32 current index among them.
    void saveStateBlocks(GBag* blocks) override;
    void restorePage(GBag* blocks) override;

    i32 handleKey(GInputEvent* event) override;
    bool answerStateQuery(u32 kind, GStateQuery* query) override;
    bool onControlNotify(void* notification) override;
    // A page asking to be shown selects its tab.
    void revealChild(GLayoutCell* item);

    // Activation stamp: the serial.
    GRegionBox* box = nullptr;
    GTab* strip = nullptr;
    GLifeRecord* stripLife = nullptr;
    bool pagesDetached = false;  // held: the strip's window may end before the placer
    GPageStack* pages = nullptr;
    WindowKind* ownKind;

private:
    // Into the stack at the index, the strip told.
    void placePage(GPlacer* page, i32 index);
};

// The tabbed placer of the top-level window under the screen point, or null.
GTabPlacer* tabPlacerAtPoint(i32 screenX, i32 screenY);
// The tabbed placer holding the page, or null.
GTabPlacer* tabPlacerOf(GPlacer* page);
