#include "shell/welcome_page.h"

#include <cstring>

#include "app/child_windows.h"
#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "gui/controls/button.h"
#include "gui/controls/image_label.h"
#include "gui/controls/label.h"
#include "gui/controls/status_line.h"
#include "gui/kernel/application.h"
#include "gui/kernel/item_base.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/menus/action_table.h"
#include "gui/paint/fonts.h"
#include "shell/welcome_link.h"

namespace {
#define T(name) (u32) RavoText::name
const WelcomeLinkRecord kLinks[WelcomeLinkCount] = {
    {LinkHeading, 0, T(WelcomeSoundHeading), -1, -1, 0, nullptr, nullptr, nullptr, nullptr},
    {3024, T(WelcomeEditorHint), T(WelcomeEditorTitle), 343, 352, 1, nullptr, nullptr, nullptr, nullptr},
    {3067, T(WelcomeNotesHint), T(WelcomeNotesTitle), 342, 351, 0, nullptr, nullptr, nullptr, nullptr},
    {8004, T(WelcomeConverterHint), T(WelcomeConverterTitle), 340, 349, 1, nullptr, nullptr, nullptr, nullptr},
    {8005, T(WelcomePlaySettingsHint), T(WelcomePlaySettingsTitle), 201, -1, 1, nullptr, nullptr, nullptr, nullptr},
    {8007, T(WelcomeRecordSettingsHint), T(WelcomeRecordSettingsTitle), 202, -1, 1, nullptr, nullptr, nullptr, nullptr},
    {LinkNewColumn, 0, 0, -1, -1, 0, nullptr, nullptr, nullptr, nullptr},
    {LinkHeading, 0, T(WelcomeSynthesisHeading), -1, -1, 0, nullptr, nullptr, nullptr, nullptr},
    {3134, T(WelcomeInstrumentHint), T(WelcomeInstrumentTitle), 345, 354, 0, nullptr, nullptr, nullptr, nullptr},
    {3004, T(WelcomeSpectrumHint), T(WelcomeSpectrumTitle), 341, 350, 1, nullptr, nullptr, nullptr, nullptr},
    {LinkStretch, 0, 0, -1, -1, 0, nullptr, nullptr, nullptr, nullptr},
    {LinkHeading, 0, T(WelcomeToolsHeading), -1, -1, 0, nullptr, nullptr, nullptr, nullptr},
    {3196, T(WelcomeAnalyzerHint), T(WelcomeAnalyzerTitle), 337, 346, 1, nullptr, nullptr, nullptr, nullptr},
    {3129, T(WelcomeAcmHint), T(WelcomeAcmTitle), 338, -1, 1, nullptr, nullptr, nullptr, nullptr},
    {3128, T(WelcomeDevicesHint), T(WelcomeDevicesTitle), 339, -1, 1, nullptr, nullptr, nullptr, nullptr},
};
#undef T

const char* text(u32 id) { return ravoText((RavoText)id); }

// The heading font, made once from the interface font and kept for the process.
HFONT headingFont() {
    static HFONT font = [] {
        LOGFONTA record = {};
        FontHolder* base = getMessageFont();
        if (base && base->font) GetObjectA(base->font, sizeof record, &record);
        record.lfWeight = FW_BOLD;
        record.lfHeight = record.lfHeight ? record.lfHeight * 5 / 4 : -16;
        return CreateFontIndirectA(&record);
    }();
    return font;
}

const char* actionTitle(i32 id) {
    GActionItem* action = actionById(id);
    return action ? action->titleText() : "";
}

// Every mouse move of the page's window goes by the page.
class MouseFilter : public GItemBase {
public:
    explicit MouseFilter(WelcomePage* page) : page(page) {}
    bool filterMessage(tagMSG* message) override {
        if (message->message != WM_MOUSEMOVE || !page->window || !page->window->hwnd || !page->visible()) return false;
        HWND top = page->window->hwnd;
        if (message->hwnd != top && !IsChild(top, message->hwnd)) return false;
        POINT at{(i16)LOWORD(message->lParam), (i16)HIWORD(message->lParam)};
        MapWindowPoints(message->hwnd, top, &at, 1);
        try {
            page->hoverAt(at.x, at.y);
        } catch (...) {
        }
        return false;
    }
    WelcomePage* page;
};
}  // namespace

