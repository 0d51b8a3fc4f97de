#include "NormNumText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace passgen {

namespace {

constexpr std::size_t fieldLimit = 3;

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// The text as from_chars reads it: blanks and a "+" sign gone, the locale's
// separator made ".". Empty when the text is not numeric.
std::string numericForm(std::u16string_view text, char16_t separator)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    std::string form;
    std::size_t i = begin;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') {
            form += '-';
        }
        ++i;
    }
    bool digits = false;
    bool seenSeparator = false;
    for (; i < end; ++i) {
        if (isDigit(text[i])) {
            digits = true;
            form += static_cast<char>(text[i]);
        } else if (text[i] == separator && !seenSeparator) {
            seenSeparator = true;
            form += '.';
        } else {
            break;
        }
    }
    if (!digits) {
        return {};
    }
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        form += 'e';
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            form += static_cast<char>(text[i]);
            ++i;
        }
        bool exponentDigits = false;
        for (; i < end && isDigit(text[i]); ++i) {
            exponentDigits = true;
            form += static_cast<char>(text[i]);
        }
        if (!exponentDigits) {
            return {};
        }
    }
    return i == end ? form : std::string{};
}

float readSingle(const std::string& form)
{
    float value = 0;
    const auto [end, error] = std::from_chars(form.data(), form.data() + form.size(), value);
    if (error == std::errc::result_out_of_range) {
        // from_chars leaves the value alone here; the reading saturates, as
        // the nearest single-precision number would be the largest one.
        const bool negative = form.front() == '-';
        const bool tiny = form.find("e-") != std::string::npos;
        if (tiny) {
            return negative ? -0.0f : 0.0f;
        }
        return negative ? std::numeric_limits<float>::lowest() : std::numeric_limits<float>::max();
    }
    return value;
}

std::u16string widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string formatWhole(float value, char16_t separator)
{
    if (value == 0) {
        return u"0";
    }
    if (std::fabs(value) < 1e7f) {
        return widen(std::to_string(static_cast<long>(value)));
    }
    // Seven significant digits of the shortest text that reads back as the
    // value: 9e9 is held as 8999999488 and still written 9E+09.
    char buffer[32];
    const auto shortest =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    std::string scientific(buffer, shortest.ptr);
    if (scientific.find('e') - (scientific.find('.') == std::string::npos ? 0 : 1) -
            (value < 0 ? 1 : 0) >
        7) {
        std::snprintf(buffer, sizeof buffer, "%.6e", static_cast<double>(value));
        scientific = buffer;
    }
    const std::size_t exponent = scientific.find('e');
    std::string mantissa = scientific.substr(0, exponent);
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0') {
            mantissa.pop_back();
        }
        if (mantissa.back() == '.') {
            mantissa.pop_back();
        }
    }
    scientific[exponent] = 'E';
    std::u16string result = widen(mantissa + scientific.substr(exponent));
    for (char16_t& c : result) {
        if (c == u'.') {
            c = separator;
        }
    }
    return result;
}

} // namespace

std::u16string NormNumText(std::u16string_view changed, char16_t decimalSeparator)
{
    std::u16string text(changed);
    for (;;) {
        std::string form = numericForm(text, decimalSeparator);
        while (!text.empty() && form.empty()) {
            text.pop_back();
            form = numericForm(text, decimalSeparator);
        }
        if (text.empty()) {
            return u"1";
        }
        std::u16string next =
            formatWhole(std::trunc(readSingle(form)), decimalSeparator).substr(0, fieldLimit);
        if (next == u"0") {
            return u"1";
        }
        if (next == text) {
            return text;
        }
        text = std::move(next);
    }
}

} // namespace passgen
