#include "tests/editor/editor_page_fixture.h"

#include <gtest/gtest.h>

#include "editor/wave_pane.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_cell.h"
#include "tests/mm/sound_bytes.h"
#include "tests/mm/sox_tool.h"

namespace {

std::vector<std::string> shownBoxes;

i32 recordPageBox(const MessageBoxDescription*, GWindow*, const char* text) {
    shownBoxes.push_back(text ? text : "");
    return IDOK;
}

}  // namespace

EditorPage::EditorPage() {
    shownBoxes.clear();
    setMessageBoxSink(recordPageBox);
    createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 640, 360, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    page = new EditorWindow(&owner);
    owner.setContent(page);
    page->setRect(RECT{0, 0, 640, 360});
}

EditorPage::~EditorPage() {
    pumpUntil([&] { return !page->running(); });
    page->stopPlayback(false, true);
    setMessageBoxSink(nullptr);
    destroyHidden(owner.hwnd);
}

std::string EditorPage::make(const std::string& format, const std::string& synth) {
    std::string path = dir.file("s" + std::to_string(++sounds) + ".wav");
    EXPECT_EQ(0, runSox("-n " + format + " \"" + unixPath(path) + "\" " + synth));
    return path;
}

bool EditorPage::open(const std::string& path) {
    page->loadDocument(path.c_str(), nullptr);
    return page->hasDocument && page->dataLength > 0;
}

bool EditorPage::command(u32 id) {
    GStateQuery query{id, 0};
    return routeCommandUp(page->pane, QueryExecute, &query);
}

std::string EditorPage::bytes() {
    return storeSamples(page->store);
}

std::vector<std::string> EditorPage::takeBoxes() {
    std::vector<std::string> out;
    out.swap(shownBoxes);
    return out;
}

std::string devicePlayed() { return readWholeFile(deviceOutputPath()); }

void clearDeviceOutput() { DeleteFileA(deviceOutputPath().c_str()); }
