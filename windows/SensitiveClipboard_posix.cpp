#include "SensitiveClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace passgen {

// KDE's hint, which Klipper and other X11 and Wayland clipboard managers
// honour.
void putSensitiveText(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data);
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

} // namespace passgen
