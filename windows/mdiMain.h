#pragma once

#include "ChildWindow.h"
#include "QtServices.h"
#include "SetupWindowControl.h"
#include "frmMain.h"
#include "frmSetup.h"
#include "generation/Module1.h"
#include "storage/SaveAtClose.h"
#include "storage/SettingsFile.h"

#include <QMainWindow>

#include <filesystem>

class QMdiArea;
class QToolButton;

namespace passgen {

class StrengthFigure;

struct mdiMainServices {
    MessageBox& messageBox;
    Clock& clock;
    RandomSource& random;
};

// What the close says of a settings file that it left as it was.
std::u16string keptMessage(const std::filesystem::path& file, KeptBecause reason);

// What the start says when a settings file exists but cannot be read.
std::u16string cannotReadMessage(const StorageError& error);

// Where cmdExit stands, in twips, for a frame of outer width frameWidth:
// 100 twips from the right edge, also when that is left of the strip's start.
float cmdExitLeft(float frameWidth, float buttonWidth);

// The frame window: the toolbar strip, the area that hosts the generator and
// settings windows, and the start and end of a run. It holds the settings.
//
// Every quit request ends in one close sequence: the close box and cmdExit
// through closeEvent; a signal, the session's end, Qt's own quit or another
// program's close through quitFromOutside. It commits the settings window's
// fields and saves both sets at once, exactly once, but unloads the child
// windows only when no handler of theirs is still waiting in a message box's
// or a drag's loop.
class mdiMain final : public QMainWindow {
    Q_OBJECT

public:
    mdiMain(std::filesystem::path folder, const mdiMainServices& services,
            QWidget* parent = nullptr);
    ~mdiMain() override;

    // Reads both settings files and sets the start values. Throws
    // StorageError when a file exists but cannot be read; nothing is written
    // then, also not at close. A quit requested while it reads (it yields to
    // events after each line) closes the window once both files are read.
    void Load();

    // A quit request from outside the window: a signal, the session's end,
    // Qt's own quit (QEvent::Quit, which this window takes from the
    // application until the files are saved), another program's close.
    // Closes the open message boxes and shows no more, since nobody may be
    // there to answer them, then closes as the close box does.
    void quitFromOutside();

    // Windows asks whether the session may end, which another program may
    // still cancel: saves both sets as the close would, showing nothing and
    // closing nothing, as the process may be ended soon after the answer.
    // The close that follows, or the run if the end is cancelled, goes on
    // from what this save left.
    void saveBeforeSessionEnd();

    // Whether the close sequence has begun; the program then ends rather
    // than showing the frame.
    bool isClosing() const;

    // The message boxes of the run, silenced by a quit from outside.
    MessageBox& messageBox() { return m_boxes; }

    // Whether the close failed to write a settings file, which the program's
    // exit status then tells.
    bool writeFailed() const { return m_writeFailed; }

    // Places the frame, title bar and borders included, in the middle of
    // its screen; called before the window system has framed the window,
    // it does so again when the frame is there.
    void centreOnScreen();

    Module1& settings() { return m_settings; }
    QMdiArea& area() const { return *m_area; }
    ChildWindow<frmMain>& generatorWindow() { return m_frmMain; }
    ChildWindow<frmSetup>& setupWindow() { return m_frmSetup; }
    QToolButton* button(const char* name) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Where the run stands. Each step of the close is a stage of its own and
    // is left before it runs, so that a quit that comes while one of the
    // close's messages is open carries the close on from the next step.
    enum class Stage {
        Loading,        // the settings files are being read
        QuitWhenLoaded, // a quit came during the load, whose sets are half read
        Running,
        SavingSimbols, // the close has begun and committed the settings window
        SavingExcluds,
        Saved, // both files written or tried; the children unload when no handler waits
        Ended, // the children are unloaded, or the load failed: nothing is saved
    };

    template <class Form> void bringUp(ChildWindow<Form>& child, double top, double left);
    void placeExitButton();
    std::unique_ptr<frmSetup> loadSetup();
    void showStrength();
    void closeSequence();
    void unloadChildren();
    std::u16string load(const char* name, LoadMode mode, const LoadServices& services,
                        LoadedFile& seen);
    void save(const std::u16string& text, const char* name, LoadedFile& loaded);
    void saveQuietly(const std::u16string& text, const char* name, LoadedFile& loaded);

    std::filesystem::path m_folder;
    mdiMainServices m_services;
    RunMessageBox m_boxes;
    Module1 m_settings;
    QMdiArea* m_area = nullptr;
    ChildWindow<frmSetup> m_frmSetup;
    SetupWindowControl m_setupControl;
    ChildWindow<frmMain> m_frmMain;
    StrengthFigure* m_strength = nullptr;
    QPointer<frmSetup> m_editing; // the settings window until it commits its fields
    LoadedFile m_loadedSimbols;
    LoadedFile m_loadedExcluds;
    Stage m_stage = Stage::Loading;
    bool m_writeFailed = false;
    bool m_centreWhenFramed = false;
};

} // namespace passgen
