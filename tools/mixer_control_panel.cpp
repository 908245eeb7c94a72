#include "tools/mixer_control_panel.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "gui/controls/button.h"
#include "gui/controls/combo.h"
#include "gui/controls/label.h"
#include "gui/controls/mark_window.h"
#include "gui/controls/multi_label.h"
#include "gui/controls/regulator.h"
#include "gui/input/input_event.h"
#include "gui/layout/layout_builder.h"
#include "mm/mm_texts.h"

static_assert(mixerMultipleSelect == MIXERCONTROL_CONTROLTYPE_MULTIPLESELECT, "list types");

i32 volumeBalance(u32 left, u32 right) {
    if (left == right) return 50;
    if (left < right) return 100 - (i32)(((u64)left * 50 + right / 2) / right);
    return (i32)(((u64)right * 50 + left / 2) / left);
}

void balancedChannels(u32 master, i32 balance, u32& left, u32& right) {
    left = right = master;
    if (balance < 50) right = (u32)((u64)master * (u32)balance / 50);
    if (balance > 50) left = (u32)((u64)master * (u32)(100 - balance) / 50);
}

i32 volumePercent(u32 volume) { return (i32)(((u64)volume * 100 + 32767) / 65535); }

namespace {
const i64 volumeMaximum = 65535;

// A vertical volume slider under its caption and percentage label.
GRegulator* volumeColumn(GLayoutBuilder& b, MmText caption, MmText tip, const char* labelCode, GLabel** percent) {
    GColumnsItem::create(b, "00000", "|C");
    GLabel::create(b, mmText(caption), 0, "|^");
    *percent = GLabel::createVariant(b, labelCode, "100%");
    (*percent)->setText("100%");
    GRegulator* r = GRegulator::create(b, RegulatorVertical | RegulatorTicksBefore, 0, (i32)volumeMaximum, "|C");
    assignHeapText(&r->toolTipText, mmText(tip));
    b.endContainer();
    return r;
}

bool isMultipleSelect(u32 type) { return (type & ~1u) == mixerMultipleSelect; }
}  // namespace

MixerControlPanel::~MixerControlPanel() {
    closeMixer();
    if (messagesLife) {
        if (messagesLife->alive()) DestroyWindow(messages->hwnd);
        messagesLife->release();
    }
}

MixerControlPanel* MixerControlPanel::create(GLayoutBuilder& builder, const char* alignment) {
    MixerControlPanel* p = new MixerControlPanel(builder.owner);
    builder.pushContainer(p, "00000", alignment);

    p->volumeArea = GColumnsItem::create(builder, "00000", "UC");
    GRowItem::create(builder, "04000");
    p->balanceLabel = GLabel::createVariant(builder, "<C", "Balance: 100");
    p->balance = GRegulator::create(builder, RegulatorTicksAfter, 0, 100, "UC");
    GLabel::create(builder, mmText(MmText::MixerBalanceHint), 0, "<C");
    builder.endContainer();
    GRowItem::create(builder, "08000");
    p->left = volumeColumn(builder, MmText::MixerLeft, MmText::MixerLeftTip, "|^<-", &p->leftLabel);
    p->right = volumeColumn(builder, MmText::MixerRight, MmText::MixerRightTip, "|^>-", &p->rightLabel);
    p->master = volumeColumn(builder, MmText::MixerMaster, MmText::MixerMasterTip, "|^|-", &p->masterLabel);
    builder.endContainer();
    p->centreButton = GButton::create(builder, mmText(MmText::MixerCentre), 0, centreCommand, "|^");
    builder.endContainer();

    p->controlArea = GColumnsItem::create(builder, "00000", "U^");
    builder.endContainer();
    p->message = GMultiLabel::create(builder, "", 30, 2, MultiWidthChars | MultiHeightChars | MultiNoVerticalBar, "U^|^");
    builder.endContainer();

    p->messages = MixerMessageWindow::create(builder.owner);
    if (p->messages) {
        p->messagesLife = p->messages->lifeRecord();
        p->messagesLife->addRef();
    }
    return p;
}

Mixer MixerControlPanel::mixer() const {
    Mixer m;
    m.mixerId = (u32)line.mixer;
    return m;
}

void MixerControlPanel::closeMixer() {
    if (handle && messagesLife && messagesLife->alive()) messages->remove(handle);
    handle = 0;
}

