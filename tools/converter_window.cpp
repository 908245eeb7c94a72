#include "tools/converter_window.h"

#include <windows.h>

#include <cstring>

#include "app/app_settings.h"
#include "app/window_kinds.h"
#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/frame/app_window.h"
#include "gui/frame/tab_placer.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_placement.h"
#include "gui/layout/grid_layout.h"
#include "gui/layout/layout_builder.h"
#include "gui/views/tab.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"
#include "mm/sound_player.h"
#include "mm/wave_out_player.h"

bool targetNotInEditor(GWindow* owner, const char* path) {
    if (!findWindowForFile(KindEditor, path)) return true;
    GString text;
    stringFormat(text, mmText(MmText::ConverterTargetInEditor), path);
    showMessageBox(&mbError, owner, text.c_str());
    return false;
}

ConverterWindow::ConverterWindow(GWindow* window, WindowKind* kind, GFileDialog* sourceDialog,
                                 GFileDialog* targetDialog, GFolderList* pickList)
    : GAudioConverterPlacer(window, kind, sourceDialog, targetDialog, pickList) {
    SoundSettings& sound = multimediaSettings().sound;
    player = createSoundPlayer(&sound.play, sound.player);
    targetCheck = targetNotInEditor;
    GLayoutBuilder b(window);
    b.current = previewCell;
    addGridLayout(2, 2, b, "<^");
    playSourceButton = GButton::create(b, mmText(MmText::ConverterPlaySource), ButtonToggle, ConverterPlaySource, "U-");
    editSourceButton = GButton::create(b, mmText(MmText::ConverterEditSource), 0, ConverterEditSource, "U-");
    playTargetButton = GButton::create(b, mmText(MmText::ConverterPlayTarget), ButtonToggle, ConverterPlayTarget, "U-");
    editTargetButton = GButton::create(b, mmText(MmText::ConverterEditTarget), 0, ConverterEditTarget, "U-");
    b.endContainer();
}

ConverterWindow::~ConverterWindow() {
    removeTimer(&timer);
    delete player;
}

bool ConverterWindow::openInNewPage() { return appSettings.Converter.openInNewTab != 0; }

bool ConverterWindow::playing() { return player && (player->stateBits() & playerRunning) != 0; }

bool ConverterWindow::onCommand(u32 command, GStateQuery* query) {
    switch (command) {
    case ConverterPlaySource:
    case ConverterPlayTarget:
        preview(command == ConverterPlayTarget);
        return true;
    case ConverterEditSource:
    case ConverterEditTarget:
        edit(command == ConverterEditTarget);
        return true;
    default:
        return GAudioConverterPlacer::onCommand(command, query);
    }
}

GString ConverterWindow::previewName(bool target) {
    GString name;
    if (!target) {
        name = firstSourcePath();
    } else {
        GString pattern = fieldText(targetField);
        if (strchr(pattern.c_str(), '%')) {
            if (!sources.empty()) makeLongFileName(name, firstSourcePath().c_str(), pattern.c_str());
        } else {
            name = pattern;
        }
    }
    if (name.empty() || !pathIsFile(name.c_str())) stringClear(name);
    return name;
}

void ConverterWindow::preview(bool target) {
    GButton* own = target ? playTargetButton : playSourceButton;
    GButton* other = target ? playSourceButton : playTargetButton;
    if (playing()) {
        player->stopAndWait(false);
        if (!other->checked()) {
            own->setChecked(false, false);
            return;
        }
        other->setChecked(false, false);
    }
    // The click has flipped the button; playing shows it pressed.
    own->setChecked(true, false);
    GString name = previewName(target);
    if (!name.empty() && player->play(window, name.c_str())) {
        addTimer(&timer, ConverterPreviewTicks, this, nullptr);
        return;
    }
    if (name.empty()) showMessageBox(&mbError, window, mmText(MmText::ConverterNoFile));
    own->setChecked(false, false);
}

void ConverterWindow::onTimer(TimerRecord* record) {
    if (record != &timer) return;
    if (!playSourceButton->checked() && !playTargetButton->checked()) return;
    if (playing()) return;
    removeTimer(&timer);
    playSourceButton->setChecked(false, false);
    playTargetButton->setChecked(false, false);
}

void ConverterWindow::edit(bool target) {
    GString name = previewName(target);
    if (name.empty()) {
        showMessageBox(&mbError, window, mmText(MmText::ConverterNoFile));
        return;
    }
    openDocumentInWindow(window, KindEditor, name.c_str());
}

GAudioConverterPlacer* openConverterFor(GWindow* owner, const char* source, const char* target) {
    auto rootOf = [](GWindow* w) { return w && w->hwnd ? GetAncestor(w->hwnd, GA_ROOT) : nullptr; };
    GAudioConverterPlacer* page = nullptr;
    if (GPlacer* recent = findRecentPlacer(TypeConverterPlacer)) {
        page = static_cast<GAudioConverterPlacer*>(recent);
        if (GTabPlacer* holder = tabPlacerOf(page)) holder->strip->select(page->index);
    } else {
        for (GPlacer* p = firstPlacer(); p && !page; p = p->nextPlacer) {
            if (p->windowKind() != TypeTabbedPlacer || rootOf(p->window) != rootOf(owner)) continue;
            GPlacer* made = static_cast<GTabPlacer*>(p)->addPageOfKind(TypeConverterPlacer);
            if (made && made->windowKind() == TypeConverterPlacer) page = static_cast<GAudioConverterPlacer*>(made);
        }
    }
    if (!page) return nullptr;
    page->loadDocument(source, nullptr);
    if (target && *target) {
        page->setFieldText(page->targetField, target);
        selectTargetByExtension(page);
    }
    return page;
}
