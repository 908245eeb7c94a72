#include "gui/frame/note_board.h"

#include <cmath>

#include "gui/controls/edit_line.h"
#include "gui/controls/label.h"
#include "gui/frame/board_window.h"
#include "gui/kernel/gui_texts.h"
#include "gui/layout/layout_builder.h"

GNoteBoard::GNoteBoard(GLayoutBuilder& b, f64 hz) : GColumnsItem(b.owner) {
    b.pushContainer(this, "00000", nullptr);
    board = GBoardWindow::create(b, 9, 4, MaxOctaves, "U-");
    GRowItem::create(b, "00000");
    GLabel::create(b, guiText(GuiText::NoteBoardFrequency), 0, "<^");
    frequencyLine = GEditLine::create(b, 20);
    GLabel::create(b, guiText(GuiText::NoteBoardPeriod), 0, "<^");
    periodLine = GEditLine::create(b, 20);
    b.endContainer();
    b.endContainer();
    setFrequency(hz);
}

void GNoteBoard::setFrequency(f64 hz) {
    frequency = hz;
    period = hz >= 1 ? 1000.0 / hz : 0;
    if (board) board->markFrequency(hz);
    showValues(true, true);
}

void GNoteBoard::showValues(bool frequencyText, bool periodText) {
    updating = true;
    if (frequencyText && frequencyLine) frequencyLine->setDouble(frequency);
    if (periodText && periodLine) periodLine->setDouble(period);
    updating = false;
}

void GNoteBoard::passOn() {
    GControlNotification n;
    n.source = this;
    n.code = 0;
    notifyUp(this, &n);
}

bool GNoteBoard::onControlNotify(void* p) {
    GControlNotification* n = static_cast<GControlNotification*>(p);
    if (updating || !n->source) return false;
    if (board && n->source == board) {
        frequency = 440.0 * std::pow(2.0, (board->markedNote + 12 * board->markedOctave - 57) / 12.0);
        period = 1000.0 / frequency;
        showValues(true, true);
    } else if (frequencyLine && n->source == frequencyLine) {
        try {
            frequency = frequencyLine->getDouble();
        } catch (...) {
            return true;  // not a number yet
        }
        if (board) board->markFrequency(frequency);
        period = frequency >= 1 ? 1000.0 / frequency : 0;
        showValues(false, true);
    } else if (periodLine && n->source == periodLine) {
        try {
            period = periodLine->getDouble();
        } catch (...) {
            return true;
        }
        if (board) board->markPeriod(period);
        frequency = period >= 1 ? 1000.0 / period : 0;
        showValues(true, false);
    } else {
        return false;
    }
    passOn();
    return true;
}
