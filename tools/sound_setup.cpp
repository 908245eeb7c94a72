#include "tools/sound_setup.h"

#include "core/exceptions.h"
#include "mm/mixer_state.h"
#include "mm/mm_settings.h"
#include "mm/mm_texts.h"

bool writeSoundSetup(SoundSettings& sound, GBag& bag, ErrorHandler* sink) {
    bag.pos = bag.size = 0;
    sound.play.writeTo(bag);
    sound.record.writeTo(bag);
    return writeAllMixers(bag, sink);
}

bool readSoundSetup(SoundSettings& sound, GBag& bag, ErrorHandler* sink) {
    bag.pos = 0;
    // A device record refused for its length would leave the next one to read the wrong bytes.
    if (bag.size < soundSetupMinimum) return reportMessage(sink, mmText(MmText::DamagedFile), 0) && false;
    sound.play.readFrom(bag);
    sound.record.readFrom(bag);
    bool all;
    try {
        all = readAllMixers(bag, sink);
    } catch (const GBagException&) {
        reportMessage(sink, mmText(MmText::DamagedFile), 0);
        all = false;
    }
    sound.play.notifyListeners(nullptr, DeviceChange::All);
    sound.record.notifyListeners(nullptr, DeviceChange::All);
    return all;
}
