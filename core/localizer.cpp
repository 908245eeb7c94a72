#include "core/localizer.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/error.h"
#include "core/exceptions.h"
#include "core/gfile.h"
#include "core/parse.h"
#include "core/paths.h"
#include "core/wide_text.h"

namespace {

// ---- the small XML reader of the language list ----

struct XmlAttribute {
    GString name;
    GString value;
};

struct XmlElement {
    GString name;
    bool closing = false;   // </name>
    bool empty = false;     // <name ... />
    std::vector<XmlAttribute> attributes;

    const char* attribute(const char* attributeName) const {
        for (const XmlAttribute& a : attributes)
            if (stringEquals(a.name, attributeName)) return a.value.c_str();
        return nullptr;
    }
};

// Reads elements one byte at a time; text between elements is passed over, and so are processing
// instructions and comments. Bad entities are reported on the file and thrown as GException.
class XmlReader {
public:
    explicit XmlReader(GFile& file) : file(file) {}

    // The next element; false at the end of the file.
    bool next(XmlElement& element) {
        for (;;) {
            int c = get();
            while (c >= 0 && c != '<') c = get();
            if (c < 0) return false;
            c = get();
            if (c == '?') {
                skipPast("?>");
                continue;
            }
            if (c == '!') {
                if (get() == '-' && get() == '-')
                    skipPast("-->");
                else
                    skipPast(">");
                continue;
            }
            element.name = GString("");
            element.closing = element.empty = false;
            element.attributes.clear();
            if (c == '/') {
                element.closing = true;
                c = get();
            }
            while (c >= 0 && !isSpace(c) && c != '>' && c != '/') {
                stringAppendChar(element.name, (char)c);
                c = get();
            }
            return readAttributes(element, c);  // an element cut by the end of the file is dropped
        }
    }

private:
    static bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    int get() {
        if (atEnd) return -1;
        int c = getc(file.fp);
        if (c == EOF) atEnd = true;
        return c == EOF ? -1 : c;
    }

    void skipPast(const char* end) {
        size_t n = strlen(end), matched = 0;
        while (matched < n) {
            int c = get();
            if (c < 0) return;
            matched = c == end[matched] ? matched + 1 : (c == end[0] ? 1 : 0);
        }
    }

    // From the character after the name to the element's ">"; false when the file ends first.
    bool readAttributes(XmlElement& element, int c) {
        for (;;) {
            while (isSpace(c)) c = get();
            if (c < 0) return false;
            if (c == '>') return true;
            if (c == '/') {
                c = get();
                if (c == '>') {
                    element.empty = true;
                    return true;
                }
                continue;
            }
            XmlAttribute attribute;
            attribute.name = GString("");
            while (c >= 0 && !isSpace(c) && c != '=' && c != '>' && c != '/') {
                stringAppendChar(attribute.name, (char)c);
                c = get();
            }
            while (isSpace(c)) c = get();
            if (c != '=') continue;  // a name without a value
            c = get();
            while (isSpace(c)) c = get();
            if (c != '"') continue;
            attribute.value = GString("");
            for (c = get(); c >= 0 && c != '"'; c = get()) {
                if (c == '&')
                    stringAppendChar(attribute.value, readEntity());
                else
                    stringAppendChar(attribute.value, (char)c);
            }
            element.attributes.push_back(std::move(attribute));
            c = get();
        }
    }

