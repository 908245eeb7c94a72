// The wave and spectrum colour groups: defaults, registration and pushing colours into live panes.
#include "app/pane_color_groups.h"

#include <gtest/gtest.h>

#include "app/window_kinds.h"
#include "gui/frame/app_window.h"
#include "gui/kernel/window_procedure.h"
#include "gui/menus/color_pane.h"
#include "gui/paint/colors.h"
#include "tests/gui/gui_fixture.h"

TEST(PaneColorGroups, DefaultsFromTheToolkitColours) {
    initToolkitColors();
    EXPECT_EQ(paneColorGroup(WaveColorSlot), &wavePaneColors);
    EXPECT_EQ(paneColorGroup(SpectrumColorSlot), &spectrumPaneColors);
    EXPECT_STREQ(wavePaneColors.name(), *programWindowKind(KindEditor)->title);
    EXPECT_STREQ(spectrumPaneColors.name(), *programWindowKind(KindSpectrum)->title);
    EXPECT_FALSE(wavePaneColors.loaded());

    // No pane open: the colours change, nothing else happens.
    wavePaneColors.restoreDefaults();
    spectrumPaneColors.restoreDefaults();
    const ToolkitColors& t = toolkitColors;
    const struct {
        ProgramColorGroup* group;
        i32 id;
        u32 colour;
    } cases[] = {
        {&wavePaneColors, 366, t.window},        {&wavePaneColors, 367, RGB(0, 128, 0)},
        {&wavePaneColors, 368, RGB(220, 30, 0)}, {&wavePaneColors, 369, t.darkShade},
        {&wavePaneColors, 370, t.text},          {&wavePaneColors, 371, t.selection},
        {&wavePaneColors, 372, RGB(0, 80, 0)},   {&wavePaneColors, 373, t.darkShade},
        {&wavePaneColors, 374, t.darkShade},     {&spectrumPaneColors, 377, t.window},
        {&spectrumPaneColors, 378, RGB(0, 128, 0)}, {&spectrumPaneColors, 379, RGB(192, 121, 198)},
        {&spectrumPaneColors, 380, t.darkShade}, {&spectrumPaneColors, 381, t.darkShade},
        {&spectrumPaneColors, 382, t.text},      {&spectrumPaneColors, 383, RGB(0, 80, 0)},
        {&spectrumPaneColors, 384, t.darkShade}, {&spectrumPaneColors, 385, t.text},
    };
    for (const auto& c : cases) EXPECT_EQ(c.group->colours.valueOf(c.id), c.colour) << c.id;
    EXPECT_EQ(wavePaneColors.colours.count(), 9u);
    EXPECT_EQ(spectrumPaneColors.colours.count(), 9u);
}

namespace {
// A wave pane that paints its background; its first paint destroys its partner.
class HostPane : public GColorPane {
public:
    using GColorPane::GColorPane;
    bool isKindOf(u32 id) const override { return id == TypeWavePane || GColorPane::isKindOf(id); }
    u32 typeId() const override { return TypeWavePane; }
    void paint(HDC dc, const RECT& update, bool) override {
        HBRUSH brush = CreateSolidBrush(backgroundColor);
        FillRect(dc, &update, brush);
        DeleteObject(brush);
        if (partner && IsWindow(partner->hwnd) && !partner->destroyed()) {
            HostPane* other = partner;
            other->partner = nullptr;
            partner = nullptr;
            DestroyWindow(other->hwnd);
        }
    }
    HostPane* partner = nullptr;
};
}  // namespace

TEST(PaneColorGroups, ApplyRepaintsLivePanesWhileOneGoes) {
    TestApplication test;
    GAppWindow* host = new GAppWindow;  // deletes itself with its native window
    ASSERT_TRUE(createTopLevelWindow(host, WS_POPUP, 0, "panes"));
    SetWindowPos(host->hwnd, HWND_TOPMOST, 0, 0, 200, 100, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    HostPane* first = new HostPane(host);
    HostPane* second = new HostPane(host);
    ASSERT_TRUE(first->create(WS_CHILD | WS_VISIBLE));
    ASSERT_TRUE(second->create(WS_CHILD | WS_VISIBLE));
    MoveWindow(first->hwnd, 0, 0, 100, 100, FALSE);
    MoveWindow(second->hwnd, 100, 0, 100, 100, FALSE);
    ValidateRect(host->hwnd, nullptr);
    ValidateRect(first->hwnd, nullptr);
    ValidateRect(second->hwnd, nullptr);
    first->partner = second;
    second->partner = first;
    HWND firstHandle = first->hwnd, secondHandle = second->hwnd;

    const u32 colour = RGB(10, 200, 30);
    wavePaneColors.colours.valueOf(366) = colour;
    wavePaneColors.apply();

    // Exactly one survives, painted in the new colour.
    const bool firstLives = IsWindow(firstHandle) != FALSE, secondLives = IsWindow(secondHandle) != FALSE;
    ASSERT_NE(firstLives, secondLives);
    HWND survivor = firstLives ? firstHandle : secondHandle;
    HDC dc = GetDC(host->hwnd);
    RECT r;
    GetWindowRect(survivor, &r);
    POINT p = {r.left + 50, r.top + 50};
    ScreenToClient(host->hwnd, &p);
    EXPECT_EQ(GetPixel(dc, p.x, p.y), colour);
    ReleaseDC(host->hwnd, dc);
    DestroyWindow(host->hwnd);
}
