#include "SensitiveClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace passgen {

namespace {

// KDE's hint, which Klipper and other X11 and Wayland clipboard managers
// honour.
const QString hint = QStringLiteral("x-kde-passwordManagerHint");

} // namespace

void putSensitiveText(const QString& text)
{
    QGuiApplication::clipboard()->setMimeData(sensitiveMimeData(text));
}

QMimeData* sensitiveMimeData(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(hint, QByteArrayLiteral("secret"));
    return data;
}

bool carriesMarks(const QMimeData& data)
{
    return data.data(hint) == "secret";
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

} // namespace passgen
