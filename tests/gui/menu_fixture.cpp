#include "tests/gui/menu_fixture.h"

#include "core/gstring.h"

ActionFixture::ActionFixture() {
    editor.typeId = EditorKindId;
    editor.name = "Editor";
    other.typeId = OtherKindId;
    other.name = "Analyzer";
    registerWindowKind(&editor);
    registerWindowKind(&other);
}

ActionFixture::~ActionFixture() {
    for (WindowKind* kind : {&editor, &other}) {
        deleteUserSpecs(kind);
        unregisterWindowKind(kind);
    }
    for (GActionItem* action : actions) {
        unregisterAction(action);
        delete action;
    }
    for (auto* list : lists) delete list;
    for (char** slot : titles) {
        freeHeapText(slot);
        delete slot;
    }
}

GActionItem& ActionFixture::add(u32 id, const char* title, const char* keyName, u8 flags, std::vector<i32> subItems) {
    GActionItem* action = new GActionItem;
    char** slot = new char*(copyHeapText(title));
    titles.push_back(slot);
    action->id = id;
    action->title = slot;
    action->keyName = keyName;
    action->flags = flags;
    if (!subItems.empty()) {
        lists.push_back(new std::vector<i32>(subItems));
        action->subItems = lists.back()->data();
        action->subItemCount = (i32)subItems.size();
    }
    registerAction(action);
    actions.push_back(action);
    return *action;
}
