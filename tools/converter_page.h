#pragma once
// GAudioConverterPlacer: the converter page (window kind 69, "converter.htm"). The user names
// source files, picks a target format in the tree of what the first source converts to, names the
// target (a '%' stands for each source's name) and runs the conversion as the page's background
// job. The page owns its controls (through its layout), the source list and the running job; the
// dialogs are the program's. Deleted as a layout item.
#include <functional>
#include <vector>

#include "core/gstring.h"
#include "gui/frame/file_placer.h"
#include "mm/acm_stream.h"

class ConverterFormatNode;
class GButton;
class GCheckBox;
class GCombo;
class GEditLine;
class GLabel;
class GLayoutItem;
class GPageStack;
class GPathField;
class GProgressLinePlacer;
class GSplitterItem;
class GTreeView;
struct GInputEvent;

enum : u32 {
    TypeConverterPlacer = 69,
    ConverterConvert = 200,
    ConverterProposeTarget = 1000,
    ConverterLoadSources = 1001,
    // The folder kind of the page's dialogs and finished conversions.
    ConverterFolderKind = 16,
};

// Option pages.
enum : i32 { ConverterNoOptions = -1, ConverterAcmOptions = 0, ConverterPluginOptions = 1, ConverterOwnOptions = 2 };

// The background job of one Convert: every field is read on the job's thread.
struct ConversionJob : PlacerJob {
    void* acmDriver = nullptr;
    AcmFormatBytes acmTarget;
    u32 acmFlags = 0;
    GString target;
    GString pluginSource, pluginTarget;
    i32 rate = -1, option1 = -1, option2 = -1, channels = -1;
    u32 kind = 0;
    u32 encoding = 0;  // own-format targets
    GString firstOutput;  // the first task's target once it was written
};

class GAudioConverterPlacer : public GFilePlacer {
public:
    GAudioConverterPlacer(GWindow* window, WindowKind* kind = nullptr, GFileDialog* sourceDialog = nullptr,
                          GFileDialog* targetDialog = nullptr, GFolderList* pickList = nullptr);
    ~GAudioConverterPlacer() override;

    u32 windowKind() override { return TypeConverterPlacer; }
    const char* firstCaption() override;
    const char* documentKindText() override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    bool onControlNotify(void* notification) override;
    i32 handleKey(GInputEvent* event) override;

    // Empties the sources and both fields.
    void newDocument() override;
    // A new document of the name's sources, unless the page cannot take one now.
    void openFile(const char* path, GBag& state) override;
    void saveOptions(GBag* blocks) override { saveState(blocks[1]); }
    void restoreOptions(GBag* blocks) override;
    // The two field texts, then the options.
    void saveState(GBag& bag);
    void restoreState(GBag& bag);
    // Splitter, check boxes, combo indexes and option texts; saving also remembers the target.
    void saveConverterOptions(GBag& bag);
    void restoreConverterOptions(GBag& bag);

    void clearSources();
    void loadSources();
    // Fills the tree and the info label for the file; true when the tree has targets.
    bool buildFormatTree(const char* path);
    void convert();
    // The target name from the sources and the chosen format.
    void proposeTargetName();

    bool performJob(PlacerJob* job) override;
    void afterJob(PlacerJob* job) override;
    void jobSucceeded(PlacerJob* job) override;
    void jobFailed(PlacerJob* job) override;

    // Enables or disables every control under the splitter (then the rule of the fifth box).
    void enableControls(bool on);
    void applyFlagAllRule();
    // The page of the caret node's kind.
    void showOptionsFor(ConverterFormatNode* node);
    ConverterFormatNode* caretFormat();
    // The first source's full path; empty without sources.
    GString firstSourcePath() const;
    GString fieldText(GPathField* field);
    void setFieldText(GPathField* field, const char* text);

    GTreeView* formatTree = nullptr;
    GLabel* sourceInfo = nullptr;
    GPathField* targetField = nullptr;
    GPathField* sourceField = nullptr;
    u32 notifyDepth = 0;
    GCheckBox* acmFlag[4] = {};
    GCheckBox* acmFlagAll = nullptr;
    GSplitterItem* splitter = nullptr;
    GButton* targetButton = nullptr;
    GButton* convertButton = nullptr;
    GButton* loadButton = nullptr;
    GPageStack* optionPages = nullptr;
    GCombo* acmFormatCombo = nullptr;
    GCombo* channelsCombo = nullptr;
    GCombo* rateCombo = nullptr;
    GCombo* encodingCombo = nullptr;
    GEditLine* option1Edit = nullptr;
    GEditLine* option2Edit = nullptr;
    u32 folderKind = ConverterFolderKind;
    GLayoutItem* previewCell = nullptr;
    // Run on each target name before anything is written; false refuses the batch.
    std::function<bool(GWindow*, const char*)> targetCheck;
    GString displayPath, displayName;
    std::vector<GString> sources;
    GString sourceFolder;
    GProgressLinePlacer* progress = nullptr;
    // The formats of acmFormatCombo's items (the caret node's convertible records).
    ConverterFormatNode* comboNode = nullptr;
};

// Rate table of the plug-in page (combo item i >= 1 is entry i - 1) and the own-format encodings.
extern const i32 converterRates[7];
extern const u32 converterEncodings[4];

// The extension a node tag gives a target name, and the tag an extension stands for (-1: none).
const char* targetExtensionOfTag(i32 tag);
i32 tagOfTargetExtension(const char* extension);
// True when the node tag matches the extension's tag (an Ogg extension takes every Ogg tag).
bool tagMatchesExtension(i32 nodeTag, i32 wanted);
// Puts the caret on a target that fits the target field's extension (see the page).
void selectTargetByExtension(GAudioConverterPlacer* page);
// Stores the tree's caret path under the key (nothing for an empty key).
void rememberTarget(const char* key, GTreeView* tree);
// The stored path of the key, or null.
GBag* findRememberedTarget(const char* key);
