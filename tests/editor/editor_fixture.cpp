#include "tests/editor/editor_fixture.h"

#include "editor/wave_pane.h"
#include "gui/kernel/message_box.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/action_table.h"
#include "mm/sound_file.h"
#include "tests/mm/sox_tool.h"

namespace {
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    boxes.push_back(text ? text : "");
    if (boxAnswerFor) {
        i32 answer = boxAnswerFor(boxes.back());
        if (answer >= 0) return answer;
    }
    return boxAnswer;
}

i32 setGain(EditorWindow*, u32, SoundBlockProcessor* p) {
    ++handlerCalls;
    p->param1 = gainFactor;
    return 1;
}
}  // namespace

bool shown(RavoText id) {
    std::string text = ravoText(id);
    text = text.substr(0, text.find('%'));
    for (const std::string& b : boxes)
        if (b.compare(0, text.size(), text) == 0) return true;
    return false;
}

void expectSoxGain(EditorWindow* page, const std::string& in, const std::string& out, const char* gain, u32 tracks,
                   size_t from, size_t to) {
    page->writeFile(out.c_str(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !page->running() && !page->job; }, 20000));
    std::string saved = fileSamples(out), original = fileSamples(in);
    std::string scaled = out + ".sox.wav";
    ASSERT_EQ(0, runSox("-D \"" + unixPath(in) + "\" \"" + unixPath(scaled) + "\" vol " + gain));
    std::string expected = fileSamples(scaled);
    ASSERT_EQ(saved.size(), original.size());
    ASSERT_EQ(expected.size(), original.size());
    for (size_t i = 0; i < original.size() / 2; ++i) {
        size_t frame = i / tracks;
        if (frame >= from && frame < to)
            ASSERT_LE(std::abs(sampleAt(saved, i) - sampleAt(expected, i)), 1) << "sample " << i;
        else
            ASSERT_EQ(sampleAt(saved, i), sampleAt(original, i)) << "sample " << i;
    }
}

EditorFixture::EditorFixture() {
    boxes.clear();
    boxAnswer = 6;
    boxAnswerFor = nullptr;
    gainFactor = 0.5;
    handlerCalls = 0;
    setMessageBoxSink(recordBox);
    effectCommandHandler = setGain;
    createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
    SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 640, 360, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    page = new EditorWindow(&owner);
    owner.setContent(page);
    page->setRect(RECT{0, 0, 640, 360});
}

EditorFixture::~EditorFixture() {
    pumpUntil([&] { return !page->running(); });
    effectCommandHandler = [](EditorWindow*, u32, SoundBlockProcessor*) { return 1; };
    setMessageBoxSink(nullptr);
    SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
    DestroyWindow(owner.hwnd);
}

std::string EditorFixture::make(const std::string& format, const std::string& synth) {
    std::string path = dir.file("s" + std::to_string(++sounds) + ".wav");
    EXPECT_EQ(0, runSox("-n " + format + " \"" + unixPath(path) + "\" " + synth));
    return path;
}

bool EditorFixture::open(const std::string& path) {
    page->loadDocument(path.c_str(), nullptr);
    return page->hasDocument && page->dataLength > 0;
}

bool EditorFixture::command(u32 id) {
    GStateQuery query{id, 0};
    return routeCommandUp(page->pane, QueryExecute, &query);
}

void EditorFixture::select(u64 from, u64 to) { page->pane->setSelection(from, to); }

std::string pageBytes(EditorWindow* page) {
    return storeSamples(page->store);
}

std::string EditorFixture::bytes() { return pageBytes(page); }

bool EditorFixture::finished() { return pumpUntil([&] { return !page->running() && !page->job; }, 20000); }
