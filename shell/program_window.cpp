#include "shell/program_window.h"

#include <windows.h>

#include "app/options_dialog.h"
#include "app/program_texts.h"
#include "app/window_kinds.h"
#include "core/localizer.h"
#include "gui/dialogs/action_customize_dialog.h"
#include "gui/dialogs/color_select_dialog.h"
#include "gui/dialogs/key_table_window.h"
#include "gui/dialogs/select_dialog.h"
#include "gui/controls/page_stack.h"
#include "gui/frame/file_placer.h"
#include "gui/frame/help.h"
#include "gui/frame/page_factory.h"
#include "gui/frame/tab_placer.h"
#include "gui/input/system_input.h"
#include "gui/kernel/application.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/layout_transaction.h"
#include "gui/layout/strip_item.h"
#include "gui/menus/action_table.h"
#include "gui/menus/key_bindings.h"
#include "gui/menus/menu.h"
#include "gui/menus/popup_menu.h"
#include "gui/paint/image_list_cache.h"
#include "gui/views/tab.h"
#include "mm/mm_settings.h"
#include "shell/about_window.h"
#include "shell/command_line.h"
#include "setup/update_dialog.h"
#include "setup/update_step.h"
#include "shell/startup_steps.h"
#include "tools/repair_wave_in_dialog.h"
#include "tools/repair_wave_out_dialog.h"
#include "tools/wave_options_dialog.h"

const u32 windowFamilyKinds[9] = {KindAnalyzer, KindAcm,       KindDevices, KindConverter, KindSpectrum,
                                  KindNotesEditor, KindEditor, KindWelcome, KindInstrument};

namespace {
// The item popup's pictures.
const u32 kAssignKeyImage = 3055, kRemoveKeyImage = 9015, kKeyListImage = 9024, kMenuImage = 3186,
          kToolBarImage = 3187;

u32 g_restored = 0;

bool isFamilyDisabled(u32 command) {
    if (command < 328 || command > 363) return false;
    u32 kind = windowFamilyKinds[(command - 328) % 9];
    return kind == KindNotesEditor || kind == KindInstrument;
}

std::vector<ProgramWindow*> programWindows() {
    std::vector<ProgramWindow*> list;
    for (GParentWindow* w : GAppWindow::windowListOrder())
        if (ProgramWindow* p = dynamic_cast<ProgramWindow*>(w)) list.push_back(p);
    return list;
}

// Selects the first page of the kind from the index on (wrapping); false when there is none.
bool selectPageOfKind(GTabPlacer* placer, u32 kind, i32 from) {
    i32 count = placer ? placer->pageCount() : 0;
    for (i32 n = 0; n < count; ++n) {
        i32 i = (from + n) % count;
        GPlacer* page = placer->pageAt(i);
        if (page && page->windowKind() == kind) {
            placer->strip->select(i);
            return true;
        }
    }
    return false;
}

const char* choiceText(ItemChoice choice) {
    switch (choice) {
    case ItemChoice::AssignKey: return ravoText(RavoText::PopupAssignKey);
    case ItemChoice::RemoveKey: return ravoText(RavoText::PopupRemoveKey);
    case ItemChoice::KeyList: return ravoText(RavoText::PopupKeyList);
    case ItemChoice::CustomizeMenu: return ravoText(RavoText::PopupCustomizeMenu);
    case ItemChoice::CustomizeToolBar: return ravoText(RavoText::PopupCustomizeToolBar);
    }
    return "";
}
}  // namespace

SIZE mainWindowSize(i32 screenWidth, i32 screenHeight) {
    auto fit = [](i32 screen, i32 least) {
        i32 size = screen * 3 / 4;
        if (size < least) size = least;
        return size > screen ? screen : size;
    };
    return SIZE{fit(screenWidth, 800), fit(screenHeight, 600)};
}

