#pragma once
// AboutWin: the About dialog: the product picture, the version text and the buttons Close, Web and
// License. run() makes it on its own stack.
#include "gui/kernel/dialog.h"

enum : u32 { TypeAboutWin = 1009 };
enum : u32 { AboutLicense = 303 };

class AboutWin : public GDialog {
public:
    explicit AboutWin(GWindow* owner) : GDialog(owner, "index.htm") {}

    bool isKindOf(u32 id) const override { return id == TypeAboutWin || GDialog::isKindOf(id); }
    const char* className() const override { return "AboutWin"; }
    u32 typeId() const override { return TypeAboutWin; }

    bool build();
    static i32 run(GWindow* owner);

    // 302, 303 and ids outside 100..999 enabled; 101 while helpWord is set; others not decided here.
    i32 commandState(u32 command) override;
    bool onCommand(u32 command, GStateQuery* query) override;

    // Set by the construction: help is offered.
    u32 helpWord = 1;
};

// Opens the product's web page with the shell; replaceable for tests.
extern void (*openWebPage)(class GWindow* owner);
