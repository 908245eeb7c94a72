// The action table as the program registers it: ids, names, flags, submenus, texts and images.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/program_actions.h"
#include "gui/menus/action_table.h"

namespace {
// The static bits of a record (menus mark cached images at run time).
u8 staticFlags(const GActionItem* a) { return a->flags & ~(ActionImageCached | ActionMarked); }

struct Named {
    i32 id;
    const char* name;
};
const Named kActions[] = {
    {101, "HELP"}, {102, "ITEM_CUSTOMIZE"}, {103, "SYS_CUSTOMIZE"},
    {104, "OPEN"}, {105, "RELOAD"}, {106, "REFRESH"},
    {107, "CLOSE"}, {108, "SAVE"}, {109, "SAVE_AS"},
    {110, "SAVE_ALL"}, {111, "PICK"}, {112, "NEW"},
    {115, "GFileAnalyzerPlacer_EXPORT"}, {117, "GTab_CLOSE"}, {118, "GTab_CLOSE_ALL"},
    {119, "GTab_CLOSE_ALL_EXCEPT"}, {120, "GTab_CLOSE_ALL_DETACHED"}, {121, "GTab_COPY_SHORT"},
    {122, "GTab_COPY_FULL"}, {123, "GTab_NEXT"}, {124, "GTab_PREV"},
    {125, "GTab_SELECT"}, {126, "GTab_ATTACH"}, {127, "GTab_CUSTOMIZE"},
    {128, "GTab_TOOLTIPS"}, {129, "GTab_AUTO_HIDE"}, {130, "GTab_CLOSE_MINI_BUTTON"},
    {131, "GTab_ATTACH_MINI_BUTTON"}, {132, "GTab_CLOSE_BUTTON"}, {133, "GTab_SELECT_BUTTON"},
    {134, "GTab_ADD_BUTTON"}, {135, "GTab_ATTACH_BUTTON"}, {136, "GTab_DOUBLE_CLICK"},
    {137, "GTab_ADD_CLICK"}, {138, "GTab_DRAG_SWAP"}, {139, "GTab_DRAG_OUT"},
    {142, "GTable_COPY"}, {143, "GTable_FORMAT"}, {144, "GTable_FORMAT_ALL_BY_CONTENT"},
    {145, "GTable_FORMAT_ALL_BY_CONTENT_AND_HEADER"}, {146, "GTable_FORMAT_CURRENT_BY_CONTENT"}, {147, "GTable_FORMAT_CURRENT_BY_CONTENT_AND_HEADER"},
    {148, "GTable_FORMAT_AUTO"}, {149, "GTable_VIEW_OFFSET_AS_HEX"}, {150, "GTable_VIEW_SIZE_AS_HEX"},
    {151, "GTable_VIEW_COUNT_AS_HEX"}, {152, "GTable_SET_BASE_OFFSET"}, {153, "GTable_ZERO_BASE_OFFSET"},
    {154, "GTable_VIEW_AS_MENU"}, {155, "GTable_VIEW_AS_SBYTE"}, {156, "GTable_VIEW_AS_UBYTE"},
    {157, "GTable_VIEW_AS_SWORD"}, {158, "GTable_VIEW_AS_UWORD"}, {159, "GTable_VIEW_AS_SDWORD"},
    {160, "GTable_VIEW_AS_UDWORD"}, {161, "GTable_VIEW_AS_SQWORD"}, {162, "GTable_VIEW_AS_UQWORD"},
    {163, "GTable_VIEW_AS_FLOAT"}, {164, "GTable_VIEW_AS_DOUBLE"}, {165, "GTable_VIEW_AS_ASCII"},
    {169, "GGraph_SCALE_NORMAL"}, {170, "GGraph_SCALE_PLUS"}, {171, "GGraph_HSCALE_PLUS"},
    {172, "GGraph_SCALE_MINUS"}, {173, "GGraph_HSCALE_MINUS"}, {174, "GGraph_FIT_TO_WINDOW_X"},
    {175, "GGraph_FIT_TO_WINDOW_Y"}, {176, "GGraph_FIT_TO_SELECTION"}, {177, "GGraph_ZOOM"},
    {179, "GGraph_SCALE_MENU"}, {180, "TOOLBAR_MENU"}, {200, "GAudioConverterPlacer_CONVERT"},
    {201, "GSoundDevicesPlacer_PLAY_SETTINGS"}, {202, "GSoundDevicesPlacer_RECORD_SETTINGS"}, {203, "GSoundDevicesPlacer_SAVE_SOUND_SETTINGS"},
    {204, "GSoundDevicesPlacer_LOAD_SOUND_SETTINGS"}, {205, "GSoundDevicesPlacer_PLAY_REPAIR"}, {206, "GSoundDevicesPlacer_RECORD_REPAIR"},
    {300, "SELECT_GENERATED"}, {301, "ABOUT"}, {302, "WEB"},
    {303, "LICENSE"}, {304, "HELP_INDEX"}, {305, "HELP_ROOT"},
    {306, "HELP_CONTEXT"}, {307, "EXPORT_CSV"}, {308, "IMPORT_CSV"},
    {309, "SAVE_FRAGMENT"}, {310, "EXTRACT"}, {311, "EXTRACT_AUTO"},
    {312, "EXIT"}, {313, "STOP"}, {314, "PLAY_STOP"},
    {315, "RECORD"}, {316, "PLAY_SELECTION"}, {317, "SELECT_PREV"},
    {318, "SELECT_BLOCK"}, {319, "SELECT_NEXT"}, {320, "RANGE"},
    {321, "SELECT_NONE"}, {322, "SELECT_ALL"}, {323, "VGRID"},
    {324, "MS"}, {325, "NUMBERS"}, {326, "NOTES"},
    {327, "PAUSE_RESUME"}, {328, "FILE_ANALYZER"}, {329, "ACM_DRIVERS"},
    {330, "WAVEOUT_DEVICES"}, {331, "CONVERTER"}, {332, "SPECTRUM"},
    {333, "MDEDIT"}, {334, "EDITOR"}, {335, "WELCOME"},
    {336, "INSTRUMENT"}, {337, "FILE_ANALYZER_TAB"}, {338, "ACM_DRIVERS_TAB"},
    {339, "WAVEOUT_DEVICES_TAB"}, {340, "CONVERTER_TAB"}, {341, "SPECTRUM_TAB"},
    {342, "MDEDIT_TAB"}, {343, "EDITOR_TAB"}, {344, "WELCOME_TAB"},
    {345, "INSTRUMENT_TAB"}, {346, "FILE_ANALYZER_OPEN"}, {349, "CONVERTER_OPEN"},
    {350, "SPECTRUM_OPEN"}, {351, "MDEDIT_OPEN"}, {352, "EDITOR_OPEN"},
    {354, "INSTRUMENT_OPEN"}, {355, "FILE_ANALYZER_SCAN"}, {356, "ACM_DRIVERS_SCAN"},
    {357, "WAVEOUT_DEVICES_SCAN"}, {358, "CONVERTER_SCAN"}, {359, "SPECTRUM_SCAN"},
    {360, "MDEDIT_SCAN"}, {361, "EDITOR_SCAN"}, {362, "WELCOME_SCAN"},
    {363, "INSTRUMENT_SCAN"}, {364, "CLOSE_WINDOW"}, {366, "COLOR_WAVEPANE_BACKGROUND"},
    {367, "COLOR_WAVEPANE_FIRST_VOICE"}, {368, "COLOR_WAVEPANE_LAST_VOICE"}, {369, "COLOR_WAVEPANE_GRID"},
    {370, "COLOR_WAVEPANE_DIGITS"}, {371, "COLOR_WAVEPANE_SELECTION"}, {372, "COLOR_WAVEPANE_MARKER"},
    {373, "COLOR_WAVEPANE_STROKES"}, {374, "COLOR_WAVEPANE_AXIS"}, {377, "COLOR_SPECTPANE_BACKGROUND"},
    {378, "COLOR_SPECTPANE_AMPLITUDE"}, {379, "COLOR_SPECTPANE_PHASE"}, {380, "COLOR_SPECTPANE_AXIS"},
    {381, "COLOR_SPECTPANE_GRID"}, {382, "COLOR_SPECTPANE_DIGITS"}, {383, "COLOR_SPECTPANE_MARKER"},
    {384, "COLOR_SPECTPANE_STROKES"}, {385, "COLOR_SPECTPANE_NOTE"}, {387, "COLOR_DEFAULT"},
    {388, "NEXT_WINDOW"}, {389, "PREV_WINDOW"}, {390, "BEGIN_SELECT"},
    {391, "END_SELECT"}, {392, "EXPAND_BEGIN_SELECT"}, {393, "EXPAND_END_SELECT"},
    {394, "ZERO"}, {395, "ADD"}, {396, "MUL"},
    {397, "CHANGE_MAX_VOLUME"}, {398, "ASSIGN"}, {399, "INVERT"},
    {400, "MIRROR"}, {401, "CENTER"}, {402, "PITCH_SCALE"},
    {403, "PITCH"}, {404, "TEMPO"}, {405, "STRETCH"},
    {406, "BACKUP_MENU"}, {407, "SMOOTH_OPTIONS"}, {408, "UNDO"},
    {409, "REDO"}, {410, "COPY"}, {411, "CUT"},
    {412, "PASTE_MENU"}, {413, "PASTE_MENU2"}, {414, "PASTE"},
    {415, "PASTE_ADD"}, {416, "PASTE_SUB"}, {417, "PASTE_INSERT"},
    {418, "PASTE_REP"}, {419, "PASTE_REP_ADD"}, {420, "PASTE_REP_SUB"},
    {421, "NO_DRAW"}, {422, "POINT_DRAW"}, {423, "LINE_DRAW"},
    {424, "CURVE_DRAW"}, {425, "CROP"}, {426, "AMPLITUDE"},
    {427, "PHASE"}, {428, "INSERT"}, {429, "DELETE"},
    {430, "DELETE_MENU"}, {431, "DELETE_MENU2"}, {432, "CLEAR"},
    {433, "RANDOMIZE"}, {434, "CUTUP"}, {435, "CUTDN"},
    {436, "INVSEL"}, {437, "GET_POWER"}, {438, "TEST"},
    {439, "SPECTRUM_OPTIONS"}, {440, "SHOW_OVERTONE_LINES"}, {441, "RESTORE_OVER"},
    {442, "NEW_WINDOW"}, {443, "NEW_TAB"}, {444, "NEW_TAB_WINDOW"},
    {445, "SCAN_TAB"}, {446, "FFT"}, {447, "FFT_REPEAT"},
    {448, "FFT_MAIN"}, {449, "FFT_GEN"}, {450, "FFT_GEN_MIX"},
    {451, "SINE_GEN"}, {452, "SINE_GEN_MIX"}, {453, "GEN_MENU"},
    {454, "FIND"}, {455, "FINDNEXT"}, {456, "SMOOTHING"},
    {457, "INSERT_VOICE"}, {458, "REMOVE_VOICE"}, {459, "REPLACE"},
    {460, "FONT"}, {461, "CHECK"}, {462, "CHECK_SELECTION"},
    {463, "GENERATE"}, {464, "GENERATE_SELECTION"}, {465, "PLAY_GENERATED"},
    {466, "OPEN_GENERATED"}, {467, "FORMAT"}, {468, "ORDER"},
    {469, "MACRO_RECORD"}, {470, "MACRO_PLAY"}, {471, "QUICK_HARMONIC"},
    {472, "COLOR_SCHEME_EDITOR"}, {473, "COLOR_SCHEME_SPECTRUM"}, {474, "COLOR_SCHEME_INSTRUMENT"},
    {475, "SELECT_WINDOW"}, {476, "RESET_SETTINGS"}, {477, "EDIT"},
    {478, "DECOMPRESS"}, {479, "DECOMPRESS_AUTO"}, {480, "DRAW_MENU"},
    {481, "SELECT_MENU"}, {482, "SIZES_MENU"}, {483, "SETSIZE"},
    {484, "INSWAVE"}, {485, "CUTOUT"}, {486, "MATH_MENU"},
    {487, "SPECIAL_EFFECTS_MENU"}, {488, "FADING"}, {489, "NLFADING"},
    {490, "DIMINUENDO"}, {491, "CRESCENDO"}, {492, "SPECTRUM_MENU"},
    {493, "CUSTOMIZE_MENUS"}, {494, "CUSTOMIZE_TOOLBAR"}, {495, "CUSTOMIZE_KEYS"},
    {496, "CUSTOMIZE_COLORS"}, {497, "CUSTOMIZE_MENU"}, {498, "LANGUAGES"},
    {499, "SELECT_TO_LEFT"}, {500, "SELECT_TO_RIGHT"}, {501, "MARKER_TO_LEFT"},
    {502, "MARKER_TO_RIGHT"}, {503, "ECHO"}, {504, "REVERBERATION"},
    {505, "PULSATION_MENU"}, {506, "PULSATION"}, {507, "PULSATION_POSITIVE"},
    {508, "PULSATION_NEGATIVE"}, {509, "PULSATION_DISSYMETRIC"}, {510, "PULSATION_RANDOM"},
    {511, "CHANGE_RATE"}, {512, "VOLUME_MENU"}, {513, "ECHO_MENU"},
    {514, "PITCH_MENU"}, {515, "VIBRATO"}, {516, "VIBRATO_RANDOM"},
    {517, "FILTER_MENU"}, {518, "LOW_CUT_FILTER"}, {519, "HIGH_CUT_FILTER"},
    {520, "BAND_PASS_FILTER"}, {521, "BAND_CUT_FILTER"}, {522, "EQUALIZER"},
    {523, "AMPLIFY"}, {524, "BQF_LOW_PASS"}, {525, "BQF_HIGH_PASS"},
    {526, "BQF_BAND_PASS"}, {527, "BQF_NOTCH"}, {528, "BQF_BAND"},
    {529, "BQF_LOW_SHELF"}, {530, "BQF_HIGH_SHELF"}, {531, "BQF_PHASER"},
    {532, "CHORUS"}, {533, "STYLEFUNCTOGGLE_STROKES"}, {534, "STYLEFUNCTOGGLE_LINES"},
    {535, "STYLEFUNCTOGGLE_POINTS"}, {536, "STYLEFUNC_STROKES"}, {537, "STYLEFUNC_LINES"},
    {538, "STYLEFUNC_POINTS"}, {539, "STYLEFUNC_STROKES_AMP"}, {540, "STYLEFUNC_POINTS_AMP"},
    {541, "STYLEFUNC_STROKES_PHI"}, {542, "STYLEFUNC_POINTS_PHI"}, {543, "PREFADING"},
    {544, "NLPREFADING"}, {545, "CROSSFADING"}, {546, "CROSSFADING_BACK"},
    {547, "ANALYZE_FILE"}, {548, "CONVERT_FILE"}, {549, "GOTO"},
    {550, "IMPORT_INSTRUMENT"}, {551, "EXPORT_INSTRUMENT"}, {552, "CALIBRATE_VOLUME"},
    {553, "CALIBRATE_FREQUENCY"}, {554, "AUTOFIT"}, {555, "EDIT_WAVE"},
    {556, "HGRID"}, {557, "0DB"}, {558, "VIEW_OPTIONS_MENU"},
    {559, "RULER_ON_OFF"}, {560, "RULER_UP_DOWN"}, {561, "TRACKS_MODIFY"},
    {562, "TRACKS_ADD_REMOVE"}, {563, "OPTIONS"}, {564, "DELETE_FILE"},
    {565, "RENAME_FILE"}, {566, "BACKUP_FILE"}, {567, "UNBACKUP_FILE"},
    {568, "UNBACKUP_MOVE"}, {569, "DELETE_BACKUP_FILE"}, {570, "SPLIT_FILE"},
    {571, "WAVEPANE_POINT"}, {572, "WAVEPANE_LINE"}, {573, "WAVEPANE_CURVE"},
    {575, "TRACK_ALL"}, {576, "TRACK_NEXT"}, {577, "TRACK_PREV"},
    {578, "TRACK_MENU"}, {579, "BEGIN_SEL_TO_MARKER"}, {580, "END_SEL_TO_MARKER"},
    {581, "SAVE_SELECTION"}, {582, "SAVE_SELECTION_1"}, {583, "SAVE_SELECTION_2"},
    {584, "SAVE_SELECTION_3"}, {585, "LOAD_SELECTION"}, {586, "LOAD_SELECTION_1"},
    {587, "LOAD_SELECTION_2"}, {588, "LOAD_SELECTION_3"}, {589, "MIX"},
    {590, "SPLIT_WIN_HOR"}, {591, "SPLIT_WIN_VER"}, {592, "REMOVE_DUPLICATES"},
    {593, "MAKE_FOURIER"}, {594, "REMOVE_SMEARING"}, {595, "REMOVE_HUM"},
    {596, "REMOVE_NOISE_3000"}, {597, "REMOVE_NOISE_5000"}, {598, "REMOVE_NOISE_7000"},
    {599, "REMOVE_NOISE_MENU"}, {600, "ADD_BOOKMARK"}, {601, "REMOVE_BOOKMARK"},
    {602, "REMOVE_ALL_BOOKMARKS"}, {603, "NEXT_BOOKMARK"}, {604, "PREV_BOOKMARK"},
    {605, "NEXT_SELECTION"}, {606, "PREV_SELECTION"}, {607, "SELECT_AROUND"},
    {608, "BOOKMARK_SELECTION"}, {609, "BOOKMARK_MENU"}, {610, "SELECT_MORE"},
    {611, "REWIND"}, {612, "PLAY_LOOP"}, {613, "VST_EFFECTS_MENU"},
    {614, "VST_INFO"}, {615, "VST_INSTRUMENTS_MENU"}, {616, "WINDOW_MORE"},
    {617, "ECHO_WEAK"}, {618, "ECHO_MEDIUM"}, {619, "ECHO_STRONG"},
    {620, "REVER_WEAK"}, {621, "REVER_MEDIUM"}, {622, "REVER_STRONG"},
    {623, "UPDATES"}, {624, "TRACK_SELECT"}, {626, "TRACK_MODES"},
    {627, "TRACK_MODE_OVERLAP"}, {628, "TRACK_MODE_ACTIVE"}, {629, "TRACK_MODE_SHRINK"},
    {630, "TRACK_MODE_ALL"}
};

struct Submenu {
    i32 id;
    std::vector<i32> items;
};
const Submenu kSubmenus[] = {
    {127, {128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139}},
    {143, {144, 145, 146, 147}},
    {154, {155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165}},
    {179, {170, 172, 171, 173, 169, -1, 174, 175, 176, -1, 177}},
    {406, {566, 567, 568, 569}},
    {412, {414, 415, 416, -1, 418, 419, 420, -1, 417, 484}},
    {413, {415, 416, -1, 418, 419, 420, -1, 417, 484}},
    {430, {411, 429, 425, 485}},
    {431, {425, 485}},
    {442, {334, 336, 333, 331, 332, 328, 329, 330, 335}},
    {443, {343, 345, 342, 340, 341, 337, 338, 339, 344}},
    {445, {361, 363, 360, 358, 359, 355, 356, 357, 362}},
    {453, {449, 450, -1, 451, 452}},
    {472, {366, 367, 368, 369, 373, 370, 374, 371, 372, 387}},
    {473, {377, 378, 379, 381, 384, 382, 380, 385, 383, 387}},
    {474, {366, 367, 369, 370, 374, 387}},
    {480, {421, 422, 423, 424}},
    {481, {322, 321, 320, 581, 585, 610, -1, 390, 391, 501, 502, -1, 609}},
    {482, {483, -1, 405, 404, 402}},
    {486, {394, 398, 395, 396}},
    {487, {401, 400, 399, 532}},
    {492, {446, 447}},
    {497, {493, 494, 495, 496, 127, 498, 476}},
    {505, {506, 507, 508, 509, 510}},
    {512, {490, 491, 488, 489, 543, 544, -1, 545, 546, -1, 523, 397}},
    {513, {617, 618, 619, 503, -1, 620, 621, 622, 504}},
    {514, {403, 402, -1, 515, 516}},
    {517, {518, 519, 520, 521, -1, 525, 524, 526, 527, 528, 529, 530, -1, 531}},
    {558, {323, 556, 557, 324, 559, 560, 626, -1, 536, 537, 538}},
    {578, {561, 575, 576, 577, 624, 562, 589}},
    {581, {582, 583, 584}},
    {585, {586, 587, 588}},
    {599, {595, 596, 597, 598}},
    {609, {600, 608, 601, 602, 603, 604, 605, 606, 607}},
    {610, {392, 393, 499, 500, 579, 580}},
    {616, {388, 389, 475, 364, -1, 123, 124, 125, 117, 126}},
    {626, {627, 628, 629, 630}}
};

const bool linked = programActionCount() > 0;
}  // namespace

