#include "app/sound_format_dialogs.h"

#include <windows.h>

#include "app/app_settings.h"
#include "app/program_texts.h"
#include "gui/controls/button_row.h"
#include "gui/controls/digit_field.h"
#include "gui/kernel/modal_run.h"
#include "gui/kernel/window_procedure.h"
#include "gui/layout/layout_builder.h"
#include "gui/layout/layout_rows.h"

namespace {
const u32 dialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

GColumnsItem* beginBody(GDialog* dialog, GLayoutBuilder& builder) {
    GColumnsItem* body = new GColumnsItem(dialog);
    builder.pushContainer(body, "88488", nullptr);
    dialog->setContent(body);
    return body;
}
}  // namespace

u32 newSoundMaxFrames(u32 rate) {
    const u64 frames = 6060ull * rate;
    return frames > 0xFFFFFFFFull ? 0xFFFFFFFFu : (u32)frames;
}

bool buildFormatDialog(FormatDialog* dialog, const NewSoundFields& fields, SamplePeriod* length,
                       FormatDialogParts* parts) {
    if (!createTopLevelWindow(dialog, dialogStyle, 0, ravoText(RavoText::FormatTitle))) return false;
    GLayoutBuilder builder(dialog, &dialog->fields);
    beginBody(dialog, builder);
    NewSoundFormatPanel* format = NewSoundFormatPanel::create(builder, fields, "UC");
    const u32 rate = *fields.rate ? *fields.rate : 44100;
    SampleCountRange range = {0, 0, newSoundMaxFrames(rate), -1};
    DigitField* field = addDigitField(builder, ravoText(RavoText::FormatLength),
                                      reinterpret_cast<SampleCountRecord*>(length), range, rate, nullptr, "UC");
    format->ratePanel->rateChanged = [field](u32 r) { field->setRateKeepingCount(r, newSoundMaxFrames(r)); };
    GButtonRow::create(builder, "OCH");
    builder.endContainer();
    dialog->fitToContent();
    if (parts) *parts = {format, field};
    return true;
}

bool runFormatDialog(GWindow* owner) {
    FormatDialog dialog(owner, "create_new.htm");
    SoundFormatSettings& s = appSettings.Common.SoundFormat;
    NewSoundFields fields = {&s.tag, &s.channels, &s.encoding, &s.rate};
    if (!buildFormatDialog(&dialog, fields, &appSettings.Editor.newFilePeriod)) return false;
    return runModal(&dialog) == 1;
}

bool buildRateDialog(RateDialog* dialog, const char* title, u32* rate, SampleRatePanel** panel) {
    if (!createTopLevelWindow(dialog, dialogStyle, 0, title ? title : ravoText(RavoText::RateTitle))) return false;
    GLayoutBuilder builder(dialog, &dialog->fields);
    beginBody(dialog, builder);
    SampleRatePanel* made = SampleRatePanel::create(builder, rate, "UC");
    GButtonRow::create(builder, "OCH");
    builder.endContainer();
    dialog->fitToContent();
    if (panel) *panel = made;
    return true;
}

bool runRateDialog(GWindow* owner, const char* title, u32* rate) {
    RateDialog dialog(owner, "rate.htm");
    u32 copy = *rate;
    if (!buildRateDialog(&dialog, title, &copy)) return false;
    if (runModal(&dialog) != 1) return false;
    *rate = copy;
    return true;
}
