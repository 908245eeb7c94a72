#pragma once
// Shared by the converter tests: the page in a real window, a table of made-up ACM drivers and
// codec library entries in place of the machine's, sources made by sox, and the tree as text.
#include <windows.h>
#include <mmreg.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gui/kernel/dialog.h"
#include "gui/kernel/window_procedure.h"
#include "gui/views/tree_table.h"
#include "tests/gui/gui_fixture.h"
#include "tests/tools/conversion_fixture.h"
#include "tools/converter_tree.h"
#include "tools/converter_window.h"

namespace converter_fixture {
using namespace conversion_fixture;

struct FakeDriver {
    std::string name;
    u16 mid = 2, pid = 2;
    std::vector<u16> convertible;  // tags offered, in order
    std::vector<u16> suggested;
    std::set<u16> unreadableTags;
};

struct FakeMachine {
    std::vector<FakeDriver> drivers;
    std::vector<CodecEncoderInfo> encoders;
    std::vector<CodecDecoderInfo> decoders;
    std::string formatText = "Made-up tag, 8000 Hz";
};

inline FakeMachine*& fakeMachine() {
    static FakeMachine* machine = nullptr;
    return machine;
}

inline const FakeDriver& driverOf(void* id) { return fakeMachine()->drivers[(uintptr_t)id - 1]; }

inline bool fakeList(std::vector<AcmDriverInfo>& out) {
    out.clear();
    const auto& drivers = fakeMachine()->drivers;
    for (size_t i = 0; i < drivers.size(); ++i) {
        AcmDriverInfo info = {};
        info.id = (void*)(uintptr_t)(i + 1);
        snprintf(info.longName, sizeof info.longName, "%s", drivers[i].name.c_str());
        info.mid = drivers[i].mid;
        info.pid = drivers[i].pid;
        out.push_back(info);
    }
    return !out.empty();
}
inline bool fakeOpen(void** driver, void* id) {
    *driver = id;
    return true;
}
inline void fakeClose(void*) {}
inline bool fakeEnum(void* driver, const WAVEFORMATEX*, u32 flags, AcmFormatCallback callback, void* context) {
    const FakeDriver& d = driverOf(driver);
    const std::vector<u16>& tags = flags == AcmEnumSuggest ? d.suggested : d.convertible;
    u32 n = 0;
    for (u16 tag : tags) {
        WAVEFORMATEX f = {};
        f.wFormatTag = tag;
        f.nChannels = 1;
        f.nSamplesPerSec = 8000 + n;
        f.wBitsPerSample = 16;
        char text[32];
        snprintf(text, sizeof text, "f%u", n++);
        if (!callback(context, &f, text)) break;
    }
    return true;
}
inline bool fakeTagName(void* driver, u32 tag, std::string& name) {
    if (driverOf(driver).unreadableTags.count((u16)tag)) return false;
    char text[16];
    snprintf(text, sizeof text, "T%X", (unsigned)tag);
    name = text;
    return true;
}
inline bool fakeFormatText(const WAVEFORMATEX*, std::string& out) {
    out = fakeMachine()->formatText;
    return true;
}
inline void fakeEncoders(std::vector<CodecEncoderInfo>& out) { out = fakeMachine()->encoders; }
inline void fakeDecoders(const char*, std::vector<CodecDecoderInfo>& out) { out = fakeMachine()->decoders; }

// The made-up machine while the scope lasts.
struct FakeMachineScope {
    FakeMachine machine;
    FakeMachineScope() {
        fakeMachine() = &machine;
        converterCalls = {fakeList, fakeOpen, fakeClose, fakeEnum, fakeTagName, fakeFormatText, fakeEncoders, fakeDecoders};
    }
    ~FakeMachineScope() {
        converterCalls = converterCallsDefaults;
        fakeMachine() = nullptr;
    }
};

inline CodecEncoderInfo encoder(u32 family, const char* shortName, const char* longName) {
    CodecEncoderInfo e;
    e.family = family;
    e.shortName = shortName;
    e.longName = longName;
    return e;
}
inline CodecDecoderInfo decoder(u8 flag, const char* shortName, const char* longName, const char* name) {
    CodecDecoderInfo d;
    d.flag = flag;
    d.shortName = shortName;
    d.longName = longName;
    d.name = name;
    return d;
}

// Each group as "name+" (expanded) or "name-" and its rows in braces: "Ravo+{Ravo} MP3+{...}".
inline std::string treeText(GTreeView* tree) {
    std::string s;
    for (GTreeRoot* root : tree->roots) {
        auto* g = static_cast<ConverterFormatNode*>(root->node);
        if (!s.empty()) s += ' ';
        s += std::string(g->name.c_str()) + (g->state ? "+" : "-") + "{";
        for (u32 i = 0; i < g->childCount(); ++i) {
            GString label;
            g->child(i)->displayName(label);
            s += (i ? "," : "") + std::string(label.c_str());
        }
        s += "}";
    }
    return s;
}

// The texts of a node's records joined by "|".
inline std::string recordTexts(const AcmFormatRecords& records) {
    std::string s;
    for (const AcmFormatRecord& r : records) s += (s.empty() ? "" : "|") + std::string(r.text.c_str());
    return s;
}

// A group of nodes of the given tags, handed to the tree (expanded).
inline ConverterFormatNode* addGroup(GTreeView* tree, const char* name, const std::vector<i32>& tags) {
    auto* group = new ConverterFormatNode(name);
    for (i32 tag : tags) {
        char text[16];
        snprintf(text, sizeof text, "n%X", (unsigned)tag);
        new ConverterFormatNode(group, FormatAcmNode, tag, text, nullptr);
    }
    group->state = 1;
    GTreeRoot root{group, true};
    tree->addRoot(root);
    tree->rebuildRows(-1);
    return group;
}

// The converter page in a shown top-level window.
template <typename PageType = ConverterWindow>
struct PageFixture {
    TestApplication app;
    GDialog owner{nullptr, "converter.htm"};
    PageType* page;

