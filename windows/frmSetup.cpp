#include "frmSetup.h"

#include "MakeUp.h"
#include "SavableField.h"
#include "TextConversion.h"
#include "generation/NormNumText.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

namespace passgen {

namespace {

using namespace makeup;

constexpr Colour grey = rgb(192, 192, 192);

const Window windowSpec{"frmSetup", "Настройки", 6405, 3510, grey, ":/icons/settings.ico"};

// clang-format off
const Control controls[] = {
    {.name = "fr3", .kind = Kind::Frame, .container = nullptr,
     .left = 105, .top = 0, .width = 6210, .height = 795, .tabIndex = 4,
     .caption = "Настройки", .font = {"Tahoma", 9.75, true},
     .background = grey, .foreground = rgb(0, 0, 192)},
    {.name = "Label1", .kind = Kind::Label, .container = "fr3",
     .left = 105, .top = 300, .width = 2115, .height = 255, .tabIndex = 6,
     .caption = "Кол-во символов в пароле:", .toolTip = "count of simbol in password",
     .buddy = "txtLenPass", .font = {"Tahoma", 8.25}},
    {.name = "txtLenPass", .kind = Kind::TextBox, .container = "fr3",
     .left = 2205, .top = 300, .width = 540, .height = 315, .tabIndex = 0,
     .caption = "0", .toolTip = "count of simbol in password",
     .font = {"Courier New", 11.25, true}, .maxLength = 3},
    {.name = "Label2", .kind = Kind::Label, .container = "fr3",
     .left = 3780, .top = 300, .width = 1380, .height = 255, .tabIndex = 7,
     .caption = "Кол-во паролей:", .toolTip = "count of passwords",
     .buddy = "txtNPass", .font = {"Tahoma", 8.25},
     .background = system(QPalette::Base), .foreground = system(QPalette::Text)},
    {.name = "txtNPass", .kind = Kind::TextBox, .container = "fr3",
     .left = 5145, .top = 300, .width = 540, .height = 315, .tabIndex = 8,
     .caption = "1", .toolTip = "count of passwords",
     .font = {"Courier New", 11.25, true}, .maxLength = 3},
    {.name = "fr4", .kind = Kind::Frame, .container = nullptr,
     .left = 105, .top = 900, .width = 6210, .height = 735, .tabIndex = 5,
     .caption = "Список исключений (символы, запрещенные в пароле)", .buddy = "txtIskl",
     .font = {"Tahoma", 9}, .background = grey, .foreground = system(QPalette::WindowText)},
    {.name = "txtIskl", .kind = Kind::TextBox, .container = "fr4",
     .left = 105, .top = 240, .width = 6000, .height = 435, .tabIndex = 1,
     .toolTip = "excluds", .font = {"Courier New", 15.75}},
    {.name = "fr2", .kind = Kind::Frame, .container = nullptr,
     .left = 105, .top = 1740, .width = 6210, .height = 1695, .tabIndex = 3,
     .caption = "Набор символов, используемых для генерации пароля", .buddy = "txtSim",
     .font = {"Tahoma", 9, true}, .background = grey, .foreground = rgb(0, 128, 0)},
    {.name = "txtSim", .kind = Kind::TextBox, .container = "fr2",
     .left = 105, .top = 240, .width = 6000, .height = 1335, .tabIndex = 2,
     .toolTip = "simbols", .font = {"Courier New", 12},
     .multiLine = true, .scrollBars = ScrollBars::Vertical},
};
// clang-format on

// The number fields' reading of a corrected text: always a whole number.
std::int32_t wholeNumber(const QString& text)
{
    return text.toInt();
}

} // namespace

frmSetup::frmSetup(Module1& settings, QWidget* parent) : QWidget(parent), m_settings(settings)
{
    apply(*this, windowSpec);
    const auto widgets = build(*this, controls);
    m_txtLenPass = qobject_cast<QLineEdit*>(widgets.value("txtLenPass"));
    m_txtNPass = qobject_cast<QLineEdit*>(widgets.value("txtNPass"));
    m_txtSim = qobject_cast<QPlainTextEdit*>(widgets.value("txtSim"));
    m_txtIskl = qobject_cast<QLineEdit*>(widgets.value("txtIskl"));
    for (QLineEdit* field : {m_txtLenPass, m_txtNPass}) {
        // textChanged comes for typing, pasting, deleting and assignments,
        // and not when the assigned text equals the current one.
        connect(field, &QLineEdit::textChanged, this, [this, field] { correct(*field); });
    }
    load();
    // After the load: a set read from its file holds only what the file can.
    refuseUnsavable(*m_txtSim);
    refuseUnsavable(*m_txtIskl);
    m_txtLenPass->setFocus();
    for (QLineEdit* field : {m_txtLenPass, m_txtNPass, m_txtIskl}) {
        connect(field, &QLineEdit::textChanged, this, &frmSetup::fieldsChanged);
    }
    connect(m_txtSim, &QPlainTextEdit::textChanged, this, &frmSetup::fieldsChanged);
}

void frmSetup::load()
{
    m_txtLenPass->setText(QString::number(m_settings.LenPass));
    m_txtNPass->setText(QString::number(m_settings.NPass));
    setEditorText(*m_txtSim, m_settings.Simbols);
    m_txtIskl->setText(QString::fromStdU16String(m_settings.Excluds));
}

void frmSetup::unload()
{
    m_settings.LenPass = wholeNumber(m_txtLenPass->text());
    m_settings.NPass = wholeNumber(m_txtNPass->text());
    m_settings.Simbols = fromEditorText(*m_txtSim->document());
    m_settings.Excluds = m_txtIskl->text().toStdU16String();
    emit committed();
}

Module1 frmSetup::fields() const
{
    return {fromEditorText(*m_txtSim->document()), m_txtIskl->text().toStdU16String(),
            wholeNumber(m_txtLenPass->text()), wholeNumber(m_txtNPass->text())};
}

void frmSetup::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
}

void frmSetup::correct(QLineEdit& field)
{
    const QString separator = QLocale::system().decimalPoint();
    const char16_t decimalSeparator = separator.isEmpty() ? u'.' : separator.at(0).unicode();
    const QString corrected =
        QString::fromStdU16String(NormNumText(field.text().toStdU16String(), decimalSeparator));
    // Assigning the corrected text runs this once more, which then finds
    // nothing left to change; setText leaves the cursor at the end.
    field.setText(corrected);
}

} // namespace passgen
