#pragma once

#include "Module1.h"
#include "Services.h"

#include <functional>
#include <optional>
#include <string>

namespace passgen {

// What GenPass needs from outside, in the order in which a call uses them.
struct GenPassServices {
    MessageBox& messageBox;
    std::function<std::u16string()> caption; // the generator window's current caption
    SettingsWindow& settingsWindow;
    Clock& clock;
    RandomSource& random;
};

// Builds one password from settings.Simbols less settings.Excluds and less
// LF, CR and TAB, settings.LenPass characters long (empty when LenPass < 1).
// When there is nothing to draw from, it reports "Нет символов для генерации
// пароля", shows the settings window and returns std::nullopt, so that a
// batch can stop at the first report; callers that want the plain text use
// value_or(u"").
std::optional<std::u16string> GenPass(const Module1& settings, const GenPassServices& services);

} // namespace passgen
