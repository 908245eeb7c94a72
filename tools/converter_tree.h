#pragma once
// The converter's target-format tree: groups of formats (a node of kind 0) holding the ways a
// source can be converted (ACM drivers, codec library encoders and decoders, the own conversion).
// A group owns its children; the tree view that shows the groups owns them as roots. The ACM and
// codec library calls go through a replaceable table.
#include <string>
#include <vector>

#include "core/block_base.h"
#include "core/gstring.h"
#include "mm/acm_drivers.h"
#include "tools/codec_calls.h"

// A format an ACM driver offers: a copy of the format (at least 18 bytes, cbSize the bytes past
// 18; 16 copied for PCM) and its text.
struct AcmFormatRecord {
    AcmFormatBytes format;
    GString text;
};
typedef std::vector<AcmFormatRecord> AcmFormatRecords;

enum : u32 { FormatGroupNode = 0, FormatAcmNode = 1, FormatPluginNode = 2, FormatOwnNode = 3 };
// The node tag of a conversion to the own format.
const i32 OwnFormatTag = 0xBA0D;
// The bitmap of the target rows.
const u32 FormatNodeImage = 9033;

class ConverterFormatNode : public BlockBase {
public:
    // A group (tag -1, kind 0, no parent).
    explicit ConverterFormatNode(const char* groupName);
    // A target under the group; description (not owned) goes before the name.
    ConverterFormatNode(ConverterFormatNode* group, u32 kind, i32 tag, const char* name, const char* description);

    // The name, or "description: name".
    void displayName(GString& out) const override;
    // None for a group, else the format rows' shared image list.
    void* image() const override;

    GString name;
    const char* description = nullptr;
    i32 tag = -1;
    u32 kind = FormatGroupNode;
    void* acmDriver = nullptr;  // driver id (ACM nodes)
    AcmFormatRecords suggested, convertible;
    GString decoderText, encoderText;  // codec library names (plug-in nodes)
};

// The outside calls the tree makes; tests replace them.
struct ConverterCalls {
    bool (*listDrivers)(std::vector<AcmDriverInfo>& drivers);
    bool (*openDriver)(void** driver, void* driverId);
    void (*closeDriver)(void* driver);
    bool (*enumFormats)(void* driver, const WAVEFORMATEX* source, u32 flags, AcmFormatCallback callback,
                        void* context);
    bool (*tagName)(void* driver, u32 tag, std::string& name);
    bool (*formatText)(const WAVEFORMATEX* format, std::string& out);
    // The codec library's lists; nothing while it is not loaded.
    void (*listEncoders)(std::vector<CodecEncoderInfo>& out);
    void (*listDecoders)(const char* path, std::vector<CodecDecoderInfo>& out);
};
extern ConverterCalls converterCalls;
extern const ConverterCalls converterCallsDefaults;

// Enumeration callbacks over an AcmFormatRecords context: PCM targets only, named "PCM; <text>";
// every target, named by its text.
bool collectPcmTarget(void* records, const WAVEFORMATEX* format, const char* formatText);
bool collectAcmTarget(void* records, const WAVEFORMATEX* format, const char* formatText);
AcmFormatRecord makeAcmFormatRecord(const WAVEFORMATEX* format, const char* text);

// Puts "<tag name>; " before each record's text, the tag details asked of the opened driver once
// per run of one tag; PCM records stay plain unless the driver is the PCM converter (mid 1, pid
// 0x26). Every record of a tag whose details cannot be had is removed.
void nameAcmTargets(AcmFormatRecords& records, void* driver, const AcmDriverInfo& details);

// The group an ACM driver's first convertible tag goes to.
enum FormatGroup : u32 { GroupOwn, GroupMp2, GroupMp3, GroupOgg, GroupOther, GroupPcm, GroupAdpcm, GroupCount };
FormatGroup acmTargetGroup(u32 tag);

// The groups of one source, in tree order, with their expanded flags in their state.
struct FormatTreeBuild {
    std::vector<ConverterFormatNode*> groups;  // owned until handed to a tree
    size_t countedGroups = 0;                  // the first groups whose rows make the result
    GString description;                       // the source format's text, empty when unknown
    ~FormatTreeBuild();
    bool hasCountedRows() const;
};

// Parses the file and fills the build; false (nothing built, the error box shown) when the file
// cannot be read or holds no sound stream.
bool collectFormatGroups(const char* path, FormatTreeBuild& out, GWindow* owner);