    // The character of "&name;" after its "&".
    char readEntity() {
        GString name("");
        for (int c = get(); c != ';'; c = get()) {
            if (c < 0 || name.length >= 511) fail(CoreText::BadEscapeSequence);
            stringAppendChar(name, (char)c);
        }
        static const struct {
            const char* name;
            char c;
        } entities[] = {{"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"amp", '&'}};
        for (const auto& e : entities)
            if (stringEquals(name, e.name)) return e.c;
        fail(CoreText::UnknownEscapeSequence);
    }

    [[noreturn]] void fail(CoreText message) {
        reportFileError(file, coreText(message), nullptr, 0);
        throw GException();
    }

    GFile& file;
    bool atEnd = false;
};

// Reports the message on the list file, then breaks off the loading.
[[noreturn]] void failLoading(GFile& list, CoreText message) {
    reportFileError(list, coreText(message), nullptr, 0);
    throw GException();
}

void readLanguages(Localizer& localizer, GFile& list) {
    XmlReader reader(list);
    XmlElement element;
    Language* current = nullptr;  // the language whose File elements are being read
    while (reader.next(element)) {
        if (stringEquals(element.name, "Lang")) {
            current = nullptr;
            if (element.closing) continue;
            const char* name = element.attribute("name");
            const char* show = element.attribute("show");
            if (!name || !show) continue;
            std::unique_ptr<Language> language(new Language);
            stringAssignText(language->name, name);
            stringAssignText(language->show, show);
            if (const char* codePage = element.attribute("codepage"))
                if (!parseUnsigned(codePage, &language->codePage)) throw GException();
            if (!element.empty) current = language.get();
            appendSlot(localizer.languages, language.release());
        } else if (stringEquals(element.name, "File") && !element.closing && current) {
            const char* module = element.attribute("module");
            const char* bin = element.attribute("bin");
            if (module && bin) appendSlot(current->files, new LanguageFile{GString(module), GString(bin)});
        }
    }
}

u32 fileBytesLeft(FILE* f) {
    i64 here = _ftelli64(f);
    if (here < 0 || _fseeki64(f, 0, SEEK_END) != 0) return 0;
    i64 end = _ftelli64(f);
    _fseeki64(f, here, SEEK_SET);
    return end > here ? (u32)std::min<i64>(end - here, 0xFFFFFFFF) : 0;
}

void readExactly(FILE* f, void* buffer, u32 n) {
    if (n && fread(buffer, 1, n, f) != n) throw LocalizerException{f};
}

}  // namespace

Language::~Language() {
    for (u32 i = 0; i < files.count; ++i) delete files.at<LanguageFile>(i);
}

Localizer::Localizer(TextModule* const* modules, u32 moduleCount, const char* code, ErrorHandler* handler)
    : languageCode(code), modules(modules), moduleCount(moduleCount), handler(handler),
      chooseLanguage(defaultLanguageChoice) {}

Localizer::~Localizer() { clearLanguages(); }

void Localizer::clearLanguages() {
    for (u32 i = 0; i < languages.count; ++i) delete languages.at<Language>(i);
    arrayFree(languages);
    chosen = -1;
}

i32 Localizer::findLanguage(const char* name, u32 length) const {
    for (u32 i = 0; i < languages.count; ++i) {
        const GString& candidate = language(i)->name;
        if (candidate.length == length && memcmp(candidate.c_str(), name, length) == 0) return (i32)i;
    }
    return -1;
}

i32 Localizer::findLanguage(const char* name) const { return name ? findLanguage(name, (u32)strlen(name)) : -1; }

GString userLocaleLanguage() {
    char buffer[128];
    GString name;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE, buffer, sizeof buffer) > 0) {
        if (char* cut = strchr(buffer, '_')) *cut = 0;
        stringAssignText(name, buffer);
    }
    return name;
}

i32 defaultLanguageChoice(Localizer& localizer) {
    if (localizer.languageCode.length) {
        i32 index = localizer.findLanguage(localizer.languageCode.c_str(), localizer.languageCode.length);
        if (index >= 0) return index;
    }
    GString choicePath(localizer.choicePath);
    expandPathMacros(choicePath);
    GString choice;
    if (readWholeFile(choicePath.c_str(), choice)) {
        i32 index = localizer.findLanguage(choice.c_str(), choice.length);
        if (index >= 0) return index;
    }
    GString locale = userLocaleLanguage();
    if (locale.length) {
        i32 index = localizer.findLanguage(locale.c_str(), locale.length);
        if (index >= 0) return index;
    }
    return 0;
}

