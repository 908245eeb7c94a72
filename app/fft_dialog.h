#pragma once
// FFTDialog: the settings of a spectrum analysis, every control bound to the Fourier settings it is
// built over. Its caller owns it (on the stack of a modal run); its controls belong to its window.
#include "app/editor_settings.h"
#include "app/effect_dialogs.h"

class GCombo;
class GEditLine;
class GRadioBox;

// The sizes the size list offers, in its order.
const u32 fftSizeChoices[5] = {512, 1024, 2048, 4096, 8192};

class FFTDialog : public GDialog {
public:
    explicit FFTDialog(GWindow* owner, const char* help = "spectran.htm") : GDialog(owner, help) {}
    bool isKindOf(u32 id) const override { return id == TypeFFTDialog || GDialog::isKindOf(id); }
    const char* className() const override { return "FFTDialog"; }
    u32 typeId() const override { return TypeFFTDialog; }
    // OK that ends the dialog stores the window and the size choices.
    bool onCommand(u32 command, GStateQuery* query) override;
    // A radio box of the range group enables or disables the size list.
    bool onControlNotify(void* notification) override;
    // The size list is enabled only while the cursor-centred range is chosen.
    void enableSizes(bool aroundCursor);

    FourierSettings* settings = nullptr;
    GEditLine* limitLine = nullptr;
    GCombo* windows = nullptr;
    GCombo* sizes = nullptr;
    GRadioBox* selectionBox = nullptr;
    GRadioBox* cursorBox = nullptr;
};

// The window over the settings (the limit, window, range, tracks, result groups, two check boxes
// and "OCH"); false when it could not be made.
bool buildFftBody(FFTDialog* dialog, const char* title, FourierSettings* settings);
