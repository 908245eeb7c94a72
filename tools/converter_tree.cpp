#include "tools/converter_tree.h"

#include <windows.h>
#include <mmreg.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "core/error.h"
#include "gui/frame/open_file_registry.h"
#include "gui/kernel/message_box.h"
#include "gui/paint/image_list_cache.h"
#include "mm/codec_plugin.h"
#include "mm/mm_texts.h"
#include "mm/riff_block.h"
#include "mm/sound_format.h"
#include "tools/conversion_task.h"
#include "tools/file_structure.h"

namespace {
bool systemListDrivers(std::vector<AcmDriverInfo>& drivers) { return enumAcmDrivers(drivers, false, nullptr); }
bool systemOpenDriver(void** driver, void* id) { return openAcmDriver(driver, id, nullptr) && *driver; }
void systemCloseDriver(void* driver) { closeAcmDriver(driver, nullptr); }
bool systemEnumFormats(void* driver, const WAVEFORMATEX* source, u32 flags, AcmFormatCallback callback, void* context) {
    return enumAcmFormats(driver, source, flags, callback, context, nullptr);
}
void systemListEncoders(std::vector<CodecEncoderInfo>& out) {
    out.clear();
    listCodecEncoders(codecPlugin().enumerateEncoders, out);
}
void systemListDecoders(const char* path, std::vector<CodecDecoderInfo>& out) {
    out.clear();
    listCodecDecoders(codecPlugin().enumerateDecoders, path, out);
}
}  // namespace

const ConverterCalls converterCallsDefaults = {systemListDrivers, systemOpenDriver, systemCloseDriver,
                                               systemEnumFormats, acmFormatTagName,  acmFormatText,
                                               systemListEncoders, systemListDecoders};
ConverterCalls converterCalls = converterCallsDefaults;

ConverterFormatNode::ConverterFormatNode(const char* groupName) { stringAssignText(name, groupName); }

ConverterFormatNode::ConverterFormatNode(ConverterFormatNode* group, u32 kind, i32 tag, const char* text,
                                         const char* description)
    : BlockBase(group), description(description), tag(tag), kind(kind) {
    stringAssignText(name, text);
}

void ConverterFormatNode::displayName(GString& out) const {
    if (description) stringFormat(out, "%s: %s", description, name.c_str());
    else stringAssignText(out, name.c_str());
}

void* ConverterFormatNode::image() const { return kind == FormatGroupNode ? nullptr : getImageList(FormatNodeImage); }

AcmFormatRecord makeAcmFormatRecord(const WAVEFORMATEX* format, const char* text) {
    AcmFormatRecord r;
    const u32 size = format->wFormatTag == WAVE_FORMAT_PCM ? 16 : 18 + format->cbSize;
    r.format.assign(std::max<u32>(size, 18), 0);
    memcpy(r.format.data(), format, size);
    mutableFormat(r.format)->cbSize = (u16)(r.format.size() - 18);
    stringAssignText(r.text, text ? text : "");
    return r;
}

bool collectPcmTarget(void* records, const WAVEFORMATEX* format, const char* formatText) {
    if (format->wFormatTag != WAVE_FORMAT_PCM) return true;
    GString text;
    stringFormat(text, "PCM; %s", formatText ? formatText : "");
    static_cast<AcmFormatRecords*>(records)->push_back(makeAcmFormatRecord(format, text.c_str()));
    return true;
}

bool collectAcmTarget(void* records, const WAVEFORMATEX* format, const char* formatText) {
    static_cast<AcmFormatRecords*>(records)->push_back(makeAcmFormatRecord(format, formatText));
    return true;
}

void nameAcmTargets(AcmFormatRecords& records, void* driver, const AcmDriverInfo& details) {
    const bool pcmConverter = details.mid == 1 && details.pid == 0x26;
    u32 previous = 0xFFFF;
    std::string tagName;
    std::set<u32> unreadable;
    for (size_t i = 0; i < records.size();) {
        AcmFormatRecord& r = records[i];
        const u32 tag = asFormat(r.format)->wFormatTag;
        if (tag == WAVE_FORMAT_PCM && !pcmConverter) {
            ++i;
            continue;
        }
        if (tag != previous) {
            previous = tag;
            if (!converterCalls.tagName(driver, tag, tagName)) unreadable.insert(tag);
        }
        if (unreadable.count(tag)) {
            records.erase(records.begin() + (std::ptrdiff_t)i);
            continue;
        }
        GString text;
        stringFormat(text, "%s; %s", tagName.c_str(), r.text.c_str());
        stringCopy(r.text, text);
        ++i;
    }
}

