#include "gui/views/localization_object.h"

#include <cstring>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/paths.h"
#include "gui/views/language_dialog.h"

PayloadMemberWriter extractPayloadMember = nullptr;

namespace {
const char* const kTemporaryName = "$t\\kx_43A674A547354_localization_embed.bin";

// A module file beside the list, which lies in the temporary folder, is extracted from the list
// member's payload folder into the temporary file; other paths stay. A failed extraction leaves no
// path, so the module fails to load.
void mapModulePath(Localizer& localizer, GString& path) {
    LocalizationObject& object = static_cast<LocalizationObject&>(localizer);
    GString folder(object.temporaryName);  // with its final separator
    if (!pathRemoveLastComponent(folder) || path.length <= folder.length ||
        _strnicmp(path.c_str(), folder.c_str(), folder.length) != 0)
        return;
    GString member(object.listMember);
    pathRemoveLastComponent(member);
    pathJoin(member, path.c_str() + folder.length);
    if (extractPayloadMember && extractPayloadMember(member.c_str(), object.temporaryName.c_str()))
        path = object.temporaryName;
    else
        path = GString("");
}

// The language of the code, confirmed or changed by the user.
i32 chooseInDialog(Localizer& localizer) {
    i32 index = localizer.findLanguage(localizer.languageCode.c_str(), localizer.languageCode.length);
    GLanguageDialog::run(nullptr, localizer, index);
    return index;
}
}  // namespace

LocalizationObject::~LocalizationObject() {
    if (initSteps[3] == this) initSteps[3] = nullptr;
}

void LocalizationObject::create(const char* code) {
    languageCode = GString(code);
    mapPath = mapModulePath;
    chooseLanguage = chooseInDialog;
    initSteps[3] = this;
}

bool LocalizationObject::start(ErrorHandler* errorHandler, bool) {
    handler = errorHandler;
    struct RemoveTemporary {
        GString& name;
        ~RemoveTemporary() {
            if (name.length) deleteFile(name.c_str());
            name = GString();
        }
    } remove{temporaryName};
    temporaryName = GString(kTemporaryName);
    expandPathMacros(temporaryName);
    try {
        if (!extractPayloadMember || !extractPayloadMember(listMember.c_str(), temporaryName.c_str())) {
            reportToHandler(handler, coreText(CoreText::LocalizationFailed), nullptr, listMember.c_str(), 0);
            return false;
        }
        // The localizer reads the list under its long name; module paths are matched against it.
        normalizePath(temporaryName);
        listPath = temporaryName;
        return loadLanguages();
    } catch (const GException&) {
        return false;
    }
}
