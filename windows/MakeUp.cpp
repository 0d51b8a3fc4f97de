#include "MakeUp.h"

#include "HighContrast.h"
#include "SecretField.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace passgen::makeup {

int pixels(double twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

namespace {

QColor toColor(const Colour& colour, const QPalette& palette)
{
    if (colour.type == Colour::Type::System)
        return palette.color(colour.role);
    return QColor(colour.red, colour.green, colour.blue);
}

// Enter on a focused button presses it, as on Windows; Qt leaves that to
// the default button of a dialog, and Space to every button. The keypad's
// Enter comes with the keypad modifier.
template <class Button> class CommandButton final : public Button {
public:
    using Button::Button;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        if (enter && !event->isAutoRepeat() && modifiers == Qt::NoModifier) {
            this->click();
            return;
        }
        Button::keyPressEvent(event);
    }
};

QWidget* create(const Control& design, QWidget* parent)
{
    const QString caption = design.caption ? QString::fromUtf8(design.caption) : QString();
    switch (design.kind) {
    case Kind::Frame:
        return new QGroupBox(caption, parent);
    case Kind::Label:
        return new QLabel(caption, parent);
    case Kind::TextBox:
        if (design.multiLine) {
            auto* edit = design.secret ? new SecretTextEdit(caption, parent)
                                       : new QPlainTextEdit(caption, parent);
            // Tab moves on to the next field, as in every other text box.
            edit->setTabChangesFocus(true);
            const bool horizontal = design.scrollBars == ScrollBars::Horizontal ||
                                    design.scrollBars == ScrollBars::Both;
            const bool vertical =
                design.scrollBars == ScrollBars::Vertical || design.scrollBars == ScrollBars::Both;
            // A horizontal scroll bar means long lines scroll sideways instead of wrapping.
            edit->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap
                                             : QPlainTextEdit::WidgetWidth);
            edit->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn
                                                          : Qt::ScrollBarAlwaysOff);
            edit->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn
                                                      : Qt::ScrollBarAlwaysOff);
            return edit;
        } else {
            auto* edit = new QLineEdit(parent);
            // QLineEdit's own default limit would silently cut a long set.
            edit->setMaxLength(design.maxLength > 0 ? design.maxLength
                                                    : std::numeric_limits<int>::max());
            edit->setText(caption);
            return edit;
        }
    case Kind::Button:
        return new CommandButton<QPushButton>(caption, parent);
    case Kind::Picture: {
        auto* button = new CommandButton<QPushButton>(parent);
        if (design.picture) {
            button->setIcon(QIcon(QString::fromUtf8(design.picture)));
            button->setIconSize(QSize(32, 32));
        }
        return button;
    }
    case Kind::ToolButton: {
        auto* button = new CommandButton<QToolButton>(parent);
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        if (design.picture) {
            button->setIcon(QIcon(QString::fromUtf8(design.picture)));
            button->setIconSize(QSize(32, 32));
        }
        return button;
    }
    case Kind::Strip:
        return new QWidget(parent);
    }
    return new QWidget(parent);
}

// The design fonts are Windows fonts. Where one is missing, the nearest
// installed family stands in: Liberation Mono has the metrics of Courier New,
// and Liberation Sans is nearer Tahoma's width than the usual default.
void installFontSubstitutes()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const QStringList families = QFontDatabase::families();
    const std::pair<const char*, QStringList> substitutes[] = {
        {"Tahoma", {"Liberation Sans", "DejaVu Sans"}},
        {"Verdana", {"DejaVu Sans", "Liberation Sans"}},
        {"Courier New", {"Liberation Mono", "DejaVu Sans Mono"}},
    };
    for (const auto& [family, stands] : substitutes) {
        if (!families.contains(QLatin1String(family), Qt::CaseInsensitive))
            QFont::insertSubstitutions(QLatin1String(family), stands);
    }
}

// A frame's caption colour is its own; the controls inside keep the
// default text colour instead of inheriting it.
void keepDefaultTextColour(QWidget& widget)
{
    QPalette palette = widget.palette();
    const QPalette defaults = QApplication::palette(&widget);
    palette.setColor(QPalette::WindowText, defaults.color(QPalette::WindowText));
    palette.setColor(QPalette::ButtonText, defaults.color(QPalette::ButtonText));
    widget.setPalette(palette);
}

void setWindowText(QWidget& widget, const QColor& colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, colour);
    widget.setPalette(palette);
}

