// The message-box entry and its error queue through the run seam (boxes built for real, their
// runs recorded), then a few real boxes run modally and ended from a timer of their run.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/task_queue.h"
#include "core/localizer.h"
#include "gui/controls/button.h"
#include "gui/controls/button_row.h"
#include "gui/controls/image_label.h"
#include "gui/controls/multi_label.h"
#include "gui/dialogs/message_box_window.h"
#include "gui/kernel/error_queue.h"
#include "gui/kernel/message_boxes.h"
#include "gui/kernel/gui_texts.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/toolkit_steps.h"
#include "gui/kernel/window_placement.h"
#include "gui/kernel/window_procedure.h"
#include "tests/gui/box_recorder.h"
#include "tests/gui/dialogs/modal_script.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/input_fixture.h"

namespace {
// What a run of a box saw.
struct Seen {
    std::string title, text;
    std::vector<std::string> captions;
    u32 defaultId = 0;
    bool operator==(const Seen& o) const {
        return title == o.title && text == o.text && captions == o.captions && defaultId == o.defaultId;
    }
};
std::ostream& operator<<(std::ostream& out, const Seen& s) {
    out << s.title << " | " << s.text << " |";
    for (const std::string& c : s.captions) out << " " << c;
    return out << " | default " << s.defaultId;
}

Seen look(GMessageBox* box) {
    Seen s;
    char title[256] = {};
    GetWindowTextA(box->hwnd, title, sizeof title);
    s.title = title;
    s.text = box->label->text.c_str();
    for (int i = 0; i < box->buttonRow->childCount(); ++i) {
        GButton* b = static_cast<GButton*>(box->buttonRow->childAt(i)->asChildWindow());
        s.captions.push_back(b->text.c_str());
        if (b->isDefaultButton()) s.defaultId = (u32)GetWindowLongA(b->hwnd, GWL_ID);
    }
    return s;
}

// The run seam for a test: every run is looked at, then answered by `answer` (the default button
// when unset).
struct RunSeam {
    RunSeam() {
        current = this;
        setMessageBoxRunner(run);
    }
    ~RunSeam() {
        setMessageBoxRunner(recordMessageBox);
        current = nullptr;
    }
    static i32 run(GMessageBox* box, i32 placement) {
        RunSeam* s = current;
        s->seen.push_back(look(box));
        s->placements.push_back(placement);
        if (s->log) s->log->push_back("box " + std::string(box->message.c_str()));
        if (s->during) s->during(box);
        return s->answer ? s->answer(box) : (i32)box->description->defaultButton;
    }
    std::vector<Seen> seen;
    std::vector<i32> placements;
    std::vector<std::string>* log = nullptr;
    std::function<void(GMessageBox*)> during;
    std::function<i32(GMessageBox*)> answer;
    static inline RunSeam* current = nullptr;
};

// The pending-error list for the scope, as the first start step makes it.
struct ErrorList {
    ErrorList() { step.start(nullptr, false); }
    ~ErrorList() { step.stop(); }
    CommonControlsStep step;
};

i32 firstOf(GMessageBox*, MessageBoxExtraAction*) { return 1; }
}  // namespace

