#include <cstring>
#include <vector>

#include "gui/menus/menu.h"
#include "gui/menus/menu_tracking.h"

namespace {
// The mnemonic class of a byte: digits and Latin letters, and the Cyrillic letters of code page
// 1251, folded to upper case; 0 for bytes that cannot be mnemonics.
struct FoldTable {
    u8 fold[256] = {};
    FoldTable() {
        for (int c = '0'; c <= '9'; ++c) fold[c] = (u8)c;
        for (int c = 'A'; c <= 'Z'; ++c) fold[c] = (u8)c;
        for (int c = 'a'; c <= 'z'; ++c) fold[c] = (u8)(c - 32);
        for (int c = 192; c <= 223; ++c) fold[c] = (u8)c;
        for (int c = 224; c <= 255; ++c) fold[c] = (u8)(c - 32);
        fold[168] = 168;
        fold[184] = 168;
    }
};
const FoldTable foldTable;

// End of the part where later passes may look: the first ":" or control character.
u32 scanEnd(const GString& text) {
    u32 i = 0;
    for (; i < text.length; ++i) {
        u8 c = (u8)text.data[i];
        if (c == ':' || c < 32) break;
    }
    return i;
}
}  // namespace

void assignMenuMnemonics(HMENU menu) {
    i32 count = GetMenuItemCount(menu);
    if (count <= 0) return;
    bool used[256] = {};
    struct Item {
        GString text;
        bool done;
    };
    std::vector<Item> items(count);
    for (i32 i = 0; i < count; ++i) {
        items[i].done = menuItemCommandId(menu, i) == -1;
        if (items[i].done) continue;
        items[i].text = menuStringAt(menu, i);
        if (!items[i].text.length || items[i].text.data[0] == '-') items[i].done = true;
    }
    // Pass 0: existing marks that are eligible and free stay; the others are dropped.
    for (i32 i = 0; i < count; ++i) {
        if (items[i].done) continue;
        GString& text = items[i].text;
        char* amp = strchr(text.data, '&');
        if (!amp) continue;
        u8 f = foldTable.fold[(u8)amp[1]];
        if (f && !used[f]) {
            used[f] = true;
            items[i].done = true;
            continue;
        }
        memmove(amp, amp + 1, strlen(amp + 1) + 1);
        --text.length;
        setMenuItemText(menu, i, text.data);
    }
    for (int pass = 1; pass <= 3; ++pass) {
        for (i32 i = 0; i < count; ++i) {
            if (items[i].done) continue;
            GString& text = items[i].text;
            u32 end = scanEnd(text);
            i32 chosen = -1;
            if (pass == 1) {
                u8 f = foldTable.fold[(u8)text.data[0]];
                if (f && !used[f]) chosen = 0;
            } else {
                for (u32 k = pass == 2 ? 1 : 0; k < end && chosen < 0; ++k) {
                    if (pass == 2 && text.data[k - 1] != ' ') continue;
                    u8 f = foldTable.fold[(u8)text.data[k]];
                    if (f && !used[f]) chosen = (i32)k;
                }
            }
            if (chosen < 0) continue;
            used[foldTable.fold[(u8)text.data[chosen]]] = true;
            items[i].done = true;
            stringInsert(text, (u32)chosen, "&");
            setMenuItemText(menu, i, text.data);
        }
    }
}
