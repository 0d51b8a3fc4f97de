#include "mdiMain.h"

#include "MakeUp.h"
#include "PaneKeys.h"
#include "StrengthFigure.h"
#include "Workspace.h"
#include "storage/SaveAtClose.h"
#include "storage/SettingsFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

namespace passgen {

namespace {

using namespace makeup;

constexpr Colour grey = rgb(192, 192, 192);

const Window windowSpec{"mdiMain", "Генератор паролей", 7680, 6405, {}, ":/icons/main.ico", false};

// clang-format off
const Control controls[] = {
    {.name = "Picture1", .kind = Kind::Strip, .container = nullptr,
     .left = 0, .top = 0, .width = 7680, .height = 795, .tabIndex = 0, .background = grey},
    {.name = "cmdGen", .kind = Kind::ToolButton, .container = "Picture1",
     .left = 0, .top = 0, .width = 1170, .height = 795, .tabIndex = 2,
     .caption = "Генерация", .toolTip = "generator", .picture = ":/icons/generator.ico"},
    {.name = "cmdSetup", .kind = Kind::ToolButton, .container = "Picture1",
     .left = 1155, .top = 0, .width = 1170, .height = 795, .tabIndex = 3,
     .caption = "Установки", .toolTip = "setup", .picture = ":/icons/settings.ico"},
    {.name = "cmdExit", .kind = Kind::ToolButton, .container = "Picture1",
     .left = 6300, .top = 0, .width = 1170, .height = 795, .tabIndex = 1,
     .caption = "Закрыть", .toolTip = "quit", .picture = ":/icons/exit.ico"},
    // The strength of the draw, in the strip's free middle; StrengthFigure
    // places it anew as cmdExit moves.
    {.name = "lblStrength", .kind = Kind::Label, .container = "Picture1",
     .left = 2325, .top = 0, .width = 3975, .height = 795,
     .accessibleName = "Стойкость пароля"},
};
// clang-format on

struct Place {
    double top;
    double left;
};
constexpr Place generatorPlace{1, 1};
constexpr Place setupPlace{200, 1000};

// The sets as the settings window's captions call them.
QString setName(const std::filesystem::path& file)
{
    if (file.filename() == "simbols")
        return QStringLiteral("Набор символов");
    if (file.filename() == "excluds")
        return QStringLiteral("Список исключений");
    return QStringLiteral("Набор");
}

QString shown(const std::filesystem::path& path)
{
    return QString::fromStdU16String(displayName(path));
}

// Why the close left a file as it was; %1 is the file.
QString keptBecause(KeptBecause reason)
{
    switch (reason) {
    case KeptBecause::ChangedSinceLoad:
        return QStringLiteral("файл %1 изменила другая программа или другая копия этой после "
                              "того, как эта его прочитала");
    case KeptBecause::ReadCutShort:
        return QStringLiteral("файл %1 при запуске не удалось прочитать целиком");
    case KeptBecause::NotInCodePage:
        return QStringLiteral("в файле %1 есть байты, которые не являются символами кодовой "
                              "страницы системы");
    case KeptBecause::NotRead:
        return QStringLiteral("файл %1 при запуске был скрытым, системным или не обычным файлом, "
                              "и программа его не читала");
    }
    return {};
}

} // namespace

std::u16string keptMessage(const std::filesystem::path& file, KeptBecause reason)
{
    return QStringLiteral("%1 не сохранён: %2. Файл оставлен как есть.")
        .arg(setName(file), keptBecause(reason).arg(shown(file)))
        .toStdU16String();
}

std::u16string cannotReadMessage(const StorageError& error)
{
    return QStringLiteral("%1 не прочитан: не удалось прочитать файл %2. Программа закрывается, "
                          "ничего не записав: оба файла настроек остаются как есть.")
        .arg(setName(error.path()), QString::fromStdU16String(error.message()))
        .toStdU16String();
}

float cmdExitLeft(float frameWidth, float buttonWidth)
{
    return frameWidth - 100.0f - buttonWidth;
}

mdiMain::mdiMain(std::filesystem::path folder, const mdiMainServices& services, QWidget* parent)
    : QMainWindow(parent), m_folder(std::move(folder)), m_services(services),
      m_boxes(services.messageBox), m_area(new QMdiArea(this)),
      m_frmSetup(*m_area, [this] { return loadSetup(); }), m_setupControl(m_frmSetup),
      m_frmMain(*m_area, [this] {
          return std::make_unique<frmMain>(
              m_settings,
              frmMainServices{m_setupControl, m_boxes, m_services.clock, m_services.random});
      })
{
    apply(*this, windowSpec);
    const auto widgets = build(*this, controls);
    QWidget* strip = widgets.value("Picture1");
    strip->setFixedHeight(pixels(795));
    setMenuWidget(strip);
    whenColoursChange(*m_area,
                      [this] { m_area->setBackground(applicationWorkspaceColour(*this)); });
    // The frame may be made narrower than the close button, as the resize
    // rule allows; the area's own minimum would stop it earlier.
    m_area->setMinimumSize(1, 1);
    setCentralWidget(m_area);
    addPaneKeys(*this, *strip, *m_area);

    connect(button("cmdGen"), &QToolButton::clicked, this,
            [this] { bringUp(m_frmMain, generatorPlace.top, generatorPlace.left); });
    connect(button("cmdSetup"), &QToolButton::clicked, this,
            [this] { bringUp(m_frmSetup, setupPlace.top, setupPlace.left); });
    connect(button("cmdExit"), &QToolButton::clicked, this, &QWidget::close);
    QCoreApplication::instance()->installEventFilter(this);
    m_strength = new StrengthFigure(*findChild<QLabel*>(QStringLiteral("lblStrength")),
                                    *button("cmdSetup"), *button("cmdExit"));
    showStrength();
}

mdiMain::~mdiMain() = default;

QToolButton* mdiMain::button(const char* name) const
{
    return findChild<QToolButton*>(QString::fromLatin1(name));
}

void mdiMain::Load()
{
    const LoadServices services{[this](std::u16string_view text, std::u16string_view title) {
                                    m_boxes.information(text, title);
                                },
                                [] { QCoreApplication::processEvents(); }};
    try {
        m_settings.Simbols = load("simbols", LoadMode::KeepLineBreaks, services, m_loadedSimbols);
        m_settings.Excluds = load("excluds", LoadMode::JoinLines, services, m_loadedExcluds);
    } catch (...) {
        m_stage = Stage::Ended;
        throw;
    }
    m_settings.LenPass = 6;
    m_settings.NPass = 1;
    showStrength();
    const bool quit = m_stage == Stage::QuitWhenLoaded;
    m_stage = Stage::Running;
    if (quit) {
        closeSequence();
    }
}

std::u16string mdiMain::load(const char* name, LoadMode mode, const LoadServices& services,
                             LoadedFile& seen)
{
    const std::filesystem::path path = SettingsPath(m_folder, name);
    std::u16string text = LoadFile(path, mode, services, seen);
    if (!seen.restoredFrom.empty()) {
        m_boxes.information(QStringLiteral("%1 восстановлен: файла %2 не было, так как прошлое "
                                           "сохранение не удалось завершить; его место занял "
                                           "файл %3 с последним сохранённым набором.")
                                .arg(setName(path), shown(path), shown(seen.restoredFrom))
                                .toStdU16String(),
                            u"Error");
    }
    return text;
}

void mdiMain::quitFromOutside()
{
    m_boxes.silence();
    closeModalWindows();
    // Saves now: at the session's end Windows may end the process as soon
    // as this request returns.
    closeSequence();
    if (m_stage > Stage::Running) {
        close();
    }
}

bool mdiMain::isClosing() const
{
    return m_stage == Stage::QuitWhenLoaded || m_stage > Stage::Running;
}

// Qt's own quit would close the windows through closeEvent, where the close's
// messages still show. Once the files are saved it goes on, so the event
// loop ends.
bool mdiMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit &&
        m_stage < Stage::Saved) {
        quitFromOutside();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void mdiMain::centreOnScreen()
{
    const QWindow* handle = windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    // Before the window system has put its frame round the window the outer
    // size is not known; it is centred again once the frame is there.
    m_centreWhenFramed = frame.isNull();
    QRect outer(QPoint(), size().grownBy(frame));
    outer.moveCenter(screen()->availableGeometry().center());
    move(outer.topLeft()); // a window's position is its frame's
}

void mdiMain::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (m_centreWhenFramed && windowHandle() && !windowHandle()->frameMargins().isNull()) {
        centreOnScreen();
    }
}