TEST(MessageBoxService, BoxesAreBuiltFromTheirDescriptions) {
    TestApplication app;
    RunSeam seam;
    struct Case {
        const MessageBoxDescription* d;
        const char* text;
        i32 answer;
        Seen seen;
    } cases[] = {
        {&mbInformation, "Saved", 1, {"Information", "Saved.", {"OK"}, 1}},
        {&mbWarning, "Overwrite the file?", 2, {"Warning", "Overwrite the file?", {"OK", "Cancel"}, 2}},
        {&mbQuestion, "Keep 2 tracks", 6, {"Question", "Keep 2 tracks.", {"&Yes", "&No"}, 6}},
        {&mbQuestion, "Stop now!", 6, {"Question", "Stop now!", {"&Yes", "&No"}, 6}},
        {&mbInformation, "Done.", 1, {"Information", "Done.", {"OK"}, 1}},
        {&mbInformation, "Ends in \xE9", 1, {"Information", "Ends in \xE9.", {"OK"}, 1}},
        {&mbInformation, "Count: 7", 1, {"Information", "Count: 7.", {"OK"}, 1}},
        {&mbInformation, "Ends in (x)", 1, {"Information", "Ends in (x)", {"OK"}, 1}},
    };
    for (const Case& c : cases) {
        seam.seen.clear();
        EXPECT_EQ(c.answer, showMessageBox(c.d, nullptr, c.text)) << c.text;
        ASSERT_EQ(1u, seam.seen.size()) << c.text;
        EXPECT_EQ(c.seen, seam.seen[0]);
    }
    EXPECT_EQ(PlaceCentreOnOwnMonitor, seam.placements[0]);

    // Titles and captions follow the language file; the English ones stand in for empty texts.
    struct Restore {
        ~Restore() { restoreDefaultTexts(kxguiModule); }
    } restore;
    kxguiTexts[(u32)GuiText::BoxQuestionTitle] = "Frage";
    kxguiTexts[(u32)GuiText::ButtonYes] = "&Ja";
    kxguiTexts[(u32)GuiText::ButtonNo] = "";
    seam.seen.clear();
    showMessageBox(&mbQuestion, nullptr, "Gut?");
    EXPECT_EQ((Seen{"Frage", "Gut?", {"&Ja", "No"}, 6}), seam.seen.at(0));
}