void MixerControlPanel::openMixer(const MixerLineBinding& to, bool force) {
    if (!force && bound && to == line) return;
    closeMixer();
    controls.clear();
    if (controlArea) controlArea->removeAllChildren();
    line = to;
    bound = true;
    lineFound = hasVolume = stereo = false;

    MIXERLINEA info;
    Mixer m = mixer();
    if (line.mixer >= 0 && line.destination >= 0)
        lineFound = getMixerLineInfo(m, info, {(u32)line.destination, line.source});
    if (lineFound) makeControls(info);
    if (message) {
        const char* text = !lineFound ? mmText(MmText::MixerNoLine)
                                      : info.cControls == 0 ? mmText(MmText::MixerNoControls) : "";
        message->setText(text);
    }
    if (volumeArea) {
        enableSubtree(volumeArea, hasVolume);
        EnableWindow(left->hwnd, stereo);
        EnableWindow(right->hwnd, stereo);
        EnableWindow(balance->hwnd, stereo);
    }
    if (lineFound && messagesLife && messagesLife->alive()) {
        handle = openMixerToWindow(m, (uintptr_t)messages->hwnd);
        messages->add(handle, this);
    }
    refreshValues();
    requestRelayout(this);
}

void MixerControlPanel::makeControls(const MIXERLINEA& info) {
    Mixer m = mixer();
    MixerControls list;
    if (!loadLineControls(m, info, list)) return;
    GLayoutBuilder b(owner);
    b.current = controlArea;
    for (u32 i = 0; i < list.count; ++i) {
        const MIXERCONTROLA& c = list[i];
        if (c.dwControlType == mixerControlVolume && !hasVolume) {
            hasVolume = true;
            volumeId = c.dwControlID;
            stereo = controlMetrics(m, info, c).channels > 1;
            continue;
        }
        Control record;
        record.metrics = controlMetrics(m, info, c);
        record.type = c.dwControlType;
        record.items = record.metrics.items;
        GRowItem::create(b, "08000");
        GString caption(c.dwControlType == mixerControlMute ? mmText(MmText::MixerMute) : c.szName);
        stringAppend(caption, ":");
        GLabel::create(b, caption.c_str(), 0, "U->-");
        u32 kind = c.dwControlType & mixerClassMask;
        if (kind == mixerClassSwitch) {
            record.windows.push_back(GCheckBoxItem::create(b, "", 0, "<C"));
        } else if (kind == mixerClassFader) {
            GRegulator* r = GRegulator::create(b, RegulatorTicksAfter, (i32)c.Bounds.dwMinimum, (i32)c.Bounds.dwMaximum, "UC");
            record.windows.push_back(r);
        } else if (kind == mixerClassList && record.items) {
            RecordArray<MIXERCONTROLDETAILS_LISTTEXTA> names;
            getMixerControlValues(m, record.metrics, names);
            if (isMultipleSelect(c.dwControlType)) {
                GColumnsItem::create(b, "00000", "U^");
                for (u32 k = 0; k < record.items; ++k)
                    record.windows.push_back(GCheckBoxItem::create(b, k < names.count ? names[k].szName : "", 0, "<^"));
                b.endContainer();
            } else {
                GCombo* combo = GCombo::create(b, static_cast<const GBag*>(nullptr), -1, 16, "UC");
                for (u32 k = 0; k < record.items; ++k) combo->addItem(k < names.count ? names[k].szName : "");
                record.windows.push_back(combo);
            }
        }
        b.endContainer();
        controls.push_back(std::move(record));
    }
}

void MixerControlPanel::refreshValues() {
    Mixer m = mixer();
    if (hasVolume) {
        u32 l = 0, r = 0;
        if (accessLineVolume(m, l, r, false, {(u32)line.destination, line.source})) {
            leftValue = l;
            rightValue = r;
            balanceValue = volumeBalance(l, r);
        }
    }
    showVolume();
    showing = true;
    for (Control& c : controls) {
        U32Array values;
        if (c.windows.empty() || !getMixerControlDetails(m, c.metrics, values) || !values.count) continue;
        u32 kind = c.type & mixerClassMask;
        if (kind == mixerClassSwitch) {
            static_cast<GCheckBox*>(c.windows[0])->setChecked(values.data[0] != 0);
        } else if (kind == mixerClassFader) {
            GRegulator* r = static_cast<GRegulator*>(c.windows[0]);
            r->setValue(r->clamp(values.data[0]));
        } else if (isMultipleSelect(c.type)) {
            for (u32 k = 0; k < c.windows.size() && k < values.count; ++k)
                static_cast<GCheckBox*>(c.windows[k])->setChecked(values.data[k] != 0);
        } else {
            i32 chosen = -1;
            for (u32 k = 0; k < c.items && k < values.count && chosen < 0; ++k)
                if (values.data[k]) chosen = (i32)k;
            static_cast<GCombo*>(c.windows[0])->select(chosen);
        }
    }
    showing = false;
}

