#pragma once

#include "generation/Journal.h"
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

// A text field that only keeps its text, for the core's share of a batch.
class PlainField final : public TextField {
public:
    std::u16string Text() const override { return text; }
    void setText(const std::u16string& value) override { text = value; }
    std::int32_t SelStart() const override { return 0; }
    void setSelStart(std::int32_t) override {}
    std::int32_t SelLength() const override { return 0; }
    void setSelLength(std::int32_t) override {}
    std::u16string SelText() const override { return {}; }
    void setSelText(const std::u16string&) override {}
    void setFocus() override {}
    std::u16string text;
};

class NoClipboard final : public Clipboard {
public:
    void clear() override {}
    void setText(const std::u16string&) override {}
    std::u16string text() const override { return {}; }
};

} // namespace passgen
