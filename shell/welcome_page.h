#pragma once
// WelcomePage (window kind 1016): the first tab of a fresh main window. The product picture, the
// language, About and Help buttons, and one link row per tool: its icon, a button that opens it in
// a new tab and, for tools that edit files, a ">>" button that opens a file in one. The row under
// the mouse describes itself in the page's own status line at its foot. Made by the page factory;
// deleted as a layout item; its rows' windows belong to the window.
#include "gui/frame/placer.h"

class GButton;
class GImageLabel;
class GItemBase;
class GRowItem;
class GStatusLine;
class WelcomeLink;

enum : i32 { LinkHeading = -1, LinkStretch = -2, LinkNewColumn = -3 };

struct WelcomeLinkRecord {
    i32 image;            // or LinkHeading, LinkStretch, LinkNewColumn
    u32 description;      // RavoText
    u32 title;            // RavoText
    i32 tabAction;
    i32 openAction;       // -1: no ">>" button
    u8 enabled;
    // Filled when the page is built.
    GButton* linkButton;
    GButton* openButton;
    GImageLabel* icon;
    GRowItem* row;
};

enum : u32 { WelcomeLinkCount = 15 };

class WelcomePage : public GPlacer {
public:
    explicit WelcomePage(GWindow* window);
    ~WelcomePage() override;

    u32 windowKind() override;
    const char* firstCaption() override;

    // The hover text of the point in the window's client coordinates; written to the status line
    // when it differs from the last one.
    void hoverAt(i32 x, i32 y);
    // The row under the point, or -1.
    i32 rowAt(i32 x, i32 y);

    WelcomeLinkRecord links[WelcomeLinkCount];
    WelcomeLink* picture = nullptr;
    GStatusLine* statusLine = nullptr;
    GString shownText;
    u32 statusWrites = 0;

private:
    GItemBase* mouseFilter;
};

// Registers the page's maker for kind 1016.
void registerWelcomePage();
