#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "gui/paint/colors.h"
#include "gui/paint/gui_settings.h"
#include "gui/paint/system_metrics.h"

TEST(Colors, BrightnessScalesTheLargestChannel) {
    struct Case {
        COLORREF colour;
        i32 target;
        COLORREF expected;
    };
    const Case cases[] = {
        {RGB(192, 192, 192), 242, RGB(242, 242, 242)},
        {RGB(192, 192, 192), 142, RGB(142, 142, 142)},
        {RGB(0, 0, 0), 50, RGB(50, 50, 50)},       // black becomes a grey
        {RGB(0, 0, 0), 0, RGB(0, 0, 0)},
        {0x0064A019, 160, 0x0064A019},              // already at 160: unchanged
        {RGB(100, 50, 25), 0, 0},                   // target 0: black
        {RGB(100, 50, 25), 200, RGB(200, 100, 50)},
        {RGB(30, 60, 90), 300, RGB(85, 170, 255)},  // target clamped to 255, integer division
        {RGB(30, 60, 90), -5, 0},
        {0x01808080, 255, 0x01FFFFFF},              // the fourth byte is kept
    };
    for (const Case& c : cases)
        EXPECT_EQ(setColorBrightness(c.colour, c.target), c.expected) << std::hex << c.colour << " to " << std::dec << c.target;
}

TEST(Colors, MixesAndBlends) {
    EXPECT_EQ(mixColors(RGB(10, 20, 31), RGB(20, 41, 255)), RGB(15, 30, 143));
    EXPECT_EQ(mixColors(0xFF000000 | RGB(2, 2, 2), RGB(4, 4, 4)), RGB(3, 3, 3));
    EXPECT_EQ(blendColor(1, RGB(1, 2, 3), RGB(200, 200, 200), 0), RGB(1, 2, 3));
    EXPECT_EQ(blendColor(5, RGB(0, 100, 200), RGB(200, 0, 100), 0), RGB(0, 100, 200));
    EXPECT_EQ(blendColor(5, RGB(0, 100, 200), RGB(200, 0, 100), 1), RGB(50, 75, 175));
    EXPECT_EQ(blendColor(5, RGB(0, 100, 200), RGB(200, 0, 100), 4), RGB(200, 0, 100));
    EXPECT_EQ(blendColor(3, RGB(0, 0, 0), RGB(3, 0, 0), 1), RGB(1, 0, 0));  // rounds towards zero
}

TEST(Colors, SystemColorsAreReadOnceForThirtyIndexes) {
    resetSysColorCache();
    for (u32 i = 0; i < 30; ++i) EXPECT_EQ(sysColor(i), GetSysColor((int)i)) << i;
    EXPECT_EQ(sysColor(30), 0u);
}

namespace {
// The appearance record and the effective colours, put back after each test.
class ColorScheme : public ::testing::Test {
protected:
    void TearDown() override {
        guiSettings = saved;
        applyColorScheme();
    }
    GGuiSettings saved = guiSettings;
};
}  // namespace

