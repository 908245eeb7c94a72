#include "gui/paint/gui_settings.h"

#include <cstring>

#include "core/bag_file.h"
#include "core/exceptions.h"
#include "core/tagged_record.h"
#include "core/wide_text.h"
#include "gui/kernel/module_instance.h"
#include "gui/paint/colors.h"

GGuiSettings guiSettings;

const char* const kGuiSettingsPath = "$d/kxgui_settings.ini";
const char* const kGuiSettingsSection = "KXGUI";

namespace {
struct SettingsKey {
    const char* name;
    u32 GGuiSettings::*field;
};
struct SettingsSection {
    const char* name;
    const SettingsKey* keys;
    u32 count;
};

// Sections and keys in ascending byte order, the order of writing and of the forward-only reading.
const SettingsKey colorKeys[] = {
    {"background", &GGuiSettings::background}, {"glass", &GGuiSettings::glass},
    {"selection", &GGuiSettings::selection},   {"selectionText", &GGuiSettings::selectionText},
    {"style", &GGuiSettings::style},           {"text", &GGuiSettings::text},
    {"window", &GGuiSettings::window}};
const SettingsKey menuKeys[] = {{"horizontalMenuEffects", &GGuiSettings::horizontalMenuEffects},
                                {"verticalMenuEffects", &GGuiSettings::verticalMenuEffects}};
const SettingsKey tabKeys[] = {{"effects", &GGuiSettings::tabEffects}};
const SettingsKey tableKeys[] = {{"viewFlags", &GGuiSettings::viewFlags}, {"viewMode", &GGuiSettings::viewMode}};
const SettingsKey toolBarKeys[] = {{"effects", &GGuiSettings::toolBarEffects}};
const SettingsKey undoKeys[] = {{"undoCountLimit", &GGuiSettings::undoCountLimit}};

template <u32 N>
constexpr SettingsSection section(const char* name, const SettingsKey (&keys)[N]) {
    return {name, keys, N};
}
const SettingsSection sections[] = {section("Colors", colorKeys),   section("Menu", menuKeys),
                                    section("Tab", tabKeys),         section("Table", tableKeys),
                                    section("ToolBar", toolBarKeys), section("Undo", undoKeys)};
enum { kColors, kMenu, kTab, kTable, kToolBar, kUndo };

void writeSection(GBag& bag, const GGuiSettings& settings, const SettingsSection& s) {
    bagWriteSection(bag, s.name, [&](GBag& b) {
        for (u32 i = 0; i < s.count; ++i) bagWriteValueField(b, s.keys[i].name, settings.*s.keys[i].field);
    });
}

// Reads the known keys of a section found at the position; bagReadSection then puts the position at
// the section's end, past unknown keys and subsections.
void readSection(GBag& bag, GGuiSettings& settings, const SettingsSection& s) {
    bagReadSection(bag, s.name, [&](GBag& b) {
        for (u32 i = 0; i < s.count; ++i) bagReadValueField(b, s.keys[i].name, &(settings.*s.keys[i].field));
    });
}
}  // namespace

void GGuiSettings::writeColors(GBag& bag) const { writeSection(bag, *this, sections[kColors]); }
void GGuiSettings::writeMenu(GBag& bag) const { writeSection(bag, *this, sections[kMenu]); }
void GGuiSettings::writeTab(GBag& bag) const { writeSection(bag, *this, sections[kTab]); }
void GGuiSettings::writeTable(GBag& bag) const { writeSection(bag, *this, sections[kTable]); }
void GGuiSettings::writeToolBar(GBag& bag) const { writeSection(bag, *this, sections[kToolBar]); }
void GGuiSettings::writeUndo(GBag& bag) const { writeSection(bag, *this, sections[kUndo]); }

void GGuiSettings::write(GBag& bag) const {
    for (const SettingsSection& s : sections) writeSection(bag, *this, s);
}

void GGuiSettings::read(GBag& bag) {
    bagSkipFields(bag);
    for (const SettingsSection& s : sections) readSection(bag, *this, s);
    // One further section of any name, skipped whole.
    u32 size;
    u32 start = bag.pos;
    if (bag.pos + 4 <= bag.size && bagGetU32(bag) == RecordKind::SectionStart) {
        size = bagGetU32(bag);
        bagReadText(bag);
        bagSkip(bag, size);
    } else {
        bag.pos = start;
    }
}