FormatGroup acmTargetGroup(u32 tag) {
    if (tag == WAVE_FORMAT_PCM) return GroupPcm;
    if (tag == 2 || (tag >= 16 && tag <= 32)) return GroupAdpcm;
    if (tag == 0x55) return GroupMp3;
    if (tag == 0x50) return GroupMp2;
    if (tag >= 0x674F && tag <= 0x6771) return GroupOgg;
    return GroupOther;
}

FormatTreeBuild::~FormatTreeBuild() {
    for (ConverterFormatNode* g : groups) delete g;
}

bool FormatTreeBuild::hasCountedRows() const {
    for (size_t i = 0; i < countedGroups && i < groups.size(); ++i)
        if (groups[i]) return true;
    return false;
}

namespace {
const char* groupName(FormatGroup g) {
    switch (g) {
    case GroupOwn: return "Ravo";
    case GroupMp2: return "MP2";
    case GroupMp3: return "MP3";
    case GroupOgg: return "Ogg";
    case GroupPcm: return "PCM";
    case GroupAdpcm: return "ADPCM";
    default: return mmText(MmText::ConverterOtherGroup);
    }
}

struct Groups {
    ConverterFormatNode* at[GroupCount] = {};
    ~Groups() {
        for (ConverterFormatNode* g : at) delete g;
    }
    ConverterFormatNode* get(FormatGroup g) {
        if (!at[g]) at[g] = new ConverterFormatNode(groupName(g));
        return at[g];
    }
};

// Group of a codec library encoder family and its node tag.
FormatGroup encoderGroup(u32 family, i32* tag) {
    static const struct {
        FormatGroup group;
        i32 tag;
    } table[] = {{GroupPcm, 1}, {GroupAdpcm, 2}, {GroupMp2, 0x50}, {GroupMp3, 0x55}, {GroupOgg, 0x674F}};
    if (family < 5) {
        *tag = table[family].tag;
        return table[family].group;
    }
    *tag = -1;
    return GroupOther;
}

void codecEntryName(GString& out, const GString& shortName, const GString& longName) {
    stringFormat(out, "%s [%s]", shortName.c_str(), longName.c_str());
}

void addWaveEncoders(Groups& groups) {
    std::vector<CodecEncoderInfo> encoders;
    converterCalls.listEncoders(encoders);
    for (const CodecEncoderInfo& e : encoders) {
        i32 tag;
        FormatGroup g = encoderGroup(e.family, &tag);
        GString name;
        codecEntryName(name, e.shortName, e.longName);
        auto* node = new ConverterFormatNode(groups.get(g), FormatPluginNode, tag, name.c_str(),
                                             mmText(MmText::ConverterEncoderNode));
        stringCopy(node->encoderText, e.longName);
    }
}

// Each driver that opens, with the candidates of the source the collector keeps.
template <typename Each>
void forEachDriver(Each each) {
    std::vector<AcmDriverInfo> drivers;
    if (!converterCalls.listDrivers(drivers)) return;
    for (const AcmDriverInfo& d : drivers) {
        void* opened = nullptr;
        if (!converterCalls.openDriver(&opened, d.id)) continue;
        each(d, opened);
        converterCalls.closeDriver(opened);
    }
}

void addWaveAcmTargets(Groups& groups, const WAVEFORMATEX* source) {
    forEachDriver([&](const AcmDriverInfo& d, void* opened) {
        AcmFormatRecords convertible, suggested;
        converterCalls.enumFormats(opened, source, AcmEnumConvert, collectAcmTarget, &convertible);
        nameAcmTargets(convertible, opened, d);
        if (convertible.empty()) return;
        const u32 tag = asFormat(convertible[0].format)->wFormatTag;
        converterCalls.enumFormats(opened, source, AcmEnumSuggest, collectAcmTarget, &suggested);
        nameAcmTargets(suggested, opened, d);
        auto* node = new ConverterFormatNode(groups.get(acmTargetGroup(tag)), FormatAcmNode, (i32)tag, d.longName,
                                             mmText(MmText::ConverterAcmNode));
        node->acmDriver = d.id;
        node->convertible.swap(convertible);
        node->suggested.swap(suggested);
    });
}

void addAcmDecoders(ConverterFormatNode* decoders, const WAVEFORMATEX* source) {
    forEachDriver([&](const AcmDriverInfo& d, void* opened) {
        AcmFormatRecords convertible, suggested;
        converterCalls.enumFormats(opened, source, AcmEnumConvert, collectPcmTarget, &convertible);
        if (convertible.empty()) return;
        converterCalls.enumFormats(opened, source, AcmEnumSuggest, collectPcmTarget, &suggested);
        auto* node = new ConverterFormatNode(decoders, FormatAcmNode, 1, d.longName, mmText(MmText::ConverterAcmNode));
        node->acmDriver = d.id;
        node->convertible.swap(convertible);
        node->suggested.swap(suggested);
    });
}

// Moves a group into the build with its expanded flag.
void take(FormatTreeBuild& out, ConverterFormatNode*& group, bool expanded) {
    if (!group) return;
    group->state = expanded ? 1 : 0;
    out.groups.push_back(group);
    group = nullptr;
}

// The parse through the registry; null (after the error box) when the file cannot be read.
FileStructure* parseSource(const char* path, GWindow* owner) {
    struct Holder : OpenFileHolder {
        using OpenFileHolder::OpenFileHolder;
        void onFileEvent(i32, GFile*) override {}
    };
    WindowErrorHandler errors(owner);
    Holder holder(&errors);
    if (!OpenFileRegistry::attach(path, &holder)) return nullptr;
    GFile file(&errors);
    FileStructure* structure = nullptr;
    if (OpenFileRegistry::reopen(file, &holder, 0)) {
        structure = parseSourceStrict(file);
        if (file.flags & RegistryMode::Held) OpenFileRegistry::endReopen(file);
        else fileCloseQuietly(file);
    }
    OpenFileRegistry::detach(&holder);
    return structure;
}
}  // namespace

