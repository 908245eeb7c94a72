#include "gui/frame/board_window.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "gui/controls/notes.h"
#include "gui/input/hover_tracker.h"
#include "gui/input/input_event.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_cell.h"
#include "gui/paint/bitmaps.h"
#include "gui/paint/colors.h"
#include "gui/paint/fonts.h"
#include "gui/paint/saved_dc.h"
#include "gui/paint/text_measure.h"

const i32 upperKeyBounds[13] = {0, 14, 24, 33, 43, 57, 71, 81, 90, 100, 109, 119, 133};
const i32 lowerKeyBounds[13] = {0, 19, 19, 38, 38, 57, 76, 76, 95, 95, 114, 114, 133};

u8*& keyboardSoundFlag() {
    static u8 own = 1;
    static u8* flag = &own;
    return flag;
}

KeyboardVoiceMaker& keyboardVoiceMaker() {
    static KeyboardVoiceMaker maker = nullptr;
    return maker;
}

namespace {
bool isBlackKey(i32 note) { return note == 1 || note == 3 || note == 6 || note == 8 || note == 10; }

// The one-letter name of the note in the current scheme, 0 when its name is longer.
char singleLetterName(i32 note) {
    const char* name = noteName(note);
    return name && name[0] && !name[1] && strcmp(name, "?") ? name[0] : 0;
}
}  // namespace

// Follows the pointer over a keyboard.
class GBoardHover : public GHoverTracker {
public:
    explicit GBoardHover(GBoardWindow* board) : GHoverTracker(board, HoverPlain), board(board) {}
    void onEnter(i32 x, i32 y) override { board->hoverAt(x, y); }
    void onHover(i32 x, i32 y) override { board->hoverAt(x, y); }
    void onLeave() override { board->endHover(); }

    GBoardWindow* board;
};

GBoardWindow::GBoardWindow(GWindow* parent) : GUserImage(parent) {}

GBoardWindow::~GBoardWindow() {
    destroyNative();
    delete defaultListener;
    if (octaveStrip) DeleteObject(octaveStrip);
}

bool GBoardWindow::prepareOctaveStrip(HDC dc) {
    if (octaveStrip && stripBackground == toolkitColors.background) return true;
    GBitmap* image = getCachedImage(OctaveImageId);
    if (!image || !image->bitmap) return false;
    if (octaveStrip) DeleteObject(octaveStrip);
    octaveStrip = CreateCompatibleBitmap(dc, image->width, image->height);
    if (!octaveStrip) return false;
    stripBackground = toolkitColors.background;
    stripWidth = image->width;
    stripHeight = image->height;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, octaveStrip);
    RECT all{0, 0, stripWidth, stripHeight};
    HBRUSH back = CreateSolidBrush(stripBackground);
    FillRect(memory, &all, back);
    DeleteObject(back);
    {
        GSavedDC saved(memory);
        image->draw(saved, 0, 0);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    return true;
}

