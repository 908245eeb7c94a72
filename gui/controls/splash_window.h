#pragma once
// GSplashWindow: the borderless start-up window holding one drawer child. Made by
// GSplashWindow::create, deleted by its owner (the splash step); it does not delete itself when
// its native window ends.
#include "gui/kernel/drawer_window.h"
#include "gui/kernel/init_step.h"
#include "gui/kernel/parent_window.h"

enum : u32 { TypeSplashWindow = 56 };

class GSplashWindow : public GParentWindow {
public:
    bool isKindOf(u32 id) const override { return id == TypeSplashWindow || GParentWindow::isKindOf(id); }
    const char* className() const override { return "GSplashWindow"; }
    u32 typeId() const override { return TypeSplashWindow; }

    // Creates the window sized to the drawer's content, centred on its monitor, shown without
    // taking the activation and painted at once; null when the native window cannot be made.
    static GSplashWindow* create(DrawerCallback callback, void* argument, void* extra);

    GDrawerWindow* drawer = nullptr;

private:
    GSplashWindow() { flags &= ~WindowDeleteOnFinal; }
};

// The start/stop step of the splash: shows it at start, closes it once every step has started
// (or at stop, whichever comes first).
class SplashStep : public GInitStep {
public:
    SplashStep(DrawerCallback callback, void* argument, void* extra)
        : callback(callback), argument(argument), extra(extra) {}
    ~SplashStep() override { stop(); }

    bool start(ErrorHandler* handler, bool reset) override;
    void afterAllStarted() override { stop(); }
    void stop() override;

    DrawerCallback callback;
    void* argument;
    void* extra;
    GSplashWindow* splash = nullptr;  // owned
};
