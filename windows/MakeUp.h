#pragma once

#include <QHash>
#include <QPalette>
#include <QString>

#include <functional>
#include <span>

class QObject;
class QWidget;

// A window's make-up as data: each window keeps one table of its controls in
// the design units (twips, points, RGB), and build() turns it into widgets.
// The twips are converted here and nowhere else.
namespace passgen::makeup {

inline constexpr double TwipsPerPixel = 15.0; // 1440 twips per inch at 96 dpi

int pixels(double twips);

enum class Kind {
    Frame,      // QGroupBox, caption as its title
    Label,      // QLabel
    TextBox,    // QLineEdit, or QPlainTextEdit when multiLine
    Button,     // QPushButton with a caption
    Picture,    // QPushButton showing its picture in place of a caption
    ToolButton, // QToolButton, caption under its picture
    Strip,      // a plain QWidget used as a toolbar strip
};

enum class ScrollBars { None, Horizontal, Vertical, Both };

struct Colour {
    enum class Type { Default, Rgb, System };
    Type type = Type::Default;
    int red = 0;
    int green = 0;
    int blue = 0;
    QPalette::ColorRole role = QPalette::NoRole;
    bool operator==(const Colour&) const = default;
};

constexpr Colour rgb(int red, int green, int blue)
{
    return {Colour::Type::Rgb, red, green, blue, QPalette::NoRole};
}

constexpr Colour system(QPalette::ColorRole role)
{
    return {Colour::Type::System, 0, 0, 0, role};
}

struct Font {
    const char* family = nullptr; // nullptr: the window system's default font
    double pointSize = 0;
    bool bold = false;
};

struct Control {
    const char* name;
    Kind kind;
    const char* container;           // nullptr: the window's client area
    double left, top, width, height; // twips
    int tabIndex = -1;               // -1: not in the tab order
    const char* caption = nullptr;   // UTF-8; the initial text of a text box
    const char* toolTip = nullptr;   // English; a screen reader reads it as the description
    // What a screen reader calls a control that no caption or label names.
    const char* accessibleName = nullptr; // UTF-8
    // The field that this label's or frame's caption names for a screen
    // reader, as a label's buddy in a Designer form.
    const char* buddy = nullptr;
    Font font = {};
    Colour background = {};
    Colour foreground = {};
    int maxLength = 0; // 0: no limit
    bool multiLine = false;
    ScrollBars scrollBars = ScrollBars::None;
    const char* picture = nullptr; // Qt resource path of an icon
    // Shows passwords: a multi-line text box offers its selection as marked
    // plain text alone (SecretTextEdit); a one-line QLineEdit does already.
    bool secret = false;
};

struct Window {
    const char* name;
    const char* caption;              // UTF-8
    double clientWidth, clientHeight; // twips
    Colour background = {};
    const char* icon = nullptr; // Qt resource path
    bool fixedSize = true;      // child windows keep their design size; the frame may be resized
};

// Applies name, caption, client size, background and icon to window.
void apply(QWidget& window, const Window& design);

// Creates the controls as children of window (or of their container, which
// must come earlier in the table), in table order, and chains the keyboard
// order by tabIndex. Returns the widgets by name.
QHash<QString, QWidget*> build(QWidget& window, std::span<const Control> controls);

// Sets a widget's background (filled) and text colours. They are worked
// out again whenever the system's colours change while the program runs;
// while the system asks every program for its own colours (high contrast),
// the widget is drawn in those instead, as a native dialog is.
void paint(QWidget& widget, const Colour& background, const Colour& foreground = {});

// Calls work now and again after each change of the system's colours, for as
// long as context lives: for colours that come from the system alone.
void whenColoursChange(QObject& context, std::function<void()> work);

// Where the make-up learns whether the system asks for its own colours: the
// platform's setting (HighContrast.h), or a test's stand-in. It is asked
// when a window is built and at each change of the system's colours.
void setHighContrastQuery(std::function<bool()> query);

// WCAG 2's contrast ratio of two colours, from 1 to 21.
double contrast(const QColor& a, const QColor& b);

// The colour that text on the widget is drawn on: the nearest filled
// background at or above it.
QColor backgroundBehind(const QWidget& widget);

} // namespace passgen::makeup
