// The Editor's own dialogs of the effect dialog family answer their class names and kinds.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "editor/instrument_dialog.h"
#include "editor/plugin_dialog.h"
#include "editor/plugin_list_dialog.h"
#include "editor/record_dialogs.h"
#include "editor/track_dialogs.h"

TEST(EditorDialogKinds, RecordingPluginAndTrackDialogs) {
    struct Case {
        std::unique_ptr<GDialog> dialog;
        const char* name;
        std::vector<u32> kinds;  // besides 7, 2 and 1
        std::vector<u32> notKinds;
    };
    std::vector<Case> cases;
    cases.push_back({std::make_unique<RecordDialog>(nullptr, nullptr), "RecordDialog", {1037}, {1038, 113}});
    cases.push_back(
        {std::make_unique<RecordProcessDialog>(nullptr, nullptr), "RecordProcessDialog", {1038}, {1037, 113}});
    cases.push_back({std::make_unique<GVSTInfoDialog>(nullptr, "plugins.htm"), "GVSTInfoDialog", {112}, {113, 114}});
    cases.push_back(
        {std::make_unique<GVSTEffectDialog>(nullptr, "plugins.htm"), "GVSTEffectDialog", {113}, {112, 114}});
    cases.push_back(
        {std::make_unique<GVSTInstrumentDialog>(nullptr), "GVSTInstrumentDialog", {114, 113}, {112, 1037}});
    cases.push_back({std::make_unique<GAddRemoveTracksDialog>(nullptr, nullptr), "GAddRemoveTracksDialog", {98}, {99, 100}});
    cases.push_back({std::make_unique<GModifyTracksDialog>(nullptr, nullptr), "GModifyTracksDialog", {99}, {98, 100}});
    cases.push_back({std::make_unique<GTrackDialog>(nullptr, TrackRecord{}, 0, 1), "GTrackDialog", {100}, {98, 99}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(c.dialog->className(), c.name);
        EXPECT_EQ(c.dialog->typeId(), c.kinds[0]);
        for (u32 id : c.kinds) EXPECT_TRUE(c.dialog->isKindOf(id)) << id;
        for (u32 id : {7u, 2u, 1u}) EXPECT_TRUE(c.dialog->isKindOf(id)) << id;
        for (u32 id : c.notKinds) EXPECT_FALSE(c.dialog->isKindOf(id)) << id;
    }
    EXPECT_STREQ(GVSTInstrumentDialog(nullptr).helpPage, "plugins.htm");
}
