#include "generation/OsRandomSource.h"
#include "generation/SystemClock.h"
#include "storage/SettingsFile.h"
#include "windows/QtServices.h"
#include "windows/SessionEnd.h"
#include "windows/mdiMain.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral(PASSGEN_APP_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(PASSGEN_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PASSGEN_APP_ID));
    QApplication app(argc, argv);
    passgen::QtMessageBox messageBox;
    passgen::SystemClock clock;
    passgen::OsRandomSource random;

    // As the platform gives it, with a trailing separator at a drive's root.
    const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    passgen::mdiMain window(std::filesystem::path(folder.toStdU16String()),
                            {messageBox, clock, random});
    // Before the load, whose read errors show message boxes and which yields
    // to events: a quit may come from then on.
    passgen::closeOnSessionEnd([&window] { window.quitFromOutside(); },
                               [&window] { window.saveBeforeSessionEnd(); });
    try {
        window.Load();
    } catch (const passgen::StorageError& error) {
        // Ends before anything is written, so an unreadable file is not replaced.
        window.messageBox().information(passgen::cannotReadMessage(error), u"Error");
        return 1;
    }
    int status = 0;
    if (!window.isClosing()) { // a quit that came during the load has closed it
        window.centreOnScreen();
        window.show();
        status = app.exec();
    }
    // A script or session manager learns that a set could not be saved.
    return window.writeFailed() ? 1 : status;
}