TEST(MessageBoxService, EmptyTextsAndSubjectsAnswerAtOnceErrorsAnswerZero) {
    TestApplication app;
    RunSeam seam;
    MessageBoxExtraAction empty{"", "caption", firstOf};
    struct Case {
        const MessageBoxDescription* d;
        const char* text;
        MessageBoxExtraAction* extra;
        i32 answer;
    } cases[] = {
        {&mbQuestion, "Replace it?", &empty, 6}, {&mbWarning, "Replace it?", &empty, 1},
        {&mbError, "Replace it?", &empty, 1},    {&mbQuestion, "", nullptr, 6},
        {&mbWarning, nullptr, nullptr, 1},       {&mbError, "", nullptr, 1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.answer, showMessageBox(c.d, nullptr, c.text, c.extra));
    EXPECT_TRUE(seam.seen.empty());

    // An error answers 0 on the interface thread too; its box comes with the loop's tasks.
    ErrorList list;
    EXPECT_EQ(0, showMessageBox(&mbError, nullptr, "Disk full"));
    EXPECT_TRUE(seam.seen.empty());
    EXPECT_EQ(1u, pendingErrorCount());
    EXPECT_TRUE(pumpUntil([&] { return !seam.seen.empty(); }));
    EXPECT_EQ((Seen{"Error", "Disk full.", {"OK"}, 1}), seam.seen.at(0));
    EXPECT_EQ(PlaceCentreOnOwner, seam.placements.at(0));
    EXPECT_EQ(0u, pendingErrorCount());
}

TEST(MessageBoxService, ErrorsWaitInOrderWithTheNextCaptionAndOverflowOnce) {
    TestApplication app;
    RunSeam seam;
    ErrorList list;
    std::vector<std::string> lastCaptions;
    int arriving = 3;
    seam.during = [&](GMessageBox* box) {
        // More errors arrive while the first box is open; its last button moves on to them.
        if (seam.seen.size() == 1) {
            for (int i = 0; i < arriving; ++i) showErrorF(nullptr, "Error %d", i + 2);
            TaskQueue::runPending(*uiTaskQueue());
        }
        lastCaptions.push_back(box->lastButton->text.c_str());
    };
    showMessageBox(&mbError, nullptr, "Error 1");
    EXPECT_TRUE(pumpUntil([&] { return seam.seen.size() == 4; }));
    std::vector<std::string> texts;
    for (const Seen& s : seam.seen) texts.push_back(s.text);
    EXPECT_EQ((std::vector<std::string>{"Error 1.", "Error 2.", "Error 3.", "Error 4."}), texts);
    const std::string next = guiText(GuiText::BoxNextMessage);
    EXPECT_EQ((std::vector<std::string>{next, next, next, "OK"}), lastCaptions);

    // 25 while one is open: 20 wait, then the notice, then nothing until the list drains.
    seam.seen.clear();
    arriving = 25;
    seam.during = [&](GMessageBox*) {
        if (seam.seen.size() != 1) return;
        for (int i = 0; i < arriving; ++i) showErrorF(nullptr, "Error %d", i + 2);
        EXPECT_EQ(21u, pendingErrorCount());
        EXPECT_TRUE(pendingErrorsOverflowed());
    };
    showMessageBox(&mbError, nullptr, "Error 1");
    EXPECT_TRUE(pumpUntil([&] { return seam.seen.size() == 22; }));
    EXPECT_EQ("Error 21.", seam.seen[20].text);
    EXPECT_EQ(guiText(GuiText::BoxMessagesDropped), seam.seen[21].text);
    EXPECT_FALSE(pendingErrorsOverflowed());
    seam.during = nullptr;
    showMessageBox(&mbError, nullptr, "Accepted again");
    EXPECT_TRUE(pumpUntil([&] { return seam.seen.size() == 23; }));
    EXPECT_EQ("Accepted again.", seam.seen.back().text);
}

TEST(MessageBoxService, WorkersQueueErrorsWhileAnotherWaitsOnAQuestion) {
    TestApplication app;
    RunSeam seam;
    ErrorList list;
    std::atomic<int> done{0};
    std::atomic<i32> answer{-1};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < 4; ++i) showErrorF(nullptr, "Worker %d error %d", w, i);
            ++done;
        });
    workers.emplace_back([&] {
        answer = showMessageBox(&mbQuestion, nullptr, "Go on?");
        ++done;
    });
    EXPECT_TRUE(pumpUntil([&] { return done == 5 && seam.seen.size() == 17; }, 5000));
    for (std::thread& t : workers) t.join();
    EXPECT_EQ(6, answer);
    EXPECT_EQ(17u, seam.seen.size());
    EXPECT_EQ(0u, pendingErrorCount());
}

TEST(MessageBoxService, QueuedErrorsComeBeforeTheNextModalState) {
    TestApplication app;
    std::vector<std::string> log;
    RunSeam seam;
    seam.log = &log;
    ErrorList list;
    RecordingListener listener(&log, "listener");
    ListenerChain::append(app.app.eventList, listener.lifeRecord());
    showError("First");
    {
        ModalScope scope(nullptr, nullptr);
        showError("Second");
        postModalEvent(&scope);
    }
    EXPECT_EQ((std::vector<std::string>{"box First", "listener.event", "box Second", "listener.event",
                                        "listener.event"}),
              log);
}

TEST(MessageBoxService, WithoutTheListErrorsAreShownAtOnceOrCarriedFromAWorker) {
    TestApplication app;
    RunSeam seam;
    ASSERT_FALSE(pendingBoxListExists());
    showError("Before the start");
    ASSERT_EQ(1u, seam.seen.size());
    std::thread worker([] { showError("From a worker"); });
    worker.join();
    EXPECT_EQ(1u, seam.seen.size());
    EXPECT_TRUE(pumpUntil([&] { return seam.seen.size() == 2; }));
    EXPECT_EQ("From a worker.", seam.seen[1].text);
}