SIZE ProgramWindow::getPreferredSize() {
    return mainWindowSize(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

GTabPlacer* ProgramWindow::tabPlacer() {
    return placer && placer->windowKind() == TypeTabbedPlacer ? static_cast<GTabPlacer*>(placer) : nullptr;
}

GPlacer* ProgramWindow::currentPage() {
    if (GTabPlacer* tabs = tabPlacer()) return tabs->currentPage();
    return placer;
}

void ProgramWindow::restoreContent(GBag* blocks) {
    if (placer) placer->restorePage(blocks);
}

GPlacer* ProgramWindow::addPage(u32 kind) {
    if (GTabPlacer* tabs = tabPlacer()) return tabs->addPageOfKind(kind);
    PageFactory* factory = pageFactory();
    GPlacer* page = factory ? factory->create(this, kind) : nullptr;
    if (!page) return nullptr;
    LayoutTransaction transaction(this);
    GLayoutItem* column = content ? content->asLayoutItem() : nullptr;
    if (column && placer) {
        i32 at = placer->index;
        placer->detach();
        column->removeAt(at);
        column->insertChild(at, page);
    }
    placer = page;
    pageKindWord = (i32)kind;
    currentKind = page->kindRecord;
    page->updateTitle();
    updateSystemMenu(this);
    return page;
}

void ProgramWindow::scanToKind(u32 kind) {
    GTabPlacer* tabs = tabPlacer();
    if (tabs && selectPageOfKind(tabs, kind, tabs->pages->current + 1)) return;
    for (ProgramWindow* other : programWindows()) {
        if (other == this) continue;
        if (selectPageOfKind(other->tabPlacer(), kind, 0)) {
            activateWindow(other);
            return;
        }
    }
    addPage(kind);
}

std::vector<ItemPopupEntry> ProgramWindow::itemPopupEntries(i32 actionId, u32 mode) {
    std::vector<ItemPopupEntry> entries;
    GActionItem* action = actionId >= 0 ? actionById(actionId) : nullptr;
    if (action && !(action->flags & ActionNotForKeys)) {
        entries.push_back({ItemChoice::AssignKey, kAssignKeyImage});
        WindowKind* kind = windowKindOf(this);
        i32 context = kind ? (i32)kind->typeId : -1;
        if (findKeyBinding(actionId, context) || findKeyBinding(actionId, -1))
            entries.push_back({ItemChoice::RemoveKey, kRemoveKeyImage});
        entries.push_back({ItemChoice::KeyList, kKeyListImage});
    }
    if (mode != 2) entries.push_back({ItemChoice::CustomizeMenu, kMenuImage});
    if (mode != 1) entries.push_back({ItemChoice::CustomizeToolBar, kToolBarImage});
    return entries;
}

void ProgramWindow::showItemPopup(i32 actionId, u32 mode) {
    std::vector<ItemPopupEntry> entries = itemPopupEntries(actionId, mode);
    GPopupMenu menu;
    for (const ItemPopupEntry& entry : entries)
        appendMenuItem(menu, choiceText(entry.choice), getImageList(entry.imageId), (i32)entry.choice, 0);
    POINT at{0, 0};
    systemInput.cursorPos(&at);
    i32 chosen = TrackPopupMenu(menu.menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, hwnd, nullptr);
    SendMessageA(hwnd, WM_CANCELMODE, 0, 0);
    WindowKind* kind = windowKindOf(this);
    switch ((ItemChoice)chosen) {
    case ItemChoice::CustomizeMenu: GActionCustomizeDialog::run(this, 0, kind); break;
    case ItemChoice::CustomizeToolBar: GActionCustomizeDialog::run(this, 1, kind); break;
    case ItemChoice::RemoveKey:
        removeKeyBinding(actionId, kind ? (i32)kind->typeId : -1);
        saveKeyBindings();
        break;
    case ItemChoice::AssignKey:
    case ItemChoice::KeyList:
        GKeyCustomizeDialog::run(this);
        saveKeyBindings();
        break;
    default: break;
    }
}

void ProgramWindow::selectWindow() {
    std::vector<GParentWindow*> windows = windowListOrder();
    std::vector<GString> titles;
    std::vector<const char*> items;
    i32 current = -1;
    for (GParentWindow* w : windows) titles.push_back(w->getText());
    for (size_t i = 0; i < windows.size(); ++i) {
        items.push_back(titles[i].c_str());
        if (windows[i] == this) current = (i32)i;
    }
    i32 chosen = current;
    if (!GSelectDialog::run(current, this, ravoText(RavoText::WindowListTitle), nullptr, items.data(), (i32)items.size(),
                            &chosen))
        return;
    if (chosen >= 0 && chosen < (i32)windows.size() && !windows[chosen]->destroyed()) activateWindow(windows[chosen]);
}

i32 ProgramWindow::mainCommandState(u32 command) {
    if (command >= 328 && command <= 363) return isFamilyDisabled(command) ? CommandDisabled : CommandEnabled;
    switch (command) {
    case 301: case 302: case 201: case 202: case 205: case 206: case 304: case 305: case 306: case 312:
    case 364: case 442: case 443: case 444: case 590: case 591: case 623:
        return CommandEnabled;
    case 102: case 103: case 110: case 476: case 493: case 494: case 495: case 496: case 498: case 563: {
        GPlacer* page = currentPage();
        return page && (page->placerFlags & PlacerBusy) ? CommandDisabled : CommandEnabled;
    }
    case 388: case 389: case 475:
        return objectWindowCount < 2 ? CommandDisabled : CommandEnabled;
    default:
        return CommandUnknown;
    }
}

bool ProgramWindow::mainCommand(u32 command, GStateQuery*) {
    if (command >= 328 && command <= 363) {
        u32 family = (command - 328) / 9, kind = windowFamilyKinds[(command - 328) % 9];
        if (family == 0) {
            createObjectWindow(TypeTabbedPlacer, (i32)kind, nullptr, 1);
        } else if (family == 1) {
            addPage(kind);
        } else if (family == 2) {
            GPlacer* page = addPage(kind);
            if (GFilePlacer* document = page ? static_cast<GFilePlacer*>(page->asDocumentPlacer()) : nullptr)
                document->onOpenCommand();
        } else {
            scanToKind(kind);
        }
        return true;
    }
    switch (command) {
    case 364: PostMessageA(hwnd, WM_CLOSE, 0, 0); return true;
    case 388:
    case 389: {
        std::vector<ProgramWindow*> windows = programWindows();
        if (windows.empty()) return true;
        ProgramWindow* next = windows.back();
        if (command == 388)
            for (size_t i = 0; i < windows.size(); ++i)
                if (windows[i] == this) next = windows[(i + 1) % windows.size()];
        activateWindow(next);
        return true;
    }
    case 444: createObjectWindow(TypeTabbedPlacer, -1, nullptr, 1); return true;
    case 475: selectWindow(); return true;
    case 476:
        if (showMessageBox(&mbQuestion, this, ravoText(RavoText::ResetQuestion)) == IDYES) quitApplication("-Reset");
        return true;
    case 493:
    case 494: GActionCustomizeDialog::run(this, command == 493 ? 0 : 1, windowKindOf(this)); return true;
    case 495: GKeyCustomizeDialog::run(this); return true;
    case 496: GColorSelectDialog::run(this); return true;
    case 498: selectLanguageAndRestart(this); return true;
    case 563:
        if (tabPlacer()) runOptionsDialog(this);
        return true;
    case 590:
    case 591: {
        ProgramWindow* made = createObjectWindow(TypeTabbedPlacer, -1, nullptr, 1);
        if (!made) return true;
        if (command == 590)
            restore(this, made);
        else
            maximize(this, made);
        return true;
    }
    case 102:
        // A command of the item itself carries no item: the popup of the window's own item.
    case 103: showItemPopup(102, 0); return true;
    case 110: askSaveAllDocuments(); return true;
    case 201: GWaveOptionsDialog::runPlayOptions(this, &multimediaSettings().sound); return true;
    case 202: GWaveOptionsDialog::runRecordOptions(this, &multimediaSettings().sound); return true;
    case 205: GRepairWaveOutDialog::run(this, &multimediaSettings().sound); return true;
    case 206: GRepairWaveInDialog::run(this, &multimediaSettings().sound); return true;
    case 623: UpdateDialog::run(this, updateChecker()); return true;
    case 301: AboutWin::run(this); return true;
    case 302: openWebPage(this); return true;
    case 304: openHelp("all.htm", this); return true;
    case 305: openHelp("index.htm", this); return true;
    case 306:
        if (!helpPage) return false;
        openHelp(helpPage, this);
        return true;
    case 312: requestQuit(); return true;
    default: return false;
    }
}

bool ProgramWindow::answerStateQuery(u32 kind, GStateQuery* query) {
    if (kind == RequestCustomizeAction) {
        showItemPopup((i32)query->command, 1);
        return true;
    }
    i32 state = mainCommandState(query->command);
    if (kind == QueryEnabled && state != CommandUnknown) {
        query->answer = state;
        return true;
    }
    if (kind == QueryExecute) {
        if (state == CommandDisabled) return true;
        if (state == CommandEnabled && mainCommand(query->command, query)) return true;
    }
    return GObjectWindow::answerStateQuery(kind, query);
}

ProgramWindow* createObjectWindow(i32 pageKindWord, i32 windowKind, GBag* layout, i32 showMode) {
    ProgramWindow* window = new ProgramWindow;
    if (!createTopLevelWindow(window, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, "")) {
        delete window;
        return nullptr;
    }
    GColumnsItem* column = new GColumnsItem(window);
    setLayoutDigits(column, "00000");
    window->dock = new GStripItem(window, TopDockKey, 0);
    setAlignmentCode(window->dock, "U^");
    column->addChild(window->dock);
    GPlacer* page = nullptr;
    if (pageKindWord == (i32)TypeTabbedPlacer) {
        page = new GTabPlacer(window, programWindowKind(KindDefault));
    } else if (PageFactory* factory = pageFactory()) {
        page = windowKind >= 0 ? factory->create(window, (u32)windowKind) : nullptr;
    }
    if (!page) {
        DestroyWindow(window->hwnd);
        return nullptr;
    }
    setAlignmentCode(page, "UC");
    column->addChild(page);
    window->placer = page;
    window->pageKindWord = pageKindWord == (i32)TypeTabbedPlacer ? pageKindWord : (i32)page->windowKind();
    window->setContent(column);
    window->currentKind = page->kindRecord;
    SIZE size = window->getPreferredSize();
    SetWindowPos(window->hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GAppWindow::updateSystemMenu(window);
    if (pageKindWord == (i32)TypeTabbedPlacer && windowKind >= 0) window->tabPlacer()->addPageOfKind((u32)windowKind);
    page->updateTitle();
    GAppWindow::refreshFrame(window);
    if (layout) window->restorePlacement(*layout, false);
    if (showMode == 1) {
        if (!layout) {
            placeOnMonitor(window, PlaceCentreOnOwner, PlaceCentreOnOwner);
            if (otherAppWindow(window)) cascadeFrom(window);
        }
        window->show(window->placementShow);
    }
    return window;
}

void beginWindowRestore() { g_restored = 0; }

GAppWindow* rebuildMainWindow(i32 n) {
    if (n == -1 || n == -2) {
        ProgramWindow* window = createObjectWindow(TypeTabbedPlacer, n == -1 ? (i32)KindWelcome : -1, nullptr, 2);
        if (window) {
            placeOnMonitor(window, PlaceCentreOnOwner, PlaceCentreOnOwner);
            window->show(SW_SHOWNORMAL);
        }
        return nullptr;
    }
    if (n != (i32)TypeObjectWindow || g_restored >= MaxRestoredWindows) return nullptr;
    ProgramWindow* window = createObjectWindow(TypeTabbedPlacer, -1, nullptr, 2);
    if (window) ++g_restored;
    return window;
}