bool Localizer::loadLanguages() {
    clearLanguages();
    GString path(listPath);
    expandPathMacros(path);
    normalizePath(path);
    GFile list(handler);
    if (!fileOpen(list, path.c_str(), FileMode::Read)) return false;
    readLanguages(*this, list);
    if (!languages.count) failLoading(list, CoreText::NoValidLanguages);
    // Read in full: the list is not held open while the modules load (a path mapping may reuse
    // its file); failures are still reported with its name.
    fileCloseQuietly(list);

    i32 index = chooseLanguage(*this);
    chosen = index >= 0 && (u32)index < languages.count ? index : 0;
    const Language& lang = *language((u32)chosen);

    // Every module is read into a stage of its own first; the slots and the code page change only
    // once all have been read, so a failure leaves the program with the texts it held.
    struct Stage {
        std::vector<const char*> slots;
        TextModule module{};
        ~Stage() { delete[] module.block; }
    };
    std::vector<Stage> stages(moduleCount);
    GString folder(path);
    pathRemoveLastComponent(folder);
    for (u32 m = 0; m < moduleCount; ++m) {
        const TextModule& module = *modules[m];
        const LanguageFile* found = nullptr;
        for (u32 i = 0; i < lang.files.count; ++i) {
            const LanguageFile* file = lang.files.at<LanguageFile>(i);
            if (!stringEquals(file->module, module.name)) continue;
            if (found) failLoading(list, CoreText::DuplicateModule);
            found = file;
        }
        if (!found) failLoading(list, CoreText::ModuleNotLocalized);
        GString binPath;
        stringConstruct(binPath, folder.c_str(), '\\', found->bin.c_str());
        if (mapPath) mapPath(*this, binPath);
        Stage& stage = stages[m];
        stage.slots.assign(module.slots, module.slots + module.count);
        stage.module = TextModule{module.name, stage.slots.data(), module.defaults, module.count, nullptr};
        bool loaded;
        try {
            loaded = readLanguageFile(stage.module, binPath.c_str());
        } catch (const LocalizerException& e) {
            if (e.stream) fclose(e.stream);
            loaded = false;
        }
        if (!loaded) failLoading(list, CoreText::LocalizationFailed);
    }

    setProcessCodePage(lang.codePage);
    for (u32 m = 0; m < moduleCount; ++m) {
        TextModule& module = *modules[m];
        Stage& stage = stages[m];
        std::copy(stage.slots.begin(), stage.slots.end(), module.slots);
        delete[] module.block;
        module.block = stage.module.block;
        stage.module.block = nullptr;
    }
    return true;
}

bool Localizer::storeLanguageChoice(u32 index) {
    if (index >= languages.count) return false;
    GString path(choicePath);
    expandPathMacros(path);
    GString folder(path);
    if (pathRemoveLastComponent(folder) && !pathIsDirectory(folder.c_str())) createDirectory(folder.c_str(), handler);
    const GString& name = language(index)->name;
    CachedFile file(path.c_str(), handler);
    return writeFileIfChanged(file, name.c_str(), name.length);
}

bool readLanguageFile(TextModule& module, const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    u32 count = 0, size = 0;
    readExactly(f, &count, 4);
    std::unique_ptr<u32[]> offsets;
    std::unique_ptr<char[]> block;
    bool valid = count <= module.count;
    if (count && valid) {
        readExactly(f, &size, 4);
        // A block larger than the file is a short file; nothing that size is allocated.
        if ((u64)count * 4 + size > fileBytesLeft(f)) throw LocalizerException{f};
        offsets.reset(new u32[count]);
        readExactly(f, offsets.get(), count * 4);
        block.reset(new char[size ? size : 1]);
        readExactly(f, block.get(), size);
        valid = size > 0 && block[size - 1] == 0;
        for (u32 i = 0; valid && i < count; ++i) valid = offsets[i] < size;
    }
    fclose(f);
    if (!valid) return false;
    for (u32 i = 0; i < module.count; ++i) module.slots[i] = i < count ? block.get() + offsets[i] : "";
    delete[] module.block;
    module.block = block.release();
    return true;
}

void restoreDefaultTexts(TextModule& module) {
    for (u32 i = 0; i < module.count; ++i) module.slots[i] = module.defaults[i];
    delete[] module.block;
    module.block = nullptr;
}
