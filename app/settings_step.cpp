#include "app/settings_step.h"

#include "app/app_settings.h"
#include "core/bag_file.h"
#include "gui/paint/gui_settings.h"
#include "mm/mm_settings.h"

SettingsStep::SettingsStep(GGuiSettings& r, const char* path, const char* section, u32 version)
    : record(&r), path(path), section(section), version(version) {
    readRecord = [](void* p, GBag& bag) { static_cast<GGuiSettings*>(p)->read(bag); };
    writeRecord = [](const void* p, GBag& bag) { static_cast<const GGuiSettings*>(p)->write(bag); };
    resetRecord = [](void* p) { *static_cast<GGuiSettings*>(p) = GGuiSettings(); };
}

SettingsStep::SettingsStep(MultimediaSettings& r, const char* path, const char* section, u32 version)
    : record(&r), path(path), section(section), version(version) {
    readRecord = [](void* p, GBag& bag) { static_cast<MultimediaSettings*>(p)->read(&bag); };
    writeRecord = [](const void* p, GBag& bag) {
        writeMultimediaSettings(&bag, *static_cast<const MultimediaSettings*>(p));
    };
    resetRecord = [](void* p) {
        MultimediaSettings fresh;
        static_cast<MultimediaSettings*>(p)->assign(fresh);
    };
}

SettingsStep::SettingsStep(AppSettings& r, const char* path, const char* section, u32 version)
    : record(&r), path(path), section(section), version(version) {
    readRecord = [](void* p, GBag& bag) { readAppSettings(*static_cast<AppSettings*>(p), bag); };
    writeRecord = [](const void* p, GBag& bag) { writeAppSettings(*static_cast<const AppSettings*>(p), bag); };
    resetRecord = [](void* p) { *static_cast<AppSettings*>(p) = AppSettings(); };
}

// Read failures are not shown: a first start has no stores yet.
bool SettingsStep::start(ErrorHandler*, bool reset) {
    if (reset) this->reset();
    else load();
    return true;
}

void SettingsStep::stop() { save(); }

bool SettingsStep::load(ErrorHandler* handler) {
    return loadSectionFile(
        path.c_str(), section.c_str(), bagFileTag("OPTS"), version, [&](GBag& bag) { readRecord(record, bag); },
        handler);
}

bool SettingsStep::save(ErrorHandler* handler) const {
    return saveSectionFile(
        path.c_str(), section.c_str(), bagFileTag("OPTS"), version, [&](GBag& bag) { writeRecord(record, bag); },
        handler);
}

void SettingsStep::reset() { resetRecord(record); }