namespace {
// The modal run in place of the recorder for the scope.
struct RealBoxes {
    RealBoxes() { setMessageBoxRunner(nullptr); }
    ~RealBoxes() { setMessageBoxRunner(recordMessageBox); }
};

GMessageBox& asBox(GDialog& d) { return static_cast<GMessageBox&>(d); }

void pressKey(GDialog& d, u32 vk) {
    PostMessageA(d.hwnd, WM_KEYDOWN, vk, 0);
    PostMessageA(d.hwnd, WM_KEYUP, vk, 0xC0000000);
}

// How many distinct colours a window's client area shows.
size_t coloursIn(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    std::vector<COLORREF> seen;
    for (i32 y = 0; y < r.bottom; ++y)
        for (i32 x = 0; x < r.right; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
        }
    ReleaseDC(window, dc);
    return seen.size();
}

RECT rectIn(HWND window, HWND parent) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

TEST(MessageBoxWindow, OnlyAButtonEndsABoxWithoutCancelEscEndsAWarning) {
    TestApplication app;
    RealBoxes real;
    bool openAfter = false;
    ModalScript yesNo(TypeMessageBox, {
        [](GDialog& d) {
            pressKey(d, VK_ESCAPE);
            PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
            PostMessageA(d.hwnd, WM_COMMAND, 2, 0);
        },
        [&](GDialog& d) {
            openAfter = IsWindow(d.hwnd) && d.result == -1;
            ModalScript::unmark(d);
            asBox(d).cancelButton->click();
        },
    });
    EXPECT_EQ(7, showMessageBox(&mbQuestion, nullptr, "Keep the take?"));
    EXPECT_TRUE(openAfter);

    struct Case {
        const char* what;
        std::function<void(GDialog&)> act;
    } cases[] = {
        {"Esc", [](GDialog& d) { pressKey(d, VK_ESCAPE); }},
        {"the close box", [](GDialog& d) { PostMessageA(d.hwnd, WM_CLOSE, 0, 0); }},
    };
    for (const Case& c : cases) {
        ModalScript warning(TypeMessageBox, {[&](GDialog& d) {
            ModalScript::unmark(d);
            c.act(d);
        }});
        EXPECT_EQ(2, showMessageBox(&mbWarning, nullptr, "Overwrite?")) << c.what;
    }
}

TEST(MessageBoxWindow, TheExtraActionDecidesWhetherTheBoxEnds) {
    TestApplication app;
    RealBoxes real;
    struct Count {
        static i32 act(GMessageBox* box, MessageBoxExtraAction* extra) {
            int& calls = *static_cast<int*>(extra->data);
            EXPECT_TRUE(box->isKindOf(TypeMessageBox));
            return ++calls == 1 ? -1 : 7;
        }
    };
    int calls = 0;
    MessageBoxExtraAction extra{"take 3", "Applies to take 3", Count::act, &calls};
    bool openAfterFirst = false;
    std::string caption;
    ModalScript script(TypeMessageBox, {
        [&](GDialog& d) {
            GMessageBox& box = asBox(d);
            ASSERT_NE(nullptr, box.buttonRow);
            PostMessageA(d.hwnd, WM_COMMAND, 1000, 0);
        },
        [&](GDialog& d) {
            openAfterFirst = IsWindow(d.hwnd) && d.result == -1;
            ModalScript::post(d, 1000);
        },
    });
    EXPECT_EQ(7, showMessageBox(&mbWarning, nullptr, "Delete it?", &extra));
    EXPECT_TRUE(openAfterFirst);
    EXPECT_EQ(2, calls);
}

TEST(MessageBoxWindow, TheIconIsDrawnBesideTheMessage) {
    TestApplication app;
    RealBoxes real;
    size_t iconColours = 0, backgroundColours = 0;
    RECT icon{}, text{};
    ModalScript script(TypeMessageBox, {
        [&](GDialog& d) {
            GMessageBox& box = asBox(d);
            UpdateWindow(d.hwnd);
            RedrawWindow(d.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            iconColours = coloursIn(box.iconLabel->hwnd);
            backgroundColours = coloursIn(box.buttonRow->childAt(0)->asChildWindow()->hwnd);
            icon = rectIn(box.iconLabel->hwnd, d.hwnd);
            text = rectIn(box.label->hwnd, d.hwnd);
            if (getenv("RAVO_KEEP_BOX")) return;
            ModalScript::unmark(d);
            asBox(d).cancelButton->click();
        },
    });
    showMessageBox(&mbQuestion, nullptr, "Save the changes to the sound?");
    EXPECT_GE(iconColours, 4u);
    EXPECT_GT(icon.right - icon.left, 15);
    EXPECT_LE(icon.right, text.left);
    EXPECT_LT(icon.top, text.bottom);
    EXPECT_GT(icon.bottom, text.top);
    (void)backgroundColours;
}

TEST(ModalDialog, TheCloseBoxIsACancelCommand) {
    TestApplication app;
    class Counting : public GDialog {
    public:
        Counting() : GDialog(nullptr, nullptr) {}
        bool onCommand(u32 command, GStateQuery* query) override {
            commands.push_back(command);
            return GDialog::onCommand(command, query);
        }
        std::vector<u32> commands;
    } dialog;
    ASSERT_TRUE(createTopLevelWindow(&dialog, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, "counting"));
    SetWindowPos(dialog.hwnd, nullptr, 10, 10, 120, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    ModalScript script(TypeDialog, {[](GDialog& d) {
        ModalScript::unmark(d);
        PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
    }});
    RECT empty{};
    EXPECT_EQ(2, showModal(&dialog, &empty, PlaceCentreOnOwner));
    EXPECT_EQ((std::vector<u32>{2}), dialog.commands);
    // Modeless, the close box still destroys the window.
    EXPECT_TRUE(IsWindow(dialog.hwnd));
    SendMessageA(dialog.hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(dialog.hwnd));
}

TEST(MessageBoxService, TheOwnerComesForwardWithItsFocusAndMayDieWhileItsErrorWaits) {
    TestApplication app;
    RunSeam seam;
    Log log;
    InputFrame frame(&log, 20, 20, 200, 120);
    Pane* field = (new Pane(&frame, &log, "field"))->place(10, 10, 80, 20);
    SetWindowLongA(field->hwnd, GWL_STYLE, GetWindowLongA(field->hwnd, GWL_STYLE) | WS_TABSTOP);
    GWindow* boxOwner = nullptr;
    HWND focused = nullptr;
    seam.during = [&](GMessageBox* box) {
        boxOwner = box->ownerWindow();
        focused = GetFocus();
    };
    EXPECT_EQ(6, showMessageBox(&mbQuestion, field, "Apply to the field?"));
    EXPECT_EQ(&frame, boxOwner);
    EXPECT_EQ(field->hwnd, focused);
    EXPECT_EQ(field, frame.focusChild);

    // A queued error's box has no parent; an owner gone meanwhile is skipped, the message shown.
    ErrorList list;
    InputFrame* gone = new InputFrame(&log, 40, 40, 100, 80);
    showMessageBox(&mbError, gone, "Owner gone");
    showMessageBox(&mbError, field, "Owner here");
    gone->destroyNative();
    delete gone;
    seam.seen.clear();
    std::vector<GWindow*> owners;
    seam.during = [&](GMessageBox* box) { owners.push_back(box->ownerWindow()); };
    EXPECT_TRUE(pumpUntil([&] { return seam.seen.size() == 2; }));
    EXPECT_EQ("Owner gone.", seam.seen[0].text);
    EXPECT_EQ((std::vector<GWindow*>{nullptr, nullptr}), owners);
    // The focus made the frame active: its end would wait for a window manager.
    SetWindowLongA(frame.hwnd, GWL_STYLE, GetWindowLongA(frame.hwnd, GWL_STYLE) & ~WS_VISIBLE);
}