// A caption drawn in the system's text colour straight on a background that
// the make-up fixes (the light grey, the light blue) vanishes under a dark or
// high-contrast theme: there it is drawn in black or white instead, whichever
// reads better. Colours that the make-up gives are kept as they are.
void keepTextReadable(QWidget& widget)
{
    constexpr double wcagAA = 4.5;
    const QColor background = backgroundBehind(widget);
    if (contrast(widget.palette().color(QPalette::WindowText), background) >= wcagAA)
        return;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    setWindowText(widget,
                  contrast(black, background) >= contrast(white, background) ? black : white);
}

QString nameFromCaption(const char* caption)
{
    QString name = QString::fromUtf8(caption).trimmed();
    if (name.endsWith(u':'))
        name.chop(1);
    return name;
}

double luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

// How a widget's colours are made, kept to make them again.
struct Paint {
    Colour background;
    Colour foreground;
    bool defaultText = false; // inside a frame whose caption colour is its own
    bool caption = false;     // a label's or frame's caption, drawn straight on the background
    bool operator==(const Paint&) const = default;
};

std::function<bool()>& highContrastQuery()
{
    static std::function<bool()> query = highContrastOn;
    return query;
}

// The one place where the windows' colours are worked out, from their
// make-up and from the system's palette and contrast setting: when a window
// is built, and again whenever the system's colours change, on the widgets
// as they are, so that no window is built twice and nothing typed or
// selected is lost.
class ColourRules final : public QObject {
public:
    static ColourRules& instance()
    {
        static QPointer<ColourRules> rules;
        if (!rules)
            rules = new ColourRules(*QCoreApplication::instance());
        return *rules;
    }

    Paint paintOf(const QWidget& widget) const { return m_paints.value(&widget); }

    void paint(QWidget& widget, const Paint& paint)
    {
        if (!m_paints.contains(&widget))
            connect(&widget, &QObject::destroyed, this,
                    [this, key = &widget] { m_paints.remove(key); });
        m_paints.insert(&widget, paint);
        repaint(widget, highContrastQuery()());
    }

    void follow(QObject& context, std::function<void()> work)
    {
        work();
        m_followers.emplace_back(&context, std::move(work));
    }

    // Once for the many events of one change.
    void schedule()
    {
        if (std::exchange(m_scheduled, true))
            return;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_scheduled = false;
                repaintAll();
            },
            Qt::QueuedConnection);
    }

protected:
    // Qt hands a new palette to each window in an event of its own, posted
    // at once to all of them: the colours are worked out after the last.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if ((event->type() == QEvent::ApplicationPaletteChange && watched->isWidgetType()) ||
            event->type() == QEvent::ThemeChange)
            schedule();
        return false;
    }

private:
    explicit ColourRules(QCoreApplication& application) : QObject(&application)
    {
        application.installEventFilter(this);
        followHighContrast(*this, [this] { schedule(); });
    }

    void repaintAll()
    {
        const bool systemColours = highContrastQuery()();
        for (QWidget* window : QApplication::topLevelWidgets())
            repaint(*window, systemColours);
        std::erase_if(m_followers, [](const auto& follower) { return !follower.first; });
        for (const auto& [context, work] : m_followers)
            work();
    }

    // Parents first: a caption's colour depends on the background behind it.
    void repaint(QWidget& root, bool systemColours) const
    {
        QList<QWidget*> widgets = root.findChildren<QWidget*>();
        widgets.prepend(&root);
        for (QWidget* widget : widgets) {
            const auto found = m_paints.constFind(widget);
            if (found != m_paints.cend())
                apply(*widget, *found, systemColours);
        }
    }

    static void apply(QWidget& widget, const Paint& paint, bool systemColours)
    {
        widget.setPalette(QPalette()); // what it inherits
        widget.setAutoFillBackground(false);
        if (systemColours) {
            // Set, or a frame's caption takes the visual style's colour
            // rather than the system's.
            if (paint.caption)
                setWindowText(widget, widget.palette().color(QPalette::WindowText));
            return;
        }
        if (paint.defaultText)
            keepDefaultTextColour(widget);
        QPalette palette = widget.palette();
        if (paint.background.type != Colour::Type::Default) {
            palette.setColor(QPalette::Window, toColor(paint.background, palette));
            widget.setAutoFillBackground(true);
        }
        if (paint.foreground.type != Colour::Type::Default) {
            const QColor colour = toColor(paint.foreground, palette);
            palette.setColor(QPalette::WindowText, colour);
            palette.setColor(QPalette::ButtonText, colour);
        }
        widget.setPalette(palette);
        if (paint.caption && paint.foreground.type != Colour::Type::Rgb)
            keepTextReadable(widget);
    }

    QHash<const QWidget*, Paint> m_paints;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_followers;
    bool m_scheduled = false;
};
} // namespace

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor backgroundBehind(const QWidget& widget)
{
    for (const QWidget* w = &widget; w; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(w->backgroundRole());
    }
    return widget.palette().color(QPalette::Window);
}