TEST_F(ColorScheme, ShadesAndClassBackgroundFollowTheStyle) {
    struct Case {
        COLORREF background;
        u32 style;
        COLORREF light, dark, classBackground;
    };
    const Case cases[] = {
        {RGB(192, 192, 192), 2, RGB(242, 242, 242), RGB(142, 142, 142), RGB(242, 242, 242)},
        {RGB(192, 192, 192), 1, RGB(242, 242, 242), RGB(142, 142, 142), RGB(192, 192, 192)},
        {RGB(192, 192, 192), 0, RGB(242, 242, 242), RGB(142, 142, 142), RGB(142, 142, 142)},
        {RGB(0, 0, 0), 2, RGB(50, 50, 50), RGB(0, 0, 0), RGB(50, 50, 50)},
        {RGB(240, 120, 0), 2, RGB(255, 127, 0), RGB(190, 95, 0), RGB(255, 127, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        guiSettings.background = c.background;
        guiSettings.style = c.style;
        applyColorScheme();
        EXPECT_EQ(toolkitColors.background, c.background);
        EXPECT_EQ(toolkitColors.lightShade, c.light);
        EXPECT_EQ(toolkitColors.darkShade, c.dark);
        EXPECT_EQ(toolkitColors.classBackground, c.classBackground);
    }
    // Another style keeps the class background of the last scheme.
    guiSettings.style = 7;
    guiSettings.background = RGB(10, 10, 10);
    applyColorScheme();
    EXPECT_EQ(toolkitColors.classBackground, RGB(255, 127, 0));
}

TEST_F(ColorScheme, SystemColoursStandInForMinusOne) {
    guiSettings = GGuiSettings();
    applyColorScheme();
    const ToolkitColors& c = toolkitColors;
    EXPECT_EQ(c.background, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(c.window, GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(c.text, GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(c.selectionText, GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(c.glass, 0x0064A019u);  // the default glass already has brightness 160
    EXPECT_EQ(c.selection, c.glass);

    guiSettings.glass = RGB(0, 0, 80);
    guiSettings.selection = RGB(1, 2, 3);
    guiSettings.text = RGB(4, 5, 6);
    applyColorScheme();
    EXPECT_EQ(c.glass, RGB(0, 0, 160));
    EXPECT_EQ(c.selection, RGB(1, 2, 3));
    EXPECT_EQ(c.text, RGB(4, 5, 6));
}

namespace {
COLORREF classBrushColour(HWND window) {
    HBRUSH brush = (HBRUSH)GetClassLongPtrA(window, GCLP_HBRBACKGROUND);
    LOGBRUSH info = {};
    if (!brush || GetObjectA(brush, sizeof info, &info) != sizeof info) return 0xFFFFFFFFu;
    return info.lbColor;
}
}  // namespace

// The toolkit's child class (the wide one) and a test class of the ANSI kind get the class background.
TEST_F(ColorScheme, ClassBrushesAreReplacedAndReadBackFromAWindow) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSW existing;
    bool registered = false;
    if (!GetClassInfoW(instance, L"korvalen_user", &existing)) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.lpszClassName = L"korvalen_user";
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        ASSERT_TRUE(RegisterClassW(&wc));
        registered = true;
    }
    WNDCLASSA ansi = {};
    ansi.lpfnWndProc = DefWindowProcA;
    ansi.hInstance = instance;
    ansi.lpszClassName = "brush_test_ANSI";
    ASSERT_TRUE(RegisterClassA(&ansi));

    guiSettings.background = RGB(192, 192, 192);
    for (u32 style : {2u, 0u}) {
        guiSettings.style = style;
        applyColorScheme();
        const char* names[] = {"brush_test_ANSI"};
        replaceClassBrushes(names, 1, toolkitColors.classBackground);

        HWND child = CreateWindowExW(0, L"korvalen_user", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
        HWND other = CreateWindowExA(0, "brush_test_ANSI", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
        ASSERT_TRUE(child && other);
        COLORREF expected = style == 2 ? RGB(242, 242, 242) : RGB(142, 142, 142);
        EXPECT_EQ(classBrushColour(child), expected);
        EXPECT_EQ(classBrushColour(other), expected);
        DestroyWindow(child);
        DestroyWindow(other);
    }
    UnregisterClassA("brush_test_ANSI", instance);
    if (registered) UnregisterClassW(L"korvalen_user", instance);
}

namespace {
std::vector<UINT> askedSizes;
BOOL WINAPI refuseNewerMetrics(UINT action, UINT param, void* data, UINT winIni) {
    askedSizes.push_back(param);
    if (param == kNonClientMetricsSize) return FALSE;
    return SystemParametersInfoA(action, param, data, winIni);
}
}  // namespace

TEST(SystemMetrics, NonClientMetricsRetryWithTheOlderSize) {
    setSystemParametersFunction(refuseNewerMetrics);
    initSystemMetrics();
    setSystemParametersFunction(nullptr);
    EXPECT_EQ(askedSizes, (std::vector<UINT>{344, 340}));
    EXPECT_EQ(systemMetrics.nonClient.cbSize, 340u);
    EXPECT_NE(systemMetrics.nonClient.lfMessageFont.lfFaceName[0], 0);
    EXPECT_EQ(systemMetrics.nonClient.lfCaptionFont.lfQuality, 6);
    EXPECT_EQ(systemMetrics.nonClient.lfSmCaptionFont.lfQuality, 6);

    initSystemMetrics();
    EXPECT_EQ(systemMetrics.nonClient.cbSize, 344u);
    EXPECT_EQ(systemMetrics.cxScreen, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_GT(systemMetrics.checkBox.cx, 0);
    EXPECT_GT(systemMetrics.workArea.width, 0);
}
