#pragma once

#include "ChildWindow.h"
#include "frmSetup.h"
#include "generation/Services.h"

namespace passgen {

// The settings window as the generator sees it: show loads it where needed
// (without moving it), close unloads it, which commits its fields.
class SetupWindowControl final : public SettingsWindow {
public:
    explicit SetupWindowControl(ChildWindow<frmSetup>& window) : m_window(window) {}
    void show() override { m_window.get(); }
    void close() override { m_window.unload(); }

private:
    ChildWindow<frmSetup>& m_window;
};

} // namespace passgen
