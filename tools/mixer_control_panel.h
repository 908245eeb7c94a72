#pragma once
// MixerControlPanel: the controls of one mixer line: its volume as a master, a balance and the two
// channels, and a check box, slider, box group or combo for each other control of the line. It holds
// the mixer open with change messages to its MixerMessageWindow from one binding to the next and
// refreshes itself when the mixer changes. Owned by the layout tree like any item; its message
// window belongs to the owner window and is destroyed with the panel.
#include <vector>

#include "gui/layout/layout_rows.h"
#include "mm/mixer.h"
#include "tools/mixer_message_window.h"

class GButton;
class GLabel;
class GLayoutBuilder;
class GMultiLabel;
class GRegulator;

// A line of a mixer: source -1 for the destination itself; mixer -1 for none.
struct MixerLineBinding {
    i32 destination = -1;
    i32 source = -1;
    i32 mixer = -1;
    bool operator==(const MixerLineBinding& o) const {
        return destination == o.destination && source == o.source && mixer == o.mixer;
    }
};

// Control classes (the top four bits of the type) and the list types shown as box groups.
const u32 mixerClassMask = 0xF0000000;
const u32 mixerClassSwitch = 0x20000000;
const u32 mixerClassFader = 0x50000000;
const u32 mixerClassList = 0x70000000;
const u32 mixerMultipleSelect = 0x71010000;

// The balance of two channel volumes, 0 (left only) .. 50 (equal) .. 100 (right only), rounded.
i32 volumeBalance(u32 left, u32 right);
// The two channels of a master volume at a balance.
void balancedChannels(u32 master, i32 balance, u32& left, u32& right);
// A volume as the percentage its label shows.
i32 volumePercent(u32 volume);

class MixerControlPanel : public GColumnsItem, public MixerChangeListener {
public:
    explicit MixerControlPanel(GWindow* owner) : GColumnsItem(owner) {}
    ~MixerControlPanel() override;

    // Built into the builder's current container, bound to nothing.
    static MixerControlPanel* create(GLayoutBuilder& builder, const char* alignment = nullptr);

    // Binds the panel to the line (unless it is bound there already and not forced): the old handle is
    // closed, the controls of the new line are made and the mixer is opened to the message window.
    void openMixer(const MixerLineBinding& line, bool force);
    // Shows the current values of the volume and of every other control.
    void refreshValues();
    void onMixerChanged() override { refreshValues(); }

    // The user's moves: each writes both channels and shows the result.
    void moveMaster(i64 master);
    void moveBalance(i64 balance);
    void centre();

    bool onControlNotify(void* notification) override;
    bool onCommand(u32 command, GStateQuery* query) override;
    i32 commandState(u32 command) override;
    i32 handleKey(GInputEvent* event) override;

    // A control of the line other than its volume, with the windows that show it.
    struct Control {
        MixerControlMetrics metrics;
        u32 type = 0;
        u32 items = 0;
        std::vector<GChildWindow*> windows;  // check boxes (one per item), one slider or one combo
    };

    MixerLineBinding line;
    bool bound = false;  // openMixer has run
    uintptr_t handle = 0;
    bool lineFound = false;
    bool hasVolume = false;
    bool stereo = false;
    u32 volumeId = 0;
    u32 leftValue = 0, rightValue = 0;
    i32 balanceValue = 50;
    std::vector<Control> controls;

    GRegulator* balance = nullptr;
    GRegulator* left = nullptr;
    GRegulator* right = nullptr;
    GRegulator* master = nullptr;
    GLabel* balanceLabel = nullptr;
    GLabel* leftLabel = nullptr;
    GLabel* rightLabel = nullptr;
    GLabel* masterLabel = nullptr;
    GButton* centreButton = nullptr;
    GColumnsItem* volumeArea = nullptr;
    GColumnsItem* controlArea = nullptr;
    GMultiLabel* message = nullptr;
    MixerMessageWindow* messages = nullptr;

    static const u32 centreCommand = 1000;
    static const i64 keyStep = 6553;

private:
    Mixer mixer() const;
    void makeControls(const tagMIXERLINEA& info);
    void showVolume();
    void writeVolume(u32 newLeft, u32 newRight, i32 shownBalance);
    void writeControl(Control& control);
    void closeMixer();

    GLifeRecord* messagesLife = nullptr;
    bool showing = false;  // windows are being set from the mixer
};
