#pragma once

#include "generation/GenPass.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace passgen::testing {

// Records every call, so tests can check the order in which GenPass uses them.
struct CallLog {
    std::vector<std::string> calls;
};

class FakeMessageBox final : public MessageBox {
public:
    explicit FakeMessageBox(CallLog& log) : m_log(log) {}
    void information(std::u16string_view text, std::u16string_view title) override
    {
        m_log.calls.push_back("message");
        texts.emplace_back(text);
        titles.emplace_back(title);
    }
    std::vector<std::u16string> texts;
    std::vector<std::u16string> titles;

private:
    CallLog& m_log;
};

class FakeSettingsWindow final : public SettingsWindow {
public:
    explicit FakeSettingsWindow(CallLog& log) : m_log(log) {}
    void show() override
    {
        m_log.calls.push_back("show");
        shown = true;
    }
    void close() override
    {
        m_log.calls.push_back("close");
        if (onClose) {
            onClose();
        }
    }
    bool shown = false;
    std::function<void()> onClose; // what an open window commits

private:
    CallLog& m_log;
};

class FakeClock final : public Clock {
public:
    explicit FakeClock(CallLog& log) : m_log(log) {}
    std::int32_t secondsOfDay() override
    {
        m_log.calls.push_back("time");
        if (onTime) {
            onTime();
        }
        return seconds;
    }
    std::int32_t seconds = 43200;
    std::function<void()> onTime; // once per password that GenPass builds

private:
    CallLog& m_log;
};

// Plays back scripted values first, then values k / 2^24 from a fixed-seed
// generator, so statistical checks are reproducible.
class FakeRandom final : public RandomSource {
public:
    explicit FakeRandom(CallLog& log) : m_log(log) {}
    void reseed(std::int32_t seed) override
    {
        m_log.calls.push_back("reseed");
        seeds.push_back(seed);
    }
    float next() override
    {
        ++draws;
        if (!scripted.empty()) {
            const float r = scripted.front();
            scripted.pop_front();
            return r;
        }
        return static_cast<float>(m_engine() >> 8) * 0x1p-24f;
    }
    std::deque<float> scripted;
    std::vector<std::int32_t> seeds;
    int draws = 0;

private:
    CallLog& m_log;
    std::mt19937 m_engine{20261207u};
};

struct FakeGenPassServices {
    CallLog log;
    FakeMessageBox messageBox{log};
    FakeSettingsWindow settingsWindow{log};
    FakeClock clock{log};
    FakeRandom random{log};
    std::u16string caption = u"Генератор";
    GenPassServices services{messageBox, [this] { return caption; }, settingsWindow, clock, random};
};

} // namespace passgen::testing
