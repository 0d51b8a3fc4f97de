#pragma once

#include "MakeUp.h"
#include "generation/Module1.h"
#include "generation/Strength.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QLabel;
class QWidget;

namespace passgen {

// What a strength says to the user.
struct StrengthWords {
    QStringList forms;      // the visible text, from the fullest form to the barest
    QString accessibleName; // the fullest form, in one line
    QString description;    // what in the set lowers the figure, or nothing
    QString toolTip;        // English, as every tooltip
};

// accessibleName starts with name, the label's name in the make-up.
StrengthWords strengthWords(const Strength& strength, const QString& name);

// Shows the strength of the settings in a label of the toolbar strip, in the
// free middle between two of its buttons. It follows the buttons and the
// strip as they move and resize, and shows there the fullest form of its
// text that fits in the strip's font, or nothing: it never covers a button.
// The word's colour is the range's, through the make-up's colour rules.
class StrengthFigure final : public QObject {
public:
    StrengthFigure(QLabel& label, QWidget& left, QWidget& right);

    void show(const Module1& settings);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QLabel& m_label;
    QWidget& m_left;
    QWidget& m_right;
    const QString m_name;
    QStringList m_forms;
    makeup::Colour m_colour;
};

} // namespace passgen
