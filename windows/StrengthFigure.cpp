#include "StrengthFigure.h"

#include "MakeUp.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

#include <array>

namespace passgen {

namespace {

using namespace makeup;

struct GradeLook {
    const char* word; // agrees with "Стойкость"
    const char* english;
    Colour colour; // at least 4.5:1 on the strip's grey
};

constexpr std::array<GradeLook, 4> grades = {{
    {"ненадёжная", "very weak", rgb(153, 0, 0)},
    {"слабая", "weak", rgb(115, 57, 0)},
    {"средняя", "medium", rgb(0, 0, 160)},
    {"высокая", "strong", rgb(0, 88, 0)},
}};

const GradeLook& lookOf(StrengthGrade grade)
{
    return grades[static_cast<std::size_t>(grade)];
}

// The Russian noun after a count, for the nouns here whose form after 1 is
// that after 5: 2 бита, 5 бит, 11 бит, 12 бит, 21 бит, 22 бита.
QString counted(std::int64_t count, const char* few, const char* many)
{
    const std::int64_t units = count % 10;
    const bool teen = count % 100 / 10 == 1;
    const bool isFew = !teen && units >= 2 && units <= 4;
    return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(isFew ? few : many));
}

QString times(std::int64_t count)
{
    return counted(count, "раза", "раз");
}

// A character as the text can show it: a blank or a control by its code.
QString character(char16_t c, bool russian)
{
    const QChar shown(c);
    if (shown.isPrint() && !shown.isSpace()) {
        return russian ? QStringLiteral("«%1»").arg(shown) : QStringLiteral("\"%1\"").arg(shown);
    }
    const QString code =
        QStringLiteral("%1").arg(static_cast<unsigned>(c), 4, 16, QLatin1Char('0'));
    return (russian ? QStringLiteral("символ U+") : QStringLiteral("character U+")) +
           code.toUpper();
}

// "«a» стоит 3 раза: выпадает в 3 раза чаще": a character that stands k
// times is drawn k times as often as one that stands once, or k / m times as
// often as the rarest, which stands m times.
struct RepeatWords {
    QString russian;
    QString brief; // for the strip
    QString english;
};

RepeatWords repeatWords(const Strength& strength)
{
    const auto stands = static_cast<std::int64_t>(strength.likeliestCount);
    const auto rarest = static_cast<std::int64_t>(strength.rarestCount);
    const bool whole = stands % rarest == 0;
    const QString ratio =
        whole ? QString::number(stands / rarest)
              : QString::number(static_cast<double>(stands) / static_cast<double>(rarest), 'f', 1);
    const QString ratioWords = whole ? times(stands / rarest)
                                     : QString(ratio).replace(u'.', u',') + QStringLiteral(" раза");
    const QString russian = QStringLiteral("%1 стоит %2: выпадает в %3 чаще%4")
                                .arg(character(strength.likeliest, true), times(stands), ratioWords,
                                     rarest == 1 ? QString() : QStringLiteral(" самых редких"));
    const QString brief = QStringLiteral("%1 стоит %2: в %3 чаще")
                              .arg(character(strength.likeliest, true), times(stands), ratioWords);
    const QString english = QStringLiteral("%1 stands %2 times: it is drawn %3 times as often%4")
                                .arg(character(strength.likeliest, false))
                                .arg(stands)
                                .arg(ratio)
                                .arg(rarest == 1 ? QString() : QStringLiteral(" as the rarest"));
    return {russian, brief, english};
}

std::pair<const char*, const char*> whyNone(StrengthCase kind)
{
    switch (kind) {
    case StrengthCase::EmptySet:
        return {"набор символов пуст", "the symbol set is empty"};
    case StrengthCase::OnlyLineBreaks:
        return {"в наборе лишь переводы строк и табуляции",
                "the set holds only line breaks and tabs"};
    case StrengthCase::AllExcluded:
        return {"все символы исключены", "every symbol is excluded"};
    case StrengthCase::NoLength:
    case StrengthCase::Figure:
        break;
    }
    return {"длина пароля 0 или меньше", "the length is 0 or less"};
}

} // namespace

