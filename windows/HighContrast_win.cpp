#include "HighContrast_win.h"
#include "HighContrast.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QObject>

namespace passgen {

bool asksForSystemColours(const HIGHCONTRASTW& setting)
{
    return (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool highContrastOn()
{
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof setting;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, setting.cbSize, &setting, 0) &&
           asksForSystemColours(setting);
}

namespace {

// Windows broadcasts the switch to every top-level window.
class SwitchWatch final : public QObject, public QAbstractNativeEventFilter {
public:
    SwitchWatch(QObject& owner, std::function<void()> changed)
        : QObject(&owner), m_changed(std::move(changed))
    {}

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_SETTINGCHANGE && msg->wParam == SPI_SETHIGHCONTRAST)
            m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

} // namespace

void followHighContrast(QObject& owner, std::function<void()> changed)
{
    QCoreApplication::instance()->installNativeEventFilter(
        new SwitchWatch(owner, std::move(changed)));
}

} // namespace passgen
