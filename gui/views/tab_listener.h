#pragma once
// The tab strip's protocol: GTabItem describes one tab (texts, icon, close state) and owns the
// strip's GTabRecord for it; GTabListener is the owner of the tabs (a tab window, a tabbed placer),
// which the strip asks for its tabs and tells of every change. Items belong to the listener.
#include <windows.h>

#include "core/gstring.h"
#include "core/types.h"

class GTab;

// The strip's record of one tab, refreshed from its item before every layout.
struct GTabRecord {
    u8 modified = 0;
    u8 attached = 0;
    u8 visible = 1;
    GString label;
    GString tooltip;
    HICON icon = nullptr;
    i32 width = 20;
};

class GTabItem {
public:
    virtual ~GTabItem() { delete record; }
    virtual GString fullText() = 0;
    virtual GString shortText() = 0;
    virtual const char* typeName() = 0;
    virtual i32 kind() { return -1; }
    virtual HICON icon() { return nullptr; }
    // 0: the tab may close.
    virtual i32 closeState() { return 0; }
    virtual bool isModified() { return false; }

    // Made on first use; re-reads everything but the attached and visible bytes.
    GTabRecord* refreshRecord();

    GTabRecord* record = nullptr;
};

class GTabListener {
public:
    virtual ~GTabListener() = default;
    virtual i32 tabCount() = 0;
    virtual GTabItem* tabItem(i32 index) = 0;
    virtual void tabChanged(i32 oldIndex, i32 newIndex) = 0;
    virtual void takePageOut(i32 index) = 0;
    // Tab `from` dragged to the gap before tab `gap` (indices before the move).
    virtual void moveTab(i32 /*from*/, i32 /*gap*/, i32 /*newCurrent*/) {}
    virtual void dropDraggedTab(i32 index, i32 /*screenX*/, i32 /*screenY*/) { takePageOut(index); }
    // 1 nothing, 2 a new window, 3 into another tabbed placer.
    virtual i32 dragFeedback(i32 /*index*/) { return 1; }
    virtual bool canOpenInNewWindow(i32 /*kind*/) { return false; }
    virtual GTabListener* openInNewWindow(const RECT& /*screenRect*/) { return nullptr; }
};