StrengthWords strengthWords(const Strength& strength, const QString& name)
{
    StrengthWords words;
    if (strength.kind != StrengthCase::Figure) {
        const auto [russian, english] = whyNone(strength.kind);
        const QString why = QString::fromUtf8(russian);
        words.forms = {QStringLiteral("Стойкость: нет\n") + why, why, QStringLiteral("нет")};
        words.accessibleName = QStringLiteral("%1: нет, %2").arg(name, why);
        words.toolTip = QStringLiteral("no password: %1").arg(QString::fromUtf8(english));
        return words;
    }
    const GradeLook& look = lookOf(strength.grade);
    const QString bits = counted(strength.wholeBits, "бита", "бит");
    const QString word = QString::fromUtf8(look.word);
    const QString line = QStringLiteral("Стойкость: %1, %2").arg(bits, word);
    words.accessibleName = QStringLiteral("%1: %2, %3").arg(name, bits, word);
    words.toolTip = QStringLiteral("strength of the draw: %1 %2, %3")
                        .arg(strength.wholeBits)
                        .arg(strength.wholeBits == 1 ? "bit" : "bits")
                        .arg(QString::fromUtf8(look.english));
    if (strength.repeatLowers()) {
        const RepeatWords repeat = repeatWords(strength);
        words.forms << line + u'\n' + repeat.russian << line + u'\n' + repeat.brief;
        words.description = repeat.russian;
        words.toolTip += u'\n' + repeat.english;
    }
    words.forms << line << QStringLiteral("Стойкость: %1\n%2").arg(bits, word)
                << QStringLiteral("%1\n%2").arg(bits, word) << QString::number(strength.wholeBits);
    return words;
}

StrengthFigure::StrengthFigure(QLabel& label, QWidget& left, QWidget& right)
    : QObject(&label), m_label(label), m_left(left), m_right(right), m_name(label.accessibleName())
{
    m_label.setAlignment(Qt::AlignCenter);
    for (QWidget* watched :
         {&m_left, &m_right, m_label.parentWidget(), static_cast<QWidget*>(&m_label)}) {
        watched->installEventFilter(this);
    }
}

void StrengthFigure::show(const Module1& settings)
{
    const Strength strength = strengthOf(settings);
    const StrengthWords words = strengthWords(strength, m_name);
    m_forms = words.forms;
    // Each change once, so that a screen reader hears the figure change
    // and nothing else.
    if (m_label.accessibleName() != words.accessibleName) {
        m_label.setAccessibleName(words.accessibleName);
    }
    if (m_label.accessibleDescription() != words.description) {
        m_label.setAccessibleDescription(words.description);
    }
    m_label.setToolTip(words.toolTip);
    const Colour colour = strength.kind == StrengthCase::Figure
                              ? lookOf(strength.grade).colour
                              : makeup::system(QPalette::WindowText);
    if (colour != m_colour) {
        m_colour = colour;
        paint(m_label, {}, colour);
    }
    place();
}

bool StrengthFigure::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    const bool moved = type == QEvent::Move || type == QEvent::Resize;
    if ((moved && watched != &m_label) || (watched == &m_label && type == QEvent::FontChange)) {
        place();
    }
    return false;
}

void StrengthFigure::place()
{
    const QWidget& strip = *m_label.parentWidget();
    const QFontMetrics metrics = m_label.fontMetrics();
    const int gap = metrics.averageCharWidth();
    const int left = m_left.x() + m_left.width() + gap;
    const int width = m_right.x() - gap - left;
    for (const QString& form : m_forms) {
        const QSize size = metrics.size(0, form);
        if (size.width() <= width && size.height() <= strip.height()) {
            m_label.setGeometry(left, 0, width, strip.height());
            m_label.setText(form);
            m_label.setVisible(true);
            return;
        }
    }
    m_label.setVisible(false);
}

} // namespace passgen
