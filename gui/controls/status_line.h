#pragma once
// GStatusLine: a one-line bar of text fields drawn by the toolkit, packed from the left or the
// right by each field's alignment letter and separated by grooves. Its owner window owns it (it
// deletes itself when its native window ends); it owns its field records.
#include <initializer_list>
#include <string>
#include <vector>

#include "core/arrays.h"
#include "gui/kernel/user_window.h"

class GLayoutBuilder;

enum : u32 { TypeStatusLine = 24 };

struct StatusField {
    char* text = nullptr;  // owned; null or empty: not painted
    COLORREF background;
    COLORREF textColour;
    u32 reserved = 0;
    char align = '<';  // '<' from the left, '>' from the right, '|' centred, 'U' the rest
};

class GStatusLine : public GUserWindow {
public:
    using GUserWindow::GUserWindow;
    ~GStatusLine() override;

    bool isKindOf(u32 id) const override { return id == TypeStatusLine || GUserWindow::isKindOf(id); }
    const char* className() const override { return "GStatusLine"; }
    u32 typeId() const override { return TypeStatusLine; }

    // Painted with the face colour where the layout uncovers the area around it.
    bool create() {
        cellFlags |= CellOwnBackground;
        return GUserWindow::create(WS_CHILD | WS_VISIBLE);
    }
    // A new line on the builder's owner, added to its current container with the code "UC".
    static GStatusLine* create(GLayoutBuilder& builder);

    // The record of field n, made with the defaults when missing (the fields before it stay null).
    StatusField* field(u32 n);
    void setFieldText(u32 n, const char* text);
    // Formats into 4096 bytes (longer results are cut).
    void setFieldTextF(u32 n, const char* format, ...) __attribute__((format(gnu_printf, 3, 4)));
    // Each change repaints the line once, or once when the redraw lock ends.

    // Frees every text, keeps the records.
    void clearTexts();
    // Deletes every record.
    void clear();

    // The preferred width becomes that of these texts side by side as fields (nulls are skipped).
    void reserveWidthFor(std::initializer_list<const char*> texts);

    // The status font's letter size plus 4 each way, or the reserved texts' width.
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;

    PointerArray fields;  // StatusField*, entries may be null

private:
    std::vector<std::string> reserved;
};