bool saveGuiSettings(const GGuiSettings& settings, const char* path, ErrorHandler* handler) {
    GBag bag;
    bagWriteSection(bag, kGuiSettingsSection, [&](GBag& b) { settings.write(b); });
    return saveBagFile(path, bag, bagFileTag("OPTS"), kGuiSettingsVersion, handler);
}

bool loadGuiSettings(GGuiSettings& settings, const char* path, ErrorHandler* handler) {
    GBag bag;
    if (!loadBagFile(path, bag, bagFileTag("OPTS"), kGuiSettingsVersion, handler)) return false;
    try {
        return bagReadSection(bag, kGuiSettingsSection, [&](GBag& b) { settings.read(b); });
    } catch (const GBagException&) {
        return false;
    }
}

// ---- the colour scheme ----

const char* const kToolkitClassNames[4] = {"korvalen_parent", "korvalen_parent_ANSI", "korvalen_user",
                                           "korvalen_user_ANSI"};

static bool isAnsiClass(const char* name) {
    size_t n = strlen(name);
    return n >= 5 && strcmp(name + n - 5, "_ANSI") == 0;
}

void replaceClassBrushes(const char* const* names, u32 count, COLORREF colour) {
    HINSTANCE instance = toolkitInstance();
    for (u32 i = 0; i < count; ++i) {
        bool ansi = isAnsiClass(names[i]);
        HWND window;
        if (ansi) {
            WNDCLASSA info;
            if (!GetClassInfoA(instance, names[i], &info)) continue;
            window = CreateWindowExA(0, names[i], "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
        } else {
            WideString wide = toWide(names[i]);
            WNDCLASSW info;
            if (!GetClassInfoW(instance, wide.c_str(), &info)) continue;
            window = CreateWindowExW(0, wide.c_str(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance, nullptr);
        }
        if (!window) continue;
        HBRUSH brush = CreateSolidBrush(colour);
        LONG_PTR old = ansi ? SetClassLongPtrA(window, GCLP_HBRBACKGROUND, (LONG_PTR)brush)
                            : SetClassLongPtrW(window, GCLP_HBRBACKGROUND, (LONG_PTR)brush);
        // System colour brushes (a colour index + 1) are not objects of ours.
        if ((ULONG_PTR)old > COLOR_MENUBAR + 1) DeleteObject((HGDIOBJ)old);
        DestroyWindow(window);
    }
}

static BOOL CALLBACK invalidateToolkitWindow(HWND window, LPARAM) {
    char name[32];
    if (GetClassNameA(window, name, sizeof name) && strncmp(name, "korvalen_parent", 15) == 0)
        InvalidateRect(window, nullptr, TRUE);
    return TRUE;
}

void applyColorScheme() {
    const GGuiSettings& s = guiSettings;
    ToolkitColors& c = toolkitColors;
    c.background = s.background != kSystemColor ? s.background : sysColor(COLOR_BTNFACE);
    i32 m = (i32)colorBrightness(c.background);
    c.lightShade = setColorBrightness(c.background, m + 50 > 255 ? 255 : m + 50);
    c.darkShade = setColorBrightness(c.background, m - 50 < 0 ? 0 : m - 50);
    c.glass = setColorBrightness(s.glass, 160);
    c.window = s.window != kSystemColor ? s.window : sysColor(COLOR_WINDOW);
    c.text = s.text != kSystemColor ? s.text : sysColor(COLOR_BTNTEXT);
    c.selection = s.selection != kSystemColor ? s.selection : c.glass;
    c.selectionText = s.selectionText != kSystemColor ? s.selectionText : sysColor(COLOR_HIGHLIGHTTEXT);
    switch (s.style) {
        case 0: c.classBackground = c.darkShade; break;
        case 1: c.classBackground = c.background; break;
        case 2: c.classBackground = c.lightShade; break;
        default: break;  // an unknown style keeps the previous class background
    }
    replaceClassBrushes(kToolkitClassNames, 4, c.classBackground);
    EnumThreadWindows(GetCurrentThreadId(), invalidateToolkitWindow, 0);
}
