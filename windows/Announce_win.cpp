#include "Announce.h"

#include <QAccessible>
#include <QString>
#include <QWidget>

namespace passgen {

void announce(QWidget& source, const QString& text)
{
    QAccessibleValueChangeEvent notification(&source, text);
    QAccessible::updateAccessibility(&notification);
}

} // namespace passgen
