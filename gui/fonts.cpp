#include "gui/fonts.h"

#include "gui/system_metrics.h"

static FontHolder messageFont, menuFont;

static FontHolder* ensureFont(FontHolder& holder, const LOGFONTA& description) {
    if (holder.font) return &holder;
    HFONT font = CreateFontIndirectA(&description);
    if (font != holder.font) {
        if (holder.owned && holder.font) DeleteObject(holder.font);
        holder.font = font;
    }
    holder.owned = true;
    return &holder;
}

FontHolder* getMessageFont() { return ensureFont(messageFont, nonClientMetrics().lfMessageFont); }

FontHolder* getMenuFont() { return ensureFont(menuFont, nonClientMetrics().lfMenuFont); }