WelcomePage::WelcomePage(GWindow* window) : GPlacer(window), mouseFilter(new MouseFilter(this)) {
    helpPage = "index.htm";
    kindRecord = programWindowKind(KindWelcome);
    memcpy(links, kLinks, sizeof links);
    GColumnsItem* page = new GColumnsItem(window);
    setLayoutDigits(page, "00000");
    addChild(page);
    GLayoutBuilder builder(window);
    builder.current = page;

    GColumnsItem* header = GColumnsItem::create(builder, "88888", "U^|^");
    picture = WelcomeLink::create(builder, ProductImage, "|^");
    GRowItem::create(builder, "0");
    setAlignmentCode(builder.current, "|^");
    GButton::create(builder, actionTitle(498), 0, 498, "<^");
    builder.endContainer();
    GRowItem::create(builder, "08");
    setAlignmentCode(builder.current, "|^");
    GButton::create(builder, actionTitle(301), 0, 301, "<^");
    GButton::create(builder, actionTitle(101), 0, 101, "<^");
    builder.endContainer();
    GLabel::create(builder, ravoText(RavoText::WelcomeIntro), 0, "|C");
    builder.endContainer();
    (void)header;

    GRowItem* columns = GRowItem::create(builder, "88888");
    setAlignmentCode(columns, "UC");
    GColumnsItem::create(builder, "00000", "U^");
    for (WelcomeLinkRecord& link : links) {
        if (link.image == LinkHeading) {
            GLabel* heading = GLabel::create(builder, text(link.title), 0, "<^");
            heading->setFont(headingFont(), false);
        } else if (link.image == LinkNewColumn) {
            builder.endContainer();
            GColumnsItem::create(builder, "00000", "U^");
        } else if (link.image == LinkStretch) {
            GSpacer::createDefault(builder);
        } else {
            link.row = GRowItem::create(builder, "0");
            setAlignmentCode(link.row, "U^");
            link.icon = addImageLabel(builder, link.image, 0, "<C");
            link.linkButton = GButton::create(builder, text(link.title), 0, (u32)link.tabAction, "U^");
            if (link.openAction >= 0) link.openButton = GButton::create(builder, ">>", ButtonCompact, (u32)link.openAction, ">C");
            for (GButton* button : {link.linkButton, link.openButton})
                if (button && button->hwnd) EnableWindow(button->hwnd, link.enabled != 0);
            builder.endContainer();
        }
    }
    builder.endContainer();
    builder.endContainer();

    statusLine = GStatusLine::create(builder);
    setAlignmentCode(statusLine, "Uv");
    if (GApplication* app = application()) ListenerChain::append(app->filterList, mouseFilter->lifeRecord());
}

WelcomePage::~WelcomePage() { delete mouseFilter; }

u32 WelcomePage::windowKind() { return KindWelcome; }

const char* WelcomePage::firstCaption() { return kindRecord ? kindRecord->displayName() : "Welcome"; }

i32 WelcomePage::rowAt(i32 x, i32 y) {
    for (u32 i = 0; i < WelcomeLinkCount; ++i) {
        GRowItem* row = links[i].row;
        if (!row) continue;
        const RECT& r = row->rect;
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return (i32)i;
    }
    return -1;
}

void WelcomePage::hoverAt(i32 x, i32 y) {
    i32 row = rowAt(x, y);
    GString hover;
    if (row < 0) {
        stringAssignText(hover, ravoText(RavoText::WelcomeDefaultHint));
    } else {
        stringAssignText(hover, text(links[row].description));
        if (links[row].openAction >= 0) stringAppend(hover, ravoText(RavoText::WelcomeOpenHint));
    }
    if (statusWrites && stringEquals(hover, shownText.c_str())) return;
    shownText = hover;
    ++statusWrites;
    if (statusLine) statusLine->setFieldText(0, hover.c_str());
}

namespace {
GPlacer* makeWelcomePage(GWindow* parent) { return new WelcomePage(parent); }
}  // namespace

void registerWelcomePage() { registerPageMaker(KindWelcome, makeWelcomePage); }
