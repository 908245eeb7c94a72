#include "gui/menus/key_bindings.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/bag_file.h"
#include "gui/input/input_event.h"
#include "gui/input/key_names.h"
#include "gui/menus/action_texts.h"
#include "tests/support/test_support.h"

namespace {

enum : i32 { Editor = 901, Viewer = 902 };

// A stored record as the file holds it.
std::string keyRecord(i32 key, i32 modifiers, u8 fixed, const char* action, const char* context) {
    std::string bytes(reinterpret_cast<const char*>(&key), 4);
    bytes.append(reinterpret_cast<const char*>(&modifiers), 4);
    bytes.push_back((char)fixed);
    bytes.append(action).push_back('\0');
    bytes.append(context).push_back('\0');
    return bytes;
}

std::string keyFile(const std::string& body, const char* tag = "ACCL", u32 version = 1) {
    std::string bytes(tag, 4);
    u32 words[2] = {version, (u32)body.size()};
    bytes.append(reinterpret_cast<const char*>(words), sizeof words);
    return bytes + body;
}

struct Binding {
    u32 action, key;
    u8 modifiers, fixed;
    i32 context;
    bool operator==(const Binding& o) const {
        return action == o.action && key == o.key && modifiers == o.modifiers && fixed == o.fixed && context == o.context;
    }
};
std::ostream& operator<<(std::ostream& out, const Binding& b) {
    return out << "{" << b.action << ", " << b.key << ", " << (int)b.modifiers << ", " << (int)b.fixed << ", "
               << b.context << "}";
}

std::vector<Binding> active() {
    std::vector<Binding> list;
    const RecordArray<GKeyBinding>& table = activeKeyBindings();
    for (u32 i = 0; i < table.count; ++i)
        list.push_back({table[i].actionId, table[i].virtualKey, table[i].modifiers, table[i].flag, table[i].context});
    return list;
}

const char* const actionNames[4] = {"KB_OPEN", "KB_SAVE", "KB_CLOSE", "KB_RUN"};
char* titles[5] = {const_cast<char*>("&Open"), const_cast<char*>("Save"), const_cast<char*>("Close"),
                   const_cast<char*>("Run"), const_cast<char*>("Nameless")};

class KeyBindingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 5; ++i) {
            actions[i].id = 600 + i;
            actions[i].title = &titles[i];
            actions[i].keyName = i < 4 ? actionNames[i] : nullptr;  // 604 has no key name
            registerAction(&actions[i]);
        }
        editor.typeId = Editor;
        editor.name = "KbEditor";
        viewer.typeId = Viewer;
        viewer.name = "KbViewer";
        registerWindowKind(&editor);
        registerWindowKind(&viewer);
        savedPath = keyBindingsPath;
        path = dir.file("ravo.keys");
        keyBindingsPath = path.c_str();
    }
    void TearDown() override {
        unregisterKeyBindingGroup(&group);
        loadKeyBindings(true);
        keyBindingsPath = savedPath;
        unregisterWindowKind(&viewer);
        unregisterWindowKind(&editor);
        for (GActionItem& a : actions) unregisterAction(&a);
    }
    void useDefaults(std::vector<GKeyBinding> list) {
        defaults = std::move(list);
        group.bindings = defaults.data();
        group.count = (u32)defaults.size();
        unregisterKeyBindingGroup(&group);
        registerKeyBindingGroup(&group);
        loadKeyBindings(true);
    }
    GActionItem actions[5];
    WindowKind editor, viewer;
    KeyBindingGroup group;
    std::vector<GKeyBinding> defaults;
    TempDir dir;
    std::string path;
    const char* savedPath = nullptr;
};

GInputEvent keyEvent(u32 kind, u32 vk, u32 mods) {
    GInputEvent e = GInputEvent::keyDown(vk, mods);
    e.kind = kind;
    return e;
}

}  // namespace