// The strength follows the settings window's fields as they are typed and
// corrected, and the settings once it has committed them.
std::unique_ptr<frmSetup> mdiMain::loadSetup()
{
    auto form = std::make_unique<frmSetup>(m_settings);
    connect(form.get(), &frmSetup::fieldsChanged, this, &mdiMain::showStrength);
    connect(form.get(), &frmSetup::committed, this, [this] {
        m_editing = nullptr;
        showStrength();
    });
    m_editing = form.get();
    showStrength();
    return form;
}

void mdiMain::showStrength()
{
    m_strength->show(m_editing ? m_editing->fields() : m_settings);
}

template <class Form> void mdiMain::bringUp(ChildWindow<Form>& child, double top, double left)
{
    child.get();
    QMdiSubWindow* sub = child.subWindow();
    if (sub->isMinimized() || sub->isMaximized()) {
        sub->showNormal();
        return;
    }
    sub->move(sub->x(), pixels(top));
    sub->move(pixels(left), sub->y());
    sub->showNormal();
    m_area->setActiveSubWindow(sub);
    // setActiveSubWindow does nothing for the window that is already active,
    // though the focus may have gone to the toolbar since.
    if (!sub->isAncestorOf(QApplication::focusWidget())) {
        QWidget* last = sub->widget()->focusWidget();
        (last ? last : sub->widget())->setFocus();
    }
}