TEST(ActionTable, EveryIdAnswersItsRecordAndNameBothWays) {
    ASSERT_TRUE(linked);
    ASSERT_EQ(sizeof kActions / sizeof kActions[0], 400u);
    std::set<std::string> names;
    std::set<i32> ids;
    for (const Named& a : kActions) {
        GActionItem* record = actionById(a.id);
        ASSERT_NE(record, nullptr) << a.id;
        EXPECT_EQ((i32)record->id, a.id);
        EXPECT_STREQ(record->keyName, a.name) << a.id;
        EXPECT_EQ(actionIdByName(a.name), a.id) << a.name;
        EXPECT_NE(*record->titleText(), 0) << a.name;
        EXPECT_TRUE(names.insert(a.name).second) << a.name;
        ids.insert(a.id);
    }
    // Nothing else is registered.
    for (i32 id = 99; id <= 1000; ++id)
        if (!ids.count(id)) EXPECT_EQ(actionById(id), nullptr) << id;
    for (i32 id : {99, 1000, 631, 113, 114, 116, 140, 141, 166, 167, 168, 178, 181, 199, 207, 299, 347, 348, 353,
                   365, 375, 376, 386, 574, 625})
        EXPECT_EQ(actionById(id), nullptr) << id;
    // Plain byte comparison: another case is another name.
    EXPECT_EQ(actionIdByName("open"), -1);
    EXPECT_EQ(actionIdByName("Select_All"), -1);
    EXPECT_EQ(actionIdByName("gtab_close"), -1);
    EXPECT_EQ(actionIdByName(""), -1);
}

