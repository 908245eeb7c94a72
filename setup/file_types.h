#pragma once
// FileTypeRegistrar: registers and removes the program's document types under HKCR. Extension
// keys are written or deleted only when absent or naming our class; the "Ravo.*" classes are ours.
// The installer dialogs hold it; whoever makes it deletes it.
#include "core/gstring.h"

class ErrorHandler;
struct InstallRecord;

class FileTypeRegistrar {
public:
    virtual ~FileTypeRegistrar() = default;
    // Without machine rights it writes nothing. Stores the interface language in the "lang" data file.
    virtual bool registerFileTypes(ErrorHandler* handler, const InstallRecord& record, const char* installFolder);
    virtual bool unregisterFileTypes(ErrorHandler* handler, const InstallRecord& record, const char* installFolder);

    // The code written to "lang" (the running localizer's), may be empty.
    GString languageCode;
    // The rights probe.
    bool (*hasMachineRights)() = nullptr;
};

struct FileType {
    const char* extension;    // ".ravo"
    const char* className;    // "Ravo.ravo"
    const char* description;  // "Ravo Project file"
};
extern const FileType programFileTypes[4];