bool collectFormatGroups(const char* path, FormatTreeBuild& out, GWindow* owner) {
    FileStructure* structure = parseSource(path, owner);
    if (!structure) return false;
    SoundStreamInfo stream = {};
    SoundStreamWalker walker(structure);
    if (!findFirstSoundStream(walker, stream)) {
        delete structure;
        showMessageBox(&mbError, owner, mmText(MmText::NoSoundStream));
        return false;
    }
    const WAVEFORMATEX* format = stream.format;
    bool known = format && formatName(&out.description, format);
    if (!known) stringClear(out.description);
    Groups groups;
    const u32 form = structure->fileKind;
    if (form == ChunkId::Wave) {
        if (format && format->wBitsPerSample == 16)
            new ConverterFormatNode(groups.get(GroupOwn), FormatOwnNode, OwnFormatTag, "Ravo", nullptr);
        addWaveEncoders(groups);
        if (format) addWaveAcmTargets(groups, format);
        take(out, groups.at[GroupOwn], true);
        take(out, groups.at[GroupMp2], false);
        take(out, groups.at[GroupMp3], true);
        take(out, groups.at[GroupOgg], true);
        take(out, groups.at[GroupOther], false);
        take(out, groups.at[GroupPcm], false);
        take(out, groups.at[GroupAdpcm], false);
        out.countedGroups = out.groups.size();
    } else {
        ConverterFormatNode* decoders = new ConverterFormatNode(mmText(MmText::ConverterDecoderGroup));
        ConverterFormatNode* others = nullptr;
        if (form == ChunkId::Ravo) {
            new ConverterFormatNode(decoders, FormatOwnNode, 1, "Ravo", mmText(MmText::ConverterToWave));
        } else {
            std::vector<CodecDecoderInfo> list;
            converterCalls.listDecoders(path, list);
            for (const CodecDecoderInfo& d : list) {
                GString name;
                codecEntryName(name, d.shortName, d.longName);
                ConverterFormatNode* group = decoders;
                if (d.flag) {
                    if (!known) {
                        stringCopy(out.description, d.name);
                        known = true;
                    }
                } else {
                    if (!others) others = new ConverterFormatNode(mmText(MmText::ConverterOtherDecoderGroup));
                    group = others;
                }
                auto* node = new ConverterFormatNode(group, FormatPluginNode, 1, name.c_str(),
                                                     mmText(MmText::ConverterDecoderNode));
                stringCopy(node->decoderText, d.longName);
            }
            if (!known && format) {
                std::string text;
                converterCalls.formatText(format, text);
                stringAssignText(out.description, text.c_str());
            }
            if (form && format) addAcmDecoders(decoders, format);
        }
        if (decoders->hasChildren()) {
            decoders->state = 1;
            out.groups.push_back(decoders);
        } else {
            delete decoders;
        }
        out.countedGroups = out.groups.size();
        take(out, others, false);
    }
    delete structure;
    return true;
}
