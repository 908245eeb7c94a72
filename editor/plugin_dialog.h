#pragma once
// The plug-in dialogs. GVSTEffectDialog adjusts one plug-in: in the plug-in's own editor, held by a
// PluginParameterWindow, or in a generic list of its parameters with a slider; a combo chooses its
// program. OK (and 4, 5) saves the plug-in's state, Cancel restores the state it had when built.
// While the window lives its plug-in is idled every 50 ms. Callers own the dialogs (modal runs); the
// parts are the dialog's tree's.
#include "app/effect_dialogs.h"
#include "core/bag.h"
#include "gui/kernel/timers.h"
#include "gui/kernel/user_window.h"
#include "mm/plugin_host.h"

class GCheckBox;
class GCombo;
class GLabel;
class GRegulator;
class GBox;
class GLayoutBuilder;
class GVSTEffectDialog;

// The room of the plug-in's editor: its preferred size is the editor's (0 x 0 while none shows).
class PluginParameterWindow : public GUserWindow {
public:
    explicit PluginParameterWindow(GVSTEffectDialog* dialog);

    const char* className() const override { return "PluginParameterWindow"; }
    void getPreferredSize(i32* width, i32* height) override;
    void paint(HDC dc, const RECT& update, bool erase) override;

    GVSTEffectDialog* dialog;
    i32 editorWidth = 0, editorHeight = 0;
};

// A plug-in effect's parameters.
class GVSTEffectDialog : public GDialog, public PluginEditorHost {
public:
    GVSTEffectDialog(GWindow* owner, const char* help) : GDialog(owner, help) {}
    ~GVSTEffectDialog() override;
    bool isKindOf(u32 id) const override { return id == TypeGVSTEffectDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "GVSTEffectDialog"; }
    u32 typeId() const override { return TypeGVSTEffectDialog; }

    // Makes the window and its parts for the plug-in (loaded); false when the window cannot be made.
    static bool build(VstPlugin* plugin, GVSTEffectDialog* dialog);
    // The editor's new size: kept by the editor host, the dialog laid out again in its place.
    void sizeWindow(i32 width, i32 height);
    // Refills the program combo from the plug-in, its current program selected.
    void updateDisplay();
    // The plug-in's editor in the dialog; false (and nothing changed) without a usable editor.
    bool openEditor();
    // The generic list instead of the editor.
    void showGenericList();
    bool genericShown() const;

    bool onControlNotify(void* notification) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    void onTimer(TimerRecord* record) override;
    void onDestroy() override;

    void* nativeWindow() override;
    void resizeEditor(i32 width, i32 height) override { sizeWindow(width, height); }
    void refreshEditor() override { updateDisplay(); }

    VstPlugin* plugin = nullptr;
    PluginParameterWindow* editorHost = nullptr;
    GCheckBox* genericToggle = nullptr;
    GBox* parameterList = nullptr;
    GCombo* programCombo = nullptr;
    GRegulator* valueSlider = nullptr;
    GLabel* valueLabel = nullptr;
    u8 busy = 0;
    GBag savedState;  // the state when built, for Cancel
    TimerRecord idleTimer;  // 50 ms while the window lives

protected:
    // Creates the window and the parts above the button row; the column the parts are in.
    class GColumnsItem* buildCommon(VstPlugin* plugin);
    // The editor host, the toggle, the program combo, the list and the slider.
    void buildParameterParts(GLayoutBuilder& builder);
    // After the button row: the editor or the generic list, the programs, the size.
    void finishBuild();
    // The list changed: slider and label show the selected parameter.
    void showSelectedParameter();
    // The slider moved: the selected parameter takes its value.
    void takeSliderValue();
    void relayout();
    i32 selectedParameter();
};