TEST(ActionTable, FlagsOfTheHiddenAndRunTimeRecords) {
    const u8 hidden = ActionNotForKeys | ActionNotInMenus | ActionNotInToolBars;
    EXPECT_EQ(hidden, 0x16);
    for (i32 id : {102, 103, 311, 479}) EXPECT_EQ(staticFlags(actionById(id)), hidden) << id;
    for (i32 id : {180, 613, 615, 624}) {
        GActionItem* a = actionById(id);
        EXPECT_EQ(staticFlags(a), ActionPopup | ActionDynamicPopup) << id;
        EXPECT_EQ(a->subItemCount, 0) << id;
        EXPECT_NE(a->descriptionText(), nullptr) << id;
    }
    std::set<i32> special = {102, 103, 311, 479, 180, 613, 615, 624};
    for (const Submenu& s : kSubmenus) special.insert(s.id);
    for (const Named& n : kActions)
        if (!special.count(n.id)) EXPECT_EQ(staticFlags(actionById(n.id)), 0) << n.name;
}

TEST(ActionTable, SubmenusHoldTheirItemsInOrder) {
    for (const Submenu& s : kSubmenus) {
        GActionItem* a = actionById(s.id);
        ASSERT_NE(a, nullptr) << s.id;
        EXPECT_EQ(a->flags & ActionPopup, ActionPopup) << s.id;
        std::vector<i32> items(a->subItems, a->subItems + a->subItemCount);
        EXPECT_EQ(items, s.items) << a->keyName;
        for (i32 item : items)
            if (item != -1) EXPECT_NE(actionById(item), nullptr) << s.id << " " << item;
    }
}

