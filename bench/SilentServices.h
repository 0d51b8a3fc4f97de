#pragma once

#include "generation/Services.h"

namespace passgen {

// Services that do nothing, so a benchmark measures only the generation.
class NoMessageBox final : public MessageBox {
public:
    void information(std::u16string_view, std::u16string_view) override {}
};

class NoSettingsWindow final : public SettingsWindow {
public:
    void show() override {}
    void close() override {}
};

} // namespace passgen