void mdiMain::placeExitButton()
{
    QToolButton* exit = button("cmdExit");
    const float frameWidth = static_cast<float>(frameGeometry().width() * TwipsPerPixel);
    const float buttonWidth = static_cast<float>(exit->width() * TwipsPerPixel);
    exit->move(pixels(cmdExitLeft(frameWidth, buttonWidth)), exit->y());
}

void mdiMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeExitButton();
}

void mdiMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        placeExitButton();
    }
}

void mdiMain::save(const std::u16string& text, const char* name, LoadedFile& loaded)
{
    const std::filesystem::path path = SettingsPath(m_folder, name);
    QString message;
    // Whatever goes wrong, the old file is still intact, the other file is
    // still written and the program still ends normally.
    try {
        const std::optional<KeptBecause> kept = saveAtClose(text, path, loaded);
        if (!kept) {
            return;
        }
        message = QString::fromStdU16String(keptMessage(path, *kept));
    } catch (const StorageError& error) { // every failure of a save comes as one
        m_writeFailed = true;
        message = QStringLiteral("%1 не сохранён: не удалось записать файл %2.")
                      .arg(setName(path), QString::fromStdU16String(error.message()));
        if (error.oldFileStands())
            message += QStringLiteral(" Файл остался прежним.");
    }
    m_boxes.information(message.toStdU16String(), u"Error");
}

void mdiMain::saveBeforeSessionEnd()
{
    // While loading the sets are half read; once closing, the close saves.
    if (m_stage != Stage::Running) {
        return;
    }
    // What the close would save, without committing the settings window,
    // which stays as it is if the end is cancelled.
    const frmSetup* setup = m_frmSetup.loaded();
    const Module1 sets = setup ? setup->fields() : m_settings;
    saveQuietly(sets.Simbols, "simbols", m_loadedSimbols);
    saveQuietly(sets.Excluds, "excluds", m_loadedExcluds);
}

// Nobody may be there to answer a message, and the close that follows saves
// again and tells what this save could not do.
void mdiMain::saveQuietly(const std::u16string& text, const char* name, LoadedFile& loaded)
{
    try {
        saveAtClose(text, SettingsPath(m_folder, name), loaded);
    } catch (const StorageError&) {
    }
}

void mdiMain::closeEvent(QCloseEvent* event)
{
    closeSequence();
    event->accept();
}

void mdiMain::closeSequence()
{
    for (;;) {
        switch (m_stage) {
        case Stage::Loading:
            m_stage = Stage::QuitWhenLoaded; // Load() closes once it has read both files
            return;
        case Stage::QuitWhenLoaded:
        case Stage::Saved:
        case Stage::Ended:
            return;
        case Stage::Running:
            m_stage = Stage::SavingSimbols;
            // An open settings window commits its fields before they are saved.
            if (frmSetup* setup = m_frmSetup.loaded()) {
                setup->unload();
            }
            break;
        case Stage::SavingSimbols:
            m_stage = Stage::SavingExcluds;
            save(m_settings.Simbols, "simbols", m_loadedSimbols);
            break;
        case Stage::SavingExcluds:
            m_stage = Stage::Saved;
            save(m_settings.Excluds, "excluds", m_loadedExcluds);
            unloadChildren();
            return;
        }
    }
}

// A child window's handler may still wait below, in the loop of a message box
// or a drag it opened; deleting the window under it would crash it when that
// loop returns. Qt deletes a drag once its handler has returned.
void mdiMain::unloadChildren()
{
    if (QDrag* drag = m_area->findChild<QDrag*>()) {
        connect(drag, &QObject::destroyed, this, &mdiMain::unloadChildren);
        return;
    }
    m_boxes.afterBoxes(*this, [this] {
        m_frmSetup.unload();
        m_frmMain.unload();
        m_stage = Stage::Ended;
    });
}

} // namespace passgen