TEST_F(KeyBindingsTest, TranslationPrefersTheContextThenTheLastBindingForEveryKind) {
    useDefaults({
        {600, 'O', KeyCtrl, 0, -1},
        {601, 'O', KeyCtrl, 0, Editor},
        {602, 'S', KeyCtrl, 0, -1},
        {603, 'S', KeyCtrl, 0, -2},
        {600, 'S', KeyCtrl | KeyShift, 0, -1},
        {602, 'P', KeyCtrl, 0, Viewer},
        // Bindings of the modifier keys themselves are never reached.
        {603, VK_CONTROL, KeyCtrl, 0, -1},
        {603, VK_SHIFT, 0, 0, -1},
        {603, VK_MENU, KeyAlt, 0, -1},
    });
    struct Case {
        const char* name;
        GInputEvent event;
        i32 context;
        i32 action;
    } cases[] = {
        {"context beats every kind", keyEvent(KeyDown, 'O', ModCtrl), Editor, 601},
        {"other context: every kind", keyEvent(KeyDown, 'O', ModCtrl), Viewer, 600},
        {"no context", keyEvent(KeyDown, 'O', ModCtrl), -1, 600},
        {"last of every kind (-1, -2)", keyEvent(KeyDown, 'S', ModCtrl), Editor, 603},
        {"Ctrl+Shift", keyEvent(KeyDown, 'S', ModCtrl | ModShift), Editor, 600},
        {"held mouse button ignored", keyEvent(KeyDown, 'S', ModCtrl | ModLeftButton), Editor, 603},
        {"Shift alone is not Ctrl+Shift", keyEvent(KeyDown, 'S', ModShift), Editor, -1},
        {"plain key", keyEvent(KeyDown, 'S', 0), Editor, -1},
        {"extra Alt", keyEvent(KeyDown, 'O', ModCtrl | ModAlt), Editor, -1},
        {"other context only", keyEvent(KeyDown, 'P', ModCtrl), Editor, -1},
        {"its context", keyEvent(KeyDown, 'P', ModCtrl), Viewer, 602},
        {"key up", keyEvent(KeyUp, 'O', ModCtrl), Editor, -1},
        {"character", keyEvent(KeyCharacter, 'O', ModCtrl), Editor, -1},
        {"Ctrl itself", keyEvent(KeyDown, VK_CONTROL, ModCtrl), -1, -1},
        {"Shift itself", keyEvent(KeyDown, VK_SHIFT, 0), -1, -1},
        {"Alt itself", keyEvent(KeyDown, VK_MENU, ModAlt), -1, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.action, translateKeyBinding(&c.event, c.context)) << c.name;

    GInputEvent click;
    click.mouse = true;
    click.kind = KeyDown;
    click.key = 'O';
    click.modifiers = MouseCtrl;
    EXPECT_EQ(-1, translateKeyBinding(&click, -1));
}

TEST_F(KeyBindingsTest, EveryActionPointsAtItsSortedRun) {
    // A stale pointer from before must not survive.
    GKeyBinding stale = {};
    actions[3].firstBinding = &stale;
    actions[3].bindingCount = 1;
    useDefaults({
        {601, VK_F2, 0, 0, -1},
        {600, 'S', KeyCtrl, 0, -1},
        {602, 'W', KeyCtrl, 0, -1},
        {600, 'O', KeyCtrl, 0, Editor},
        {601, 'B', KeyAlt, 0, -1},
        {999, 'Z', 0, 0, -1},  // no action record
    });
    EXPECT_EQ((std::vector<Binding>{{600, 'O', KeyCtrl, 0, Editor},
                                    {600, 'S', KeyCtrl, 0, -1},
                                    {601, 'B', KeyAlt, 0, -1},
                                    {601, VK_F2, 0, 0, -1},
                                    {602, 'W', KeyCtrl, 0, -1},
                                    {999, 'Z', 0, 0, -1}}),
              active());
    const GKeyBinding* table = activeKeyBindings().data;
    struct Expect {
        int action;
        const GKeyBinding* first;
        u32 count;
    } expects[] = {{0, table, 2}, {1, table + 2, 2}, {2, table + 4, 1}, {3, nullptr, 0}, {4, nullptr, 0}};
    for (const Expect& e : expects) {
        EXPECT_EQ(e.first, actions[e.action].firstBinding) << e.action;
        EXPECT_EQ(e.count, actions[e.action].bindingCount) << e.action;
    }

    // The title with its shortcut names the first key of the run.
    GString key;
    keyToText(key, 'B', KeyAlt);
    EXPECT_EQ(std::string("Save (") + key.c_str() + ")", actionTitleWithShortcut(&actions[1]).c_str());
    EXPECT_STREQ("Run", actionTitleWithShortcut(&actions[3]).c_str());
}

TEST_F(KeyBindingsTest, TheFileKeepsTheUsersBindingsAndTheFixedDefaults) {
    useDefaults({
        {600, 'O', KeyCtrl, 0, -1},
        {603, VK_F5, 0, 1, -1},  // fixed
        {601, 'S', KeyCtrl, 0, Editor},
        {602, 'W', KeyCtrl, 0, 777},  // no such kind: not written
        {604, 'N', KeyCtrl, 0, -1},   // action without a key name: not written
    });
    ASSERT_TRUE(saveKeyBindings());
    EXPECT_EQ(keyFile(keyRecord('O', KeyCtrl, 0, "KB_OPEN", "") + keyRecord('S', KeyCtrl, 0, "KB_SAVE", "KbEditor") +
                      keyRecord(VK_F5, 0, 1, "KB_RUN", "")),
              readWholeFile(path));

    // The user's file: rebound keys, records of vanished actions and kinds dropped, a fixed record
    // never taken from the file (the default one comes back).
    dir.write("ravo.keys", keyFile(keyRecord('K', KeyCtrl | KeyShift, 0, "KB_OPEN", "") +
                                   keyRecord('Q', KeyCtrl, 0, "KB_GONE", "") +
                                   keyRecord('E', KeyAlt, 0, "KB_SAVE", "KbViewer") +
                                   keyRecord('R', KeyAlt, 0, "KB_CLOSE", "KbGone") +
                                   keyRecord(VK_F9, 0, 1, "KB_RUN", "")));
    EXPECT_TRUE(loadKeyBindings(false));
    EXPECT_EQ((std::vector<Binding>{{600, 'K', KeyCtrl | KeyShift, 0, -1},
                                    {601, 'E', KeyAlt, 0, Viewer},
                                    {603, VK_F5, 0, 1, -1}}),
              active());
    EXPECT_EQ(1u, actions[0].bindingCount);
    EXPECT_EQ(0u, actions[2].bindingCount);

    // Reset gives exactly the defaults, whatever the file holds.
    EXPECT_TRUE(loadKeyBindings(true));
    EXPECT_EQ((std::vector<Binding>{{600, 'O', KeyCtrl, 0, -1},
                                    {601, 'S', KeyCtrl, 0, Editor},
                                    {602, 'W', KeyCtrl, 0, 777},
                                    {603, VK_F5, 0, 1, -1},
                                    {604, 'N', KeyCtrl, 0, -1}}),
              active());

    // An empty file is a user who removed every binding: only the fixed ones remain.
    dir.write("ravo.keys", keyFile(""));
    EXPECT_TRUE(loadKeyBindings(false));
    EXPECT_EQ((std::vector<Binding>{{603, VK_F5, 0, 1, -1}}), active());
}

TEST_F(KeyBindingsTest, AnUnreadableFileLeavesTheDefaults) {
    std::string good = keyRecord('K', KeyCtrl, 0, "KB_OPEN", "");
    std::string cut = keyRecord('E', KeyAlt, 0, "KB_SAVE", "KbViewer");
    struct Case {
        const char* name;
        bool exists;
        std::string content;
    } cases[] = {
        {"missing", false, ""},
        {"foreign tag", true, keyFile(good, "WLAY")},
        {"other version", true, keyFile(good, "ACCL", 2)},
        {"record cut in its context", true, keyFile(good + cut.substr(0, cut.size() - 1))},
        {"record cut in its key", true, keyFile(good + cut.substr(0, 3))},
        {"body shorter than its length", true, keyFile(good).substr(0, 14)},
    };
    useDefaults({{600, 'O', KeyCtrl, 0, -1}, {603, VK_F5, 0, 1, -1}});
    const std::vector<Binding> expected = active();
    for (const Case& c : cases) {
        DeleteFileA(path.c_str());
        if (c.exists) dir.write("ravo.keys", c.content);
        EXPECT_TRUE(loadKeyBindings(false)) << c.name;
        EXPECT_EQ(expected, active()) << c.name;
        EXPECT_EQ(activeKeyBindings().data, actions[0].firstBinding) << c.name;
    }
}

TEST_F(KeyBindingsTest, EditingOperationsKeepTheActionRecordsOnTheirRuns) {
    useDefaults({
        {600, 'O', KeyCtrl, 0, -1},
        {600, 'P', KeyCtrl, 0, Editor},
        {600, 'Q', KeyCtrl, 1, Viewer},  // fixed
        {601, 'S', KeyCtrl, 0, -2},
        {601, 'T', KeyCtrl, 1, -1},  // fixed, every kind
        {602, 'W', KeyCtrl, 0, -1},
    });
    auto runsValid = [&](const char* step) {
        const RecordArray<GKeyBinding>& table = activeKeyBindings();
        for (GActionItem& a : actions) {
            u32 n = 0;
            for (u32 i = 0; i < table.count; ++i) n += table[i].actionId == a.id;
            ASSERT_EQ(n, a.bindingCount) << step << " " << a.id;
            for (u32 i = 0; i < n; ++i) EXPECT_EQ(a.id, a.firstBinding[i].actionId) << step;
            if (n) {
                EXPECT_GE(a.firstBinding, table.data) << step;
                EXPECT_LE(a.firstBinding + n, table.data + table.count) << step;
            }
        }
    };

    struct Find {
        i32 action, context;
        bool fixed;
    } finds[] = {{600, Viewer, true}, {600, Editor, false}, {600, -1, false},
                 {601, Editor, true},  {601, -1, true},    {602, -1, false}};
    for (const Find& f : finds) EXPECT_EQ(f.fixed, findKeyBinding(f.action, f.context)) << f.action << "/" << f.context;

    // Removing in the editor drops its own and the every-kind bindings, not the viewer's.
    removeKeyBinding(600, Editor);
    EXPECT_EQ((std::vector<Binding>{{600, 'Q', KeyCtrl, 1, Viewer},
                                    {601, 'S', KeyCtrl, 0, -2},
                                    {601, 'T', KeyCtrl, 1, -1},
                                    {602, 'W', KeyCtrl, 0, -1}}),
              active());
    runsValid("remove");
    removeKeyBinding(601, Viewer);  // -2 counts as every kind
    EXPECT_EQ(0u, actions[1].bindingCount);
    runsValid("remove -2");

    restoreDefaultKeyBindings(600, Editor);
    EXPECT_EQ((std::vector<Binding>{{600, 'O', KeyCtrl, 0, -1},
                                    {600, 'P', KeyCtrl, 0, Editor},
                                    {600, 'Q', KeyCtrl, 1, Viewer},
                                    {602, 'W', KeyCtrl, 0, -1}}),
              active());
    runsValid("restore");

    RecordArray<GKeyBinding> fresh;
    *fresh.append(1) = GKeyBinding{602, 'Z', KeyAlt, 0, -1};
    *fresh.append(1) = GKeyBinding{600, 'A', KeyAlt, 0, Editor};
    replaceKeyBindings(fresh);
    EXPECT_EQ(0u, fresh.count);
    EXPECT_EQ((std::vector<Binding>{{600, 'A', KeyAlt, 0, Editor}, {602, 'Z', KeyAlt, 0, -1}}), active());
    runsValid("replace");
}
