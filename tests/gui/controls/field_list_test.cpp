// Dialog field validation: which failure is shown, that nothing is written unless every field
// passes, the builder's default list, and the overlap test of rectangles.
#include <gtest/gtest.h>

#include <string>

#include "core/exceptions.h"
#include "gui/kernel/message_box.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"
#include "gui/layout/rect_list.h"
#include "tests/gui/control_fixture.h"

using namespace controls;

namespace {
std::vector<std::string> g_shown;
i32 recordBox(const MessageBoxDescription*, GWindow*, const char* text) {
    g_shown.push_back(text);
    return 0;
}

// A bound field that fails with its name, or writes its value.
class Binding : public GFieldBinding {
public:
    Binding(const char* name, GItemBase* field, bool fails, int* variable, int value)
        : name(name), field(field), fails(fails), variable(variable), value(value) {}
    void check() override {
        if (!fails) return;
        GVerifyException e;
        e.code = 1;
        stringAssignText(e.text, name);
        e.field = field;
        throw e;
    }
    void commit() override { *variable = value; }
    const char* name;
    GItemBase* field;
    bool fails;
    int* variable;
    int value;
};

enum Kind { Fieldless, Hidden, Disabled, Visible, Passing };
}  // namespace

TEST(FieldList, TheBestPlacedFailureIsShownAndNothingIsWritten) {
    Fixture f;
    g_shown.clear();
    setMessageBoxSink(recordBox);
    GColumnsItem* column = new GColumnsItem(f.dialog);
    f.dialog->setContent(column);
    // Fields in build order; the list checks the last built first.
    struct Case {
        std::vector<Kind> fields;
        const char* shown;
    } cases[] = {
        {{Hidden, Visible}, "Visible"},
        {{Visible, Hidden}, "Visible"},
        {{Disabled, Visible}, "Visible"},
        {{Fieldless, Hidden}, "Hidden"},
        {{Visible, Passing, Visible}, "Visible2"},  // equal ranks: the first caught (last built)
        {{Fieldless}, "Fieldless"},
        {{Passing, Passing}, nullptr},
    };
    const char* names[] = {"Fieldless", "Hidden", "Disabled", "Visible", "Passing"};
    for (const Case& c : cases) {
        GFieldList list;
        std::vector<int> variables(c.fields.size(), 0);
        int visibles = 0;
        for (size_t i = 0; i < c.fields.size(); ++i) {
            Kind kind = c.fields[i];
            Patch* window = nullptr;
            if (kind != Fieldless) {
                window = new Patch(f.dialog, RGB(0, 0, 0));
                window->create(WS_CHILD | (kind == Hidden ? 0 : WS_VISIBLE) | (kind == Disabled ? WS_DISABLED : 0));
                column->addChild(window);
                if (kind == Hidden) window->notify(LayoutHide);
            }
            const char* name = names[kind];
            static std::string second = "Visible2";
            if (kind == Visible && ++visibles == 2) name = second.c_str();
            list.link(new Binding(name, window, kind != Passing, &variables[i], 7));
        }
        g_shown.clear();
        bool passed = f.dialog->validate(&list);
        EXPECT_EQ(c.shown == nullptr, passed);
        EXPECT_EQ(c.shown == nullptr, f.dialog->checkOnly(&list));
        if (c.shown) {
            ASSERT_EQ(1u, g_shown.size());
            EXPECT_EQ(c.shown, g_shown[0]);
            for (int v : variables) EXPECT_EQ(0, v);
        } else {
            EXPECT_TRUE(g_shown.empty());
            for (int v : variables) EXPECT_EQ(7, v);
        }
        column->removeAllChildren();
    }
    setMessageBoxSink(nullptr);
}

TEST(FieldList, OkOnADialogValidatesThenCommits) {
    Fixture f;
    g_shown.clear();
    setMessageBoxSink(recordBox);
    int variable = 0;
    Binding* field = new Binding("Refused", nullptr, true, &variable, 5);
    f.dialog->fields.link(field);
    // A refusing field: the error is shown, nothing is written, the dialog stays open.
    SendMessageA(f.dialog->hwnd, WM_COMMAND, IDOK, 0);
    pumpUntil([] { return false; }, 50);
    ASSERT_EQ(1u, g_shown.size());
    EXPECT_EQ("Refused", g_shown[0]);
    EXPECT_EQ(0, variable);
    EXPECT_EQ(-1, f.dialog->result);
    EXPECT_TRUE(IsWindow(f.dialog->hwnd));
    field->fails = false;
    // Valid: the field commits and the dialog ends with OK.
    SendMessageA(f.dialog->hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(f.dialog->hwnd); }));
    EXPECT_EQ(5, variable);
    EXPECT_EQ(IDOK, f.dialog->result);
    EXPECT_EQ(1u, g_shown.size());
    setMessageBoxSink(nullptr);
}

TEST(FieldList, BuildersOnADialogLinkIntoItsList) {
    Fixture f;
    GLayoutBuilder builder(f.dialog);
    EXPECT_EQ(&f.dialog->fields, builder.fieldList);
    int a = 0, b = 0;
    builder.linkField(new Binding("a", nullptr, false, &a, 1));
    builder.linkField(new Binding("b", nullptr, false, &b, 2));
    EXPECT_EQ("b", std::string(static_cast<Binding*>(f.dialog->fields.head)->name));
    f.dialog->fields.commit();
    EXPECT_EQ(1, a);
    EXPECT_EQ(2, b);
    GLayoutBuilder plain(nullptr);
    EXPECT_EQ(nullptr, plain.fieldList);
}

TEST(Rectangles, OverlapNeedsSharedArea) {
    RECT a{0, 0, 10, 10};
    struct Case {
        RECT b;
        bool overlap;
    } cases[] = {
        {{10, 0, 20, 10}, false}, {{0, 10, 10, 20}, false}, {{-10, 0, 0, 10}, false},
        {{9, 9, 20, 20}, true},   {{2, 2, 3, 3}, true},     {{-5, -5, 15, 15}, true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.overlap, rectsOverlap(a, c.b)) << c.b.left << "," << c.b.top;
}