    PageFixture() {
        createTopLevelWindow(&owner, WS_POPUP | WS_CLIPCHILDREN, 0, "");
        SetWindowPos(owner.hwnd, HWND_TOP, 0, 0, 760, 620, SWP_SHOWWINDOW | SWP_NOACTIVATE);
        page = new PageType(&owner);
        owner.setContent(page);
        page->setRect(RECT{0, 0, 760, 620});
    }
    ~PageFixture() {
        SetWindowLongA(owner.hwnd, GWL_STYLE, GetWindowLongA(owner.hwnd, GWL_STYLE) & ~WS_VISIBLE);
        DestroyWindow(owner.hwnd);
    }
    void load(const std::string& sourceText) {
        page->setFieldText(page->sourceField, sourceText.c_str());
        page->clearSources();
        page->loadSources();
    }
    void caretOn(BlockBase* node) { ASSERT_TRUE(page->formatTree->revealNode(node)); }
    // Finds the first node whose tag is the given one.
    ConverterFormatNode* nodeOfTag(i32 tag) {
        for (GTreeRoot* root : page->formatTree->roots)
            for (u32 i = 0; i < root->node->childCount(); ++i) {
                auto* n = static_cast<ConverterFormatNode*>(root->node->child(i));
                if (n->tag == tag) return n;
            }
        return nullptr;
    }
};

// A 16-bit (or other) WAVE made by sox.
inline std::string makeWave(TempDir& dir, const std::string& name, int bits = 16, const char* length = "0.2") {
    std::string path = dir.file(name);
    runSox("-n -r 8000 -c 1 -b " + std::to_string(bits) + " " + soxPath(path) + " synth " + length + " sine 440");
    return path;
}
}  // namespace converter_fixture