void paint(QWidget& widget, const Colour& background, const Colour& foreground)
{
    if (background.type == Colour::Type::Default && foreground.type == Colour::Type::Default)
        return;
    ColourRules& rules = ColourRules::instance();
    Paint paint = rules.paintOf(widget);
    if (background.type != Colour::Type::Default)
        paint.background = background;
    if (foreground.type != Colour::Type::Default)
        paint.foreground = foreground;
    rules.paint(widget, paint);
}

void whenColoursChange(QObject& context, std::function<void()> work)
{
    ColourRules::instance().follow(context, std::move(work));
}

void setHighContrastQuery(std::function<bool()> query)
{
    highContrastQuery() = std::move(query);
}

void apply(QWidget& window, const Window& design)
{
    window.setObjectName(QString::fromUtf8(design.name));
    window.setWindowTitle(QString::fromUtf8(design.caption));
    const QSize size(pixels(design.clientWidth), pixels(design.clientHeight));
    if (design.fixedSize)
        window.setFixedSize(size);
    else
        window.resize(size);
    paint(window, design.background);
    if (design.icon)
        window.setWindowIcon(QIcon(QString::fromUtf8(design.icon)));
}

QHash<QString, QWidget*> build(QWidget& window, std::span<const Control> controls)
{
    installFontSubstitutes();
    QHash<QString, QWidget*> widgets;
    QHash<QString, const Control*> designs;
    std::vector<std::pair<int, QWidget*>> tabOrder;
    for (const Control& design : controls) {
        QWidget* parent =
            design.container ? widgets.value(QString::fromUtf8(design.container)) : &window;
        Q_ASSERT_X(parent, "makeup::build", "container must come before its controls");
        QWidget* widget = create(design, parent ? parent : &window);
        widget->setObjectName(QString::fromUtf8(design.name));
        widget->setGeometry(pixels(design.left), pixels(design.top), pixels(design.width),
                            pixels(design.height));
        if (design.font.family || design.font.pointSize > 0 || design.font.bold) {
            QFont font = widget->font();
            if (design.font.family)
                font.setFamily(QString::fromUtf8(design.font.family));
            if (design.font.pointSize > 0)
                font.setPointSizeF(design.font.pointSize);
            font.setBold(design.font.bold);
            widget->setFont(font);
        }
        const Control* container =
            design.container ? designs.value(QString::fromUtf8(design.container)) : nullptr;
        const Paint paint{design.background, design.foreground,
                          container && container->foreground.type != Colour::Type::Default &&
                              design.foreground.type == Colour::Type::Default,
                          design.kind == Kind::Label || design.kind == Kind::Frame};
        if (paint != Paint{})
            ColourRules::instance().paint(*widget, paint);
        if (design.toolTip)
            widget->setToolTip(QString::fromUtf8(design.toolTip));
        if (design.accessibleName)
            widget->setAccessibleName(QString::fromUtf8(design.accessibleName));
        widgets.insert(widget->objectName(), widget);
        designs.insert(widget->objectName(), &design);
        if (design.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(design.tabIndex, widget);
    }
    for (const Control& design : controls) {
        if (!design.buddy)
            continue;
        QWidget* field = widgets.value(QString::fromUtf8(design.buddy));
        Q_ASSERT_X(field, "makeup::build", "a buddy must be in the table");
        field->setAccessibleName(nameFromCaption(design.caption));
        if (auto* label = qobject_cast<QLabel*>(widgets.value(QString::fromUtf8(design.name))))
            label->setBuddy(field); // the labelled-by relation
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    // A window opens with the focus on the first control in its keyboard
    // order, as on Windows, not on whichever control was created first.
    if (!tabOrder.empty())
        tabOrder.front().second->setFocus();
    return widgets;
}

} // namespace passgen::makeup
