#include "gui/paint/fonts.h"

#include "gui/paint/system_metrics.h"

static FontHolder messageFont, menuFont;

static FontHolder* ensureFont(FontHolder& holder, const LOGFONTA& description) {
    if (!holder.font) {
        holder.font = CreateFontIndirectA(&description);
        holder.owned = true;
    }
    return &holder;
}

FontHolder* getMessageFont() { return ensureFont(messageFont, nonClientMetrics().lfMessageFont); }

FontHolder* getMenuFont() { return ensureFont(menuFont, nonClientMetrics().lfMenuFont); }