void MixerControlPanel::showVolume() {
    if (!master) return;
    showing = true;
    u32 loudest = std::max(leftValue, rightValue);
    master->setValue(hasVolume ? loudest : 0);
    left->setValue(hasVolume ? leftValue : 0);
    right->setValue(hasVolume ? rightValue : 0);
    balance->setValue(hasVolume ? balanceValue : 50);
    GString text(mmText(MmText::MixerBalance));
    if (hasVolume) {
        stringAppendFormat(text, mmText(MmText::MixerBalanceValue), balanceValue);
        masterLabel->setTextF("%d%%", volumePercent(loudest));
        leftLabel->setTextF("%d%%", volumePercent(leftValue));
        rightLabel->setTextF("%d%%", volumePercent(rightValue));
    } else {
        masterLabel->setText("");
        leftLabel->setText("");
        rightLabel->setText("");
    }
    balanceLabel->setText(text.c_str());
    showing = false;
}

void MixerControlPanel::writeVolume(u32 newLeft, u32 newRight, i32 shownBalance) {
    Mixer m = mixer();
    if (accessLineVolume(m, newLeft, newRight, true, {(u32)line.destination, line.source})) {
        leftValue = newLeft;
        rightValue = stereo ? newRight : newLeft;
    }
    balanceValue = shownBalance;
    showVolume();
}

void MixerControlPanel::moveMaster(i64 value) {
    if (!hasVolume) return;
    u32 m = (u32)std::min(std::max(value, (i64)0), volumeMaximum);
    u32 l, r;
    balancedChannels(m, balanceValue, l, r);
    writeVolume(l, r, m == 0 ? 50 : balanceValue);
}

void MixerControlPanel::moveBalance(i64 value) {
    if (!hasVolume) return;
    i32 b = (i32)std::min(std::max(value, (i64)0), (i64)100);
    u32 l, r;
    balancedChannels(std::max(leftValue, rightValue), b, l, r);
    writeVolume(l, r, b);
}

void MixerControlPanel::centre() {
    if (!hasVolume) return;
    u32 m = std::max(leftValue, rightValue);
    writeVolume(m, m, 50);
}

void MixerControlPanel::writeControl(Control& c) {
    u32 count = c.metrics.valueCount;
    if (!count || c.windows.empty()) return;
    U32Array values;
    values.data = new u32[count];
    values.count = count;
    u32 items = c.items ? c.items : 1;
    u32 kind = c.type & mixerClassMask;
    for (u32 channel = 0; channel < c.metrics.channels; ++channel)
        for (u32 k = 0; k < items; ++k) {
            u32 v = 0;
            if (kind == mixerClassSwitch)
                v = static_cast<GCheckBox*>(c.windows[0])->isChecked() ? 1 : 0;
            else if (kind == mixerClassFader)
                v = (u32)static_cast<GRegulator*>(c.windows[0])->value;
            else if (isMultipleSelect(c.type))
                v = k < c.windows.size() && static_cast<GCheckBox*>(c.windows[k])->isChecked() ? 1 : 0;
            else
                v = static_cast<GCombo*>(c.windows[0])->selection == (i32)k ? 1 : 0;
            values.data[channel * items + k] = v;
        }
    Mixer m = mixer();
    setMixerControlDetails(c.metrics, m, values);
}

bool MixerControlPanel::onControlNotify(void* n) {
    GControlNotification* note = static_cast<GControlNotification*>(n);
    GItemBase* source = note->source;
    bool volumeSlider = source == master || source == balance || source == left || source == right;
    if (volumeSlider) {
        if (showing) return true;
        if (source == master) {
            moveMaster(master->value);
        } else if (source == balance) {
            moveBalance(balance->value);
        } else if (hasVolume) {
            u32 l = source == left ? (u32)left->value : leftValue;
            u32 r = source == right ? (u32)right->value : rightValue;
            writeVolume(l, r, volumeBalance(l, r));
        }
        return true;
    }
    for (Control& c : controls)
        for (GChildWindow* w : c.windows)
            if (source == w) {
                if (!showing) writeControl(c);
                return true;
            }
    return false;
}

bool MixerControlPanel::onCommand(u32 command, GStateQuery* query) {
    if (command != centreCommand) return GColumnsItem::onCommand(command, query);
    centre();
    return true;
}

i32 MixerControlPanel::commandState(u32 command) {
    if (command == centreCommand) return hasVolume ? CommandEnabled : CommandDisabled;
    return GColumnsItem::commandState(command);
}

i32 MixerControlPanel::handleKey(GInputEvent* e) {
    if (e->kind != KeyDown || (e->key != VK_ADD && e->key != VK_SUBTRACT)) return GColumnsItem::handleKey(e);
    i64 step = e->key == VK_ADD ? keyStep : -keyStep;
    moveMaster((i64)std::max(leftValue, rightValue) + step);
    return 2;
}
