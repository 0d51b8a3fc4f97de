#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Platform services the generation logic needs, behind small interfaces so
// that it runs in tests without a window system. The windows supply the Qt
// adapters; tests supply fakes.
namespace passgen {

// A modal message box with the information icon and one OK button; returns
// when the user has closed it.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void information(std::u16string_view text, std::u16string_view title) = 0;
};

// The settings window as the generator sees it.
class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;
    // Loads the window if it is not loaded and makes it visible, without
    // moving it; returns at once (not modal).
    virtual void show() = 0;
    // Unloads the window if it is loaded, which commits its fields to the
    // settings; does nothing otherwise.
    virtual void close() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // The time of day in whole seconds since midnight.
    virtual std::int32_t secondsOfDay() = 0;
};

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Folds a seed into the current state; never restarts the sequence.
    virtual void reseed(std::int32_t seed) = 0;
    // The next value r, 0 <= r < 1, in single precision.
    virtual float next() = 0;
    // The next values.size() values, exactly as that many calls of next()
    // would give them. A source overrides it when one call per value costs
    // more than the value itself.
    virtual void fill(std::span<float> values)
    {
        for (float& value : values) {
            value = next();
        }
    }
};

} // namespace passgen
