#include "MakeUp.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>
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
            auto* edit = new QPlainTextEdit(caption, parent);
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
        return new QPushButton(caption, parent);
    case Kind::Picture: {
        auto* button = new QPushButton(parent);
        if (design.picture) {
            button->setIcon(QIcon(QString::fromUtf8(design.picture)));
            button->setIconSize(QSize(32, 32));
        }
        return button;
    }
    case Kind::ToolButton: {
        auto* button = new QToolButton(parent);
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

} // namespace

void paint(QWidget& widget, const Colour& background, const Colour& foreground)
{
    if (background.type == Colour::Type::Default && foreground.type == Colour::Type::Default)
        return;
    QPalette palette = widget.palette();
    if (background.type != Colour::Type::Default) {
        const QColor colour = toColor(background, palette);
        palette.setColor(QPalette::Window, colour);
        widget.setAutoFillBackground(true);
    }
    if (foreground.type != Colour::Type::Default) {
        const QColor colour = toColor(foreground, palette);
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::ButtonText, colour);
    }
    widget.setPalette(palette);
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
        if (container && container->foreground.type != Colour::Type::Default &&
            design.foreground.type == Colour::Type::Default)
            keepDefaultTextColour(*widget);
        paint(*widget, design.background, design.foreground);
        if (design.toolTip)
            widget->setToolTip(QString::fromUtf8(design.toolTip));
        widgets.insert(widget->objectName(), widget);
        designs.insert(widget->objectName(), &design);
        if (design.tabIndex >= 0 && widget->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(design.tabIndex, widget);
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    return widgets;
}

} // namespace passgen::makeup
