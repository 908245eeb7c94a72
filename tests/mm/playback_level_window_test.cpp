// The playback level row on a real window: the regulator and the play settings entry follow each
// other through the Level change, and the other listeners hear of a move exactly once.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "gui/controls/label.h"
#include "gui/controls/regulator.h"
#include "gui/input/input_event.h"
#include "mm/playback_level_window.h"
#include "tests/gui/value_fixture.h"

namespace {

struct Heard : DeviceSettingsListener {
    void onSettingsChanged(DeviceSettings* entry, u32 mask) override { log.emplace_back(entry->gainDb(), mask); }
    std::vector<std::pair<i32, u32>> log;
};

struct LevelFixture : valuefix::Fixture {
    PlayDeviceSettings entry;
    Heard player;
    DeviceListNode playerNode;
    PlaybackLevelWindow* window;
    LevelFixture() {
        entry.adjust1 = -7;
        deviceListLink(playerNode, &entry, &player);
        window = PlaybackLevelWindow::create(builder, &entry, "Level", "dB");
        window->setRect(RECT{0, 0, 240, 30});
    }
    ~LevelFixture() { deviceListUnlink(playerNode); }
    i32 key(u32 vk) {
        GInputEvent e = GInputEvent::keyDown(vk, 0);
        return window->regulator->handleKey(&e);
    }
};

TEST(PlaybackLevelWindow, ShowsTheGainInARangeOfTwentyDecibels) {
    LevelFixture f;
    ASSERT_TRUE(IsWindow(f.window->regulator->hwnd));
    EXPECT_EQ(-20, f.window->regulator->minimum);
    EXPECT_EQ(20, f.window->regulator->maximum);
    EXPECT_EQ(-7, f.window->regulator->value);
    EXPECT_STREQ("Level", f.window->caption->text.c_str());
    EXPECT_STREQ("dB", f.window->unit->text.c_str());
    // Laid out side by side, the regulator between the labels.
    EXPECT_LE(f.window->caption->rect.right, f.window->regulator->rect.left);
    EXPECT_LE(f.window->regulator->rect.right, f.window->unit->rect.left);
    EXPECT_TRUE(f.player.log.empty());
}

TEST(PlaybackLevelWindow, MovingTheRegulatorSetsTheGainAndTellsTheOthers) {
    LevelFixture f;
    struct Step {
        u32 key;
        i32 gain;
    } steps[] = {{VK_RIGHT, -6}, {VK_END, 20}, {VK_RIGHT, 20}, {VK_HOME, -20}};
    std::vector<std::pair<i32, u32>> expected;
    for (const Step& s : steps) {
        bool moves = s.gain != f.entry.gainDb();
        f.key(s.key);
        EXPECT_EQ(s.gain, f.entry.gainDb()) << s.key;
        if (moves) expected.emplace_back(s.gain, (u32)DeviceChange::Level);
    }
    EXPECT_EQ(expected, f.player.log);
    // The dialog above the row never sees the regulator's notifications.
    EXPECT_TRUE(f.dialog->notes.empty());
}

TEST(PlaybackLevelWindow, ALevelChangeOfTheEntryMovesTheRegulator) {
    LevelFixture f;
    struct Case {
        i32 gain;
        u32 mask;
        i64 shown;
    } cases[] = {{12, DeviceChange::Level, 12}, {3, DeviceChange::Switches, 12}, {3, DeviceChange::All, 3},
                 {-20, DeviceChange::Level, -20}};
    for (const Case& c : cases) {
        f.entry.adjust1 = c.gain;
        f.entry.notifyListeners(&f.player, c.mask);
        EXPECT_EQ(c.shown, f.window->regulator->value) << c.gain << " " << c.mask;
        EXPECT_EQ(c.gain, f.entry.gainDb());
    }
    // Showing the entry's gain does not echo back to the other listeners.
    EXPECT_TRUE(f.player.log.empty());
}

TEST(PlaybackLevelWindow, LeavesTheEntryWhenDeleted) {
    LevelFixture f;
    deleteChildCell(f.window);
    ASSERT_EQ(&f.playerNode, f.entry.first);
    EXPECT_EQ(&f.playerNode, f.entry.last);
    f.entry.adjust1 = 5;
    f.entry.notifyListeners(nullptr, DeviceChange::Level);
    EXPECT_EQ(1u, f.player.log.size());
}

}  // namespace