TEST(ActionTable, GroupTextsAndImagesOfTheFamilies) {
    std::vector<i32> grouped = {180, 311, 428, 479, 564, 565, 613, 615, 624};
    for (i32 id = 337; id <= 345; ++id) grouped.push_back(id);
    for (i32 id = 355; id <= 363; ++id) grouped.push_back(id);
    for (i32 id = 366; id <= 374; ++id) grouped.push_back(id);
    for (i32 id = 377; id <= 385; ++id) grouped.push_back(id);
    for (const Submenu& s : kSubmenus)
        if (s.id >= 300) grouped.push_back(s.id);
    for (i32 id : grouped) EXPECT_NE(actionById(id)->descriptionText(), nullptr) << id;
    // A family shares one text.
    EXPECT_EQ(actionById(337)->description, actionById(345)->description);
    EXPECT_EQ(actionById(355)->description, actionById(363)->description);
    EXPECT_EQ(actionById(366)->description, actionById(374)->description);
    EXPECT_NE(actionById(366)->description, actionById(377)->description);
    EXPECT_EQ(actionById(104)->description, nullptr);

    for (i32 id = 366; id <= 385; ++id)
        if (actionById(id)) EXPECT_EQ(actionById(id)->bitmapId, 3015u) << id;
    for (i32 id : {472, 473, 474}) EXPECT_EQ(actionById(id)->bitmapId, 3015u);
    // Window families: one image per kind, in every family.
    const struct {
        const char* base;
        u32 image;
    } kinds[] = {{"FILE_ANALYZER", 3196}, {"ACM_DRIVERS", 3129}, {"WAVEOUT_DEVICES", 3128},
                 {"CONVERTER", 8004},     {"SPECTRUM", 3004},    {"MDEDIT", 3067},
                 {"EDITOR", 3024},        {"WELCOME", 3244},     {"INSTRUMENT", 3134}};
    for (const auto& k : kinds)
        for (const char* suffix : {"", "_TAB", "_OPEN", "_SCAN"}) {
            std::string name = std::string(k.base) + suffix;
            i32 id = actionIdByName(name.c_str());
            if (id < 0) continue;  // not every kind can be opened
            EXPECT_EQ(actionById(id)->bitmapId, k.image) << name;
        }
    EXPECT_EQ(actionById(388)->bitmapId, 3079u);
    EXPECT_EQ(actionById(389)->bitmapId, 3080u);
}
