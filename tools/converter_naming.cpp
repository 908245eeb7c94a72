// The converter's target names from the chosen format, the format from a target name, and the
// remembered target of each kind of source.
#include <cstring>
#include <strings.h>

#include "core/paths.h"
#include "gui/controls/button.h"
#include "gui/dialogs/path_field.h"
#include "gui/views/tree_table.h"
#include "mm/mm_settings.h"
#include "tools/converter_page.h"
#include "tools/converter_tree.h"

namespace {
const i32 OggFirst = 0x674F, OggLast = 0x6771;
}

const char* targetExtensionOfTag(i32 tag) {
    if (tag == 0x50) return "mp2";
    if (tag == 0x55) return "mp3";
    if ((tag >= 0x674F && tag <= 0x6751) || (tag >= 0x676F && tag <= 0x6771)) return "ogg";
    if (tag == OwnFormatTag) return "ravo";
    return "wav";
}

i32 tagOfTargetExtension(const char* e) {
    if (!e) return -1;
    if (!strcasecmp(e, "ravo")) return OwnFormatTag;
    if (!strcasecmp(e, "mp3")) return 0x55;
    if (!strcasecmp(e, "mp2")) return 0x50;
    if (!strcasecmp(e, "ogg")) return OggFirst;
    if (!strcasecmp(e, "wav") || !strcasecmp(e, "pcm")) return 1;
    return -1;
}

bool tagMatchesExtension(i32 nodeTag, i32 wanted) {
    if (nodeTag < 0 || wanted < 0) return false;
    if (wanted == OggFirst) return nodeTag >= OggFirst && nodeTag <= OggLast;
    return nodeTag == wanted;
}

void GAudioConverterPlacer::proposeTargetName() {
    GString name = fieldText(sourceField);
    ConverterFormatNode* node = caretFormat();
    const char* ext = targetExtensionOfTag(node ? node->tag : -1);
    if (strchr(name.c_str(), ';')) {
        // Several sources: "<folder>\%.<ext>".
        const char* cut = strchr(name.c_str(), ';');
        stringAssign(name, name.c_str(), (u32)(cut - name.c_str()));
        pathRemoveLastComponent(name);
        pathJoin(name, "%");
        pathSetExtension(name, ext);
    } else {
        const char* had = pathExtensionPtr(name.c_str());
        if (!had || !*had || strcasecmp(had, ext) != 0) {
            pathRemoveExtension(name);
            pathSetExtension(name, ext);
        } else {
            pathRemoveExtension(name);
            pathSetExtension(name, "-");
            pathSetExtension(name, ext);
        }
    }
    setFieldText(targetField, name.c_str());
    convertButton->makeDefault();
}

void selectTargetByExtension(GAudioConverterPlacer* page) {
    GString target = page->fieldText(page->targetField);
    const char* ext = pathExtensionPtr(target.c_str());
    if (target.empty() || !ext || !*ext) return;
    const i32 wanted = tagOfTargetExtension(ext);
    if (wanted < 0) return;
    GTreeView* tree = page->formatTree;
    ConverterFormatNode* caret = page->caretFormat();
    if (caret && tagMatchesExtension(caret->tag, wanted)) return;
    for (u64 r = 0; r < tree->rowNodes.size(); ++r) {
        auto* node = static_cast<ConverterFormatNode*>(tree->rowNodes[r]);
        if (node->kind != FormatGroupNode && tagMatchesExtension(node->tag, wanted)) {
            tree->setCaretRow(r);
            tree->scrollRowIntoView(r);
            return;
        }
    }
    for (GTreeRoot* root : tree->roots)
        for (u32 c = 0; c < root->node->childCount(); ++c) {
            auto* node = static_cast<ConverterFormatNode*>(root->node->child(c));
            if (tagMatchesExtension(node->tag, wanted)) {
                tree->revealNode(node);
                return;
            }
        }
}

void rememberTarget(const char* key, GTreeView* tree) {
    if (!key || !*key) return;
    GBag& bag = multimediaSettings().recentConversions[key];
    bagFree(bag);
    tree->saveCaretPath(bag);
}

GBag* findRememberedTarget(const char* key) {
    RecentConversions& map = multimediaSettings().recentConversions;
    auto found = map.lower_bound(key ? key : "");
    if (found == map.end() || found->first != (key ? key : "")) return nullptr;
    return &found->second;
}
