#pragma once
// SettingsStep: the start/stop step of one settings store. Start reads the record from its store
// file (on a reset it gives the record its defaults instead); stop writes the store. The step table
// owns the step; the record is a global that outlives it.
#include "core/gstring.h"
#include "gui/kernel/init_step.h"

struct AppSettings;
struct GBag;
struct GGuiSettings;
class MultimediaSettings;

class SettingsStep : public GInitStep {
public:
    SettingsStep(GGuiSettings& record, const char* path, const char* section, u32 version = 1);
    SettingsStep(MultimediaSettings& record, const char* path, const char* section, u32 version = 1);
    SettingsStep(AppSettings& record, const char* path, const char* section, u32 version = 1);

    // True in every case: a store that cannot be read leaves the values at hand.
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override;

    // The store: a bag file "OPTS" of the version holding the section. Load is false when the file
    // is missing, foreign or damaged; what was read before the damage stays.
    bool load(ErrorHandler* handler = nullptr);
    bool save(ErrorHandler* handler = nullptr) const;
    // The record's defaults.
    void reset();

    void* record;
    GString path;
    GString section;
    u32 version;

private:
    void (*readRecord)(void* record, GBag& bag);
    void (*writeRecord)(const void* record, GBag& bag);
    void (*resetRecord)(void* record);
};
