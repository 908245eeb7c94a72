#pragma once
// WelcomeLink: a drawn window showing one picture of the program's resources (the product picture
// on the Welcome page, the About window and the splash), centred on the background colour and
// copied to the screen in one block. Made into a layout builder; deletes itself with its window.
#include <windows.h>

#include "gui/kernel/user_window.h"

class GLayoutBuilder;

enum : u32 { ProductImage = 3167 };

class WelcomeLink : public GUserWindow {
public:
    WelcomeLink(GWindow* owner, i32 imageId) : GUserWindow(owner), imageId(imageId) {}
    static WelcomeLink* create(GLayoutBuilder& builder, i32 imageId, const char* alignment);

    // The picture's size plus 20 each way.
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;
    // Draws the picture into the rectangle of the DC the same way (the splash's drawer too).
    static void drawPicture(HDC dc, const RECT& rect, i32 imageId);

    i32 imageId;
};

// The splash's drawer: the product picture plus 40 pixels each way.
SIZE drawSplash(HDC dc, const RECT* rect, void* argument, void* extra);
