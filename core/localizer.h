#pragma once
// The localizer: reads the list of languages ("lang.xml"), chooses one, sets the code page and
// replaces the text slots of every module from the language's binary file of that module.
//
// Binary language file (little-endian): u32 N texts, u32 S block size, N u32 offsets into the
// block, then the block of S bytes of NUL-terminated texts.
#include "core/arrays.h"
#include "core/gstring.h"
#include "core/texts.h"

class ErrorHandler;

struct LanguageFile {
    GString module;
    GString bin;  // relative to the folder of the list file
};

struct Language {
    GString name;
    GString show;  // the name shown to the user
    u32 codePage = 0;
    PointerArray files;  // LanguageFile*

    Language() = default;
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;
    ~Language();
};

class Localizer {
public:
    // The modules are the program's module table, in loading order; languageCode is the language
    // asked for on the command line (may be null).
    Localizer(TextModule* const* modules, u32 moduleCount, const char* languageCode = nullptr,
              ErrorHandler* handler = nullptr);
    ~Localizer();
    Localizer(const Localizer&) = delete;
    Localizer& operator=(const Localizer&) = delete;

    // Reads the list, chooses the language, sets the code page and loads every module. False when
    // the list cannot be opened; the failures after that are reported to the handler with the list
    // file's name and then thrown as GException; every module then keeps the texts it held and the
    // code page stays as it was.
    bool loadLanguages();
    // Index of the language of that exact name, or -1.
    i32 findLanguage(const char* name, u32 length) const;
    i32 findLanguage(const char* name) const;
    // Makes the language's name the whole content of the choice file.
    bool storeLanguageChoice(u32 index);
    void clearLanguages();

    u32 languageCount() const { return languages.count; }
    const Language* language(u32 index) const { return languages.at<Language>(index); }

    GString listPath{"$e\\Data\\lang\\lang.xml"};
    GString choicePath{"$d\\lang"};
    GString languageCode;
    TextModule* const* modules;
    u32 moduleCount;
    PointerArray languages;  // Language*
    i32 chosen = -1;
    ErrorHandler* handler;
    // Maps a module file's path before it is opened; null leaves it unchanged.
    void (*mapPath)(Localizer& localizer, GString& path) = nullptr;
    // Chooses the language; an index outside the list takes the first language.
    i32 (*chooseLanguage)(Localizer& localizer);
};

// The standard choice, first rule that finds one: the language code; the whole content of the
// choice file; the user's locale language; the first language.
i32 defaultLanguageChoice(Localizer& localizer);
// The language name of the user's default locale as the runtime names locales ("English").
GString userLocaleLanguage();

// Replaces the module's slots from a binary language file, all or nothing: the file is read and
// checked (no more texts than slots, offsets inside the block, a NUL ending the block) before any
// slot changes. Slots beyond the file's texts become empty. False when the file cannot be opened or
// is refused; throws LocalizerException (holding the open stream) when it is short.
bool readLanguageFile(TextModule& module, const char* path);
// Puts the English texts back and frees the loaded block.
void restoreDefaultTexts(TextModule& module);
