#pragma once
// LocalizationObject: the start step of installer mode in slot 3, in place of the ordinary
// localizer. The program has no language folder then: the language list and the module files come
// out of the program's installation payload through one temporary file, and the user confirms the
// language in GLanguageDialog. The program entry owns the object; it lives across restarts.
#include "core/localizer.h"
#include "gui/kernel/init_step.h"

// Writes a member of the program's installation payload ("Data\lang\lang.xml") to a file; false
// when it cannot. The installer installs it at start; without it nothing loads.
typedef bool (*PayloadMemberWriter)(const char* member, const char* path);
extern PayloadMemberWriter extractPayloadMember;

class LocalizationObject : public GInitStep, public Localizer {
public:
    LocalizationObject(TextModule* const* modules, u32 moduleCount) : Localizer(modules, moduleCount) {}
    // Leaves step slot 3 when it is there.
    ~LocalizationObject() override;

    // Takes the language code (may be null), sets the callbacks and puts the object in slot 3.
    void create(const char* code);
    // Extracts the list into the temporary file, loads the languages and module texts from the
    // payload and removes the temporary file on every way out. False on any failure, which is
    // reported to the handler.
    bool start(ErrorHandler* handler, bool reset) override;
    void stop() override { clearLanguages(); }

    // The payload member of the language list; module files lie in its folder.
    GString listMember{"Data\\lang\\lang.xml"};
    // The temporary file while start runs, else empty.
    GString temporaryName;
};