bool GBoardWindow::build(i32 note, i32 octave, i32 count) {
    octaves = std::max(1, std::min<i32>(count, MaxOctaves));
    if (!GUserImage::create((i64)octaves * OctaveWidth, 1, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_CLIPSIBLINGS,
                WS_EX_CLIENTEDGE))
        return false;
    SetWindowPos(hwnd, nullptr, 0, 0, OctaveWidth, KeyRowsHeight, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    markedNote = note;
    markedOctave = octave;
    GScrollRange h = horizontal, v = vertical;
    h.setPosition((i64)std::max(0, std::min(octave, octaves - 1)) * OctaveWidth);
    setScrollState(h, v);
    hover = new GBoardHover(this);
    if (!defaultListener && keyboardVoiceMaker()) defaultListener = keyboardVoiceMaker()();
    if (!listener) listener = defaultListener;
    refresh(true);
    return true;
}

GBoardWindow* GBoardWindow::create(GLayoutBuilder& builder, i32 note, i32 octave, i32 count, const char* code) {
    GBoardWindow* board = new GBoardWindow(builder.owner);
    if (!board->build(note, octave, count)) {
        delete board;
        return nullptr;
    }
    builder.add(board, code);
    return board;
}

void GBoardWindow::setListener(GKeyListener* l) { listener = l ? l : defaultListener; }

void GBoardWindow::markFrequency(f64 hz) {
    if (hz >= 0) {
        NoteOctave k = frequencyToNote(hz);
        markedNote = k.note;
        markedOctave = k.octave;
    } else {
        markedNote = markedOctave = 12;
    }
    refresh(true);
}

void GBoardWindow::markPeriod(f64 ms) { markFrequency(ms > 1e-10 ? 1000.0 / ms : ms); }

bool GBoardWindow::pressKey(i32 note, i32 octave) {
    if ((u32)note > 11 || octave < 0 || octave >= octaves) return false;
    markedNote = note;
    markedOctave = octave;
    invalidate();
    if (keyboardSoundOn() && listener) listener->noteOn(note, octave, 100);
    markDirty(0);
    return true;
}

void GBoardWindow::refresh(bool centre) {
    hoverNote = hoverOctave = -1;
    if (markedOctave < 0 || markedOctave >= octaves) markedOctave = std::min(4, octaves - 1);
    if (centre && hwnd) {
        RECT client;
        GetClientRect(hwnd, &client);
        GScrollRange h = horizontal, v = vertical;
        // The caret with it: a later change of the page keeps the caret in view.
        h.setPosition(std::max<i64>(0, (i64)(markedOctave - client.right / OctaveWidth / 2) * OctaveWidth));
        setScrollState(h, v);
    }
    if (hwnd) invalidate();
}

void GBoardWindow::keyAt(i32 x, i32 y, i32* note, i32* octave) {
    *note = *octave = -1;
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    if (!rectContainsPoint(client, x, y)) return;
    const i64 xs = x + horizontal.origin, ys = y;
    if (ys < 0 || ys >= KeyRowsHeight || xs < 0 || xs >= (i64)octaves * OctaveWidth) return;
    const i32 o = (i32)(xs / OctaveWidth), r = (i32)(xs - (i64)o * OctaveWidth);
    const i32* bound = ys < BlackKeyHeight ? upperKeyBounds : lowerKeyBounds;
    for (i32 k = 0; k < 12; ++k)
        if (r < bound[k + 1]) {
            *note = k;
            *octave = o;
            return;
        }
}

void GBoardWindow::hoverAt(i32 x, i32 y) {
    i32 note, octave;
    keyAt(x, y, &note, &octave);
    if (note == hoverNote && octave == hoverOctave) return;
    hoverNote = note;
    hoverOctave = octave;
    invalidate();
}

void GBoardWindow::endHover() {
    if (listener) listener->noteOff();
    hoverNote = hoverOctave = -1;
    invalidate();
}

RECT GBoardWindow::soundSwitchRect() {
    RECT client{0, 0, 0, 0};
    if (hwnd) GetClientRect(hwnd, &client);
    return RECT{1, client.bottom - 19, 1 + SoundSwitchSize, client.bottom - 1};
}

i32 GBoardWindow::nameRowHeight() {
    return std::max<i32>(20, getUiFontMetrics(getMessageFont()).cy);
}

void GBoardWindow::getPreferredSize(i32* width, i32* height) {
    i32 widest = OctaveWidth;
    for (i32 o = 0; o < octaves; ++o) widest = std::max<i32>(widest, textExtent(getMessageFont(), octaveName(o)).cx);
    RECT frame{0, 0, 0, 0};
    if (hwnd) AdjustWindowRectEx(&frame, (DWORD)GetWindowLongA(hwnd, GWL_STYLE) & ~WS_HSCROLL, FALSE,
                                 (DWORD)GetWindowLongA(hwnd, GWL_EXSTYLE));
    const i32 bar = hwnd && (GetWindowLongA(hwnd, GWL_STYLE) & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    *width = widest + (frame.right - frame.left);
    *height = KeyRowsHeight + nameRowHeight() + (frame.bottom - frame.top) + bar + 4;
}

void GBoardWindow::sendUp(u32 code, intptr_t value) {
    GControlNotification n;
    n.source = this;
    n.code = code;
    n.value = value;
    notifyUp(this, &n);
}

void GBoardWindow::onLayoutEvent(u32 kind) {
    if (kind == 0 && markedNote >= 0 && markedNote < 12) sendUp(BoardKeyPressed, markedNote + 12 * markedOctave);
}

i32 GBoardWindow::handleKey(GInputEvent* e) {
    if (e->mouse) return 0;
    const u32 mods = e->modifiers & (ModShift | ModCtrl | ModAlt);
    if (e->kind == KeyDown && mods == 0) {
        i32 octave = markedOctave;
        switch (e->key) {
        case VK_LEFT: octave = std::max(0, markedOctave - 1); break;
        case VK_RIGHT: octave = std::min(octaves - 1, markedOctave + 1); break;
        case VK_HOME: octave = 0; break;
        case VK_END: octave = octaves - 1; break;
        default: octave = -1; break;
        }
        if (octave >= 0) {
            markedOctave = octave;
            refresh(true);
            return 2;
        }
    }
    if ((e->kind == KeyDown || e->kind == KeyUp) && (mods & ~(u32)ModShift) == 0 && e->key < 128 && isalnum((int)e->key)) {
        const char typed = (char)toupper((int)e->key);
        i32 note = -1;
        for (i32 k = 0; k < 12 && note < 0; ++k) {
            const char c = singleLetterName(k);
            if (c && toupper((unsigned char)c) == typed) note = k;
        }
        if (note >= 0) {
            if (e->kind == KeyUp) {
                if (pressedChar == (u8)typed) {
                    if (listener) listener->noteOff();
                    pressedChar = 0;
                }
                return 2;
            }
            if (e->repeat && pressedChar == (u8)typed) return 2;
            i32 octave = markedOctave;
            if (mods & ModShift) {
                if (++note == 12) {
                    note = 0;
                    ++octave;
                }
            }
            if (pressKey(note, octave)) pressedChar = (u8)typed;
            return 2;
        }
    }
    return GUserImage::handleKey(e);
}

bool GBoardWindow::handleMouse(GInputEvent* e) {
    GUserImage::handleMouse(e);
    if (e->button != ButtonLeft || !hwnd || !IsWindowEnabled(hwnd)) return false;
    if (e->action == MousePress || e->action == MouseDoubleClick) {
        hoverAt(e->x, e->y);
        if (!pressKey(hoverNote, hoverOctave) && rectContainsPoint(soundSwitchRect(), e->x, e->y)) {
            u8& flag = *keyboardSoundFlag();
            flag = !flag;
            RECT r = soundSwitchRect();
            InvalidateRect(hwnd, &r, FALSE);
            if (listener) listener->allOff(flag != 0);
        }
        return true;
    }
    if (e->action == MouseRelease) {
        if (listener) listener->noteOff();
        pressedChar = 0;
        return true;
    }
    return false;
}

bool GBoardWindow::onFocus(bool gained, HWND other) {
    if (!gained) {
        if (listener) listener->noteOff();
        pressedChar = 0;
    }
    return GUserImage::onFocus(gained, other);
}

// The outline of the key's area, `inset` pixels inside it.
void GBoardWindow::paintOutline(HDC dc, i32 x, i32 note, i32 inset) {
    const i32 i = inset;
    POINT p[9];
    i32 n = 0;
    const i32 ul = x + upperKeyBounds[note], ur = x + upperKeyBounds[note + 1] - 1;
    if (isBlackKey(note)) {
        const i32 bottom = BlackKeyHeight - 1 - i;
        p[n++] = {ul + i, i};
        p[n++] = {ur - i, i};
        p[n++] = {ur - i, bottom};
        p[n++] = {ul + i, bottom};
    } else {
        const i32 ll = x + lowerKeyBounds[note], lr = x + lowerKeyBounds[note + 1] - 1;
        const i32 bottom = KeyRowsHeight - 2 - i, notch = BlackKeyHeight + i;
        p[n++] = {ul + i, i};
        p[n++] = {ur - i, i};
        p[n++] = {ur - i, lr == ur ? bottom : notch};
        if (lr != ur) p[n++] = {lr - i, notch};
        p[n++] = {lr - i, bottom};
        p[n++] = {ll + i, bottom};
        if (ll != ul) {
            p[n++] = {ll + i, notch};
            p[n++] = {ul + i, notch};
        }
    }
    p[n] = p[0];
    Polyline(dc, p, n + 1);
}

void GBoardWindow::paintSoundSwitch(HDC dc) {
    const RECT r = soundSwitchRect();
    GSavedDC saved(dc);
    HBRUSH face = CreateSolidBrush(toolkitColors.background);
    FillRect(dc, &r, face);
    DeleteObject(face);
    saved.selectPen(toolkitColors.text);
    // A speaker: its box and cone.
    const i32 x = r.left, y = r.top;
    POINT speaker[] = {{x + 3, y + 7}, {x + 6, y + 7}, {x + 10, y + 3}, {x + 10, y + 14}, {x + 6, y + 10}, {x + 3, y + 10}, {x + 3, y + 7}};
    Polyline(dc, speaker, 7);
    if (keyboardSoundOn()) {
        MoveToEx(dc, x + 12, y + 6, nullptr);
        LineTo(dc, x + 14, y + 4);
        MoveToEx(dc, x + 12, y + 11, nullptr);
        LineTo(dc, x + 14, y + 13);
        MoveToEx(dc, x + 13, y + 8, nullptr);
        LineTo(dc, x + 16, y + 8);
    } else {
        MoveToEx(dc, x + 12, y + 5, nullptr);
        LineTo(dc, x + 17, y + 12);
        MoveToEx(dc, x + 16, y + 5, nullptr);
        LineTo(dc, x + 11, y + 12);
    }
    FrameRect(dc, &r, (HBRUSH)GetStockObject(GRAY_BRUSH));
}

void GBoardWindow::paint(HDC dc, const RECT&, bool) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH back = CreateSolidBrush(toolkitColors.background);
    FillRect(dc, &client, back);
    DeleteObject(back);
    GSavedDC saved(dc);
    HDC strip = nullptr;
    HGDIOBJ stripOld = nullptr;
    if (prepareOctaveStrip(dc)) {
        strip = CreateCompatibleDC(dc);
        stripOld = SelectObject(strip, octaveStrip);
    }
    const i32 rowTop = KeyRowsHeight, rowBottom = rowTop + nameRowHeight();
    const i32 firstOctave = (i32)(horizontal.origin / OctaveWidth);
    SelectObject(dc, getMessageFont()->font);
    SetBkMode(dc, TRANSPARENT);
    for (i32 o = std::max(0, firstOctave); o < octaves; ++o) {
        const i32 x = (i32)((i64)o * OctaveWidth - horizontal.origin);
        if (x >= client.right) break;
        if (strip) BitBlt(dc, x, 0, stripWidth, stripHeight, strip, 0, 0, SRCCOPY);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        if (o == markedOctave && markedNote >= 0 && markedNote < 12) {
            saved.selectPen(toolkitColors.selection);
            for (i32 inset = 0; inset < 3; ++inset) paintOutline(dc, x, markedNote, inset);
        }
        if (o == hoverOctave && hoverNote >= 0) {
            saved.selectPen(sysColor(COLOR_HOTLIGHT));
            paintOutline(dc, x, hoverNote, 0);
        }
        for (i32 k = 0; k < 12; ++k) {
            const char c = singleLetterName(k);
            if (!c) continue;
            const char text[2] = {c, 0};
            const bool black = isBlackKey(k);
            RECT label = black ? RECT{x + upperKeyBounds[k], 0, x + upperKeyBounds[k + 1], BlackKeyHeight}
                               : RECT{x + lowerKeyBounds[k], BlackKeyHeight, x + lowerKeyBounds[k + 1], KeyRowsHeight};
            SetTextColor(dc, black ? toolkitColors.window : toolkitColors.text);
            DrawTextA(dc, text, 1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
        const char* name = o < MaxOctaves ? octaveName(o) : "";
        RECT nameRect{x, rowTop, x + OctaveWidth, rowBottom};
        SetTextColor(dc, toolkitColors.text);
        DrawTextA(dc, name, -1, &nameRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (strip) {
        SelectObject(strip, stripOld);
        DeleteDC(strip);
    }
    paintSoundSwitch(dc);
    if (GetFocus() == hwnd) {
        RECT focus = client;
        InflateRect(&focus, -1, -1);
        SetTextColor(dc, toolkitColors.text);
        SetBkColor(dc, toolkitColors.background);
        DrawFocusRect(dc, &focus);
    }
}

// ---- the sort table ----

namespace {

const BoardSortRecord& recordAt(const void* element) { return **static_cast<const BoardSortRecord* const*>(element); }

// Ordered comparisons only: an unordered pair of numbers counts as equal.
template <class T>
int order(T a, T b) {
    if (a < b) return -1;
    if (a > b) return 1;
    return 0;
}

// Bytes over the shorter length, then the longer text is greater.
int textOrder(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    size_t la = strlen(a), lb = strlen(b);
    int c = memcmp(a, b, la < lb ? la : lb);
    if (c) return c < 0 ? -1 : 1;
    return order(la, lb);
}

int flagOrder(const BoardSortRecord& a, const BoardSortRecord& b) {
    int first = order(a.firstFlag != 0, b.firstFlag != 0);
    return first ? first : order(a.secondFlag != 0, b.secondFlag != 0);
}

int byKey(int key, const BoardSortRecord& a, const BoardSortRecord& b) {
    switch (key) {
    case 0: return order(a.firstNumber, b.firstNumber);
    case 1: return order(a.firstInteger, b.firstInteger);
    case 2: return order(a.secondInteger, b.secondInteger);
    case 3: return order(a.secondNumber, b.secondNumber);
    case 4: return textOrder(a.text, b.text);
    case 5: return order(a.value, b.value);
    default: return flagOrder(a, b);
    }
}

template <int Key>
int ascending(const void* a, const void* b) { return byKey(Key, recordAt(a), recordAt(b)); }
template <int Key>
int descending(const void* a, const void* b) { return byKey(Key, recordAt(b), recordAt(a)); }

}  // namespace

const BoardComparator boardComparators[14] = {
    ascending<0>, descending<0>, ascending<1>, descending<1>, ascending<2>, descending<2>, ascending<3>,
    descending<3>, ascending<4>, descending<4>, ascending<5>, descending<5>, ascending<6>, descending<6>,
};
