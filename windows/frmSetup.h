#pragma once

#include "generation/Module1.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;

namespace passgen {

// The settings window. Its fields are working copies of the four settings:
// loaded from them when the window is built, committed back when it closes,
// whatever closes it.
class frmSetup final : public QWidget {
    Q_OBJECT

public:
    explicit frmSetup(Module1& settings, QWidget* parent = nullptr);

    QLineEdit* txtLenPass() const { return m_txtLenPass; }
    QLineEdit* txtNPass() const { return m_txtNPass; }
    QPlainTextEdit* txtSim() const { return m_txtSim; }
    QLineEdit* txtIskl() const { return m_txtIskl; }

    // Copies the fields into the settings, as closing the window does; a
    // quit that cannot close the window yet commits through it.
    void unload();

    // The settings as the fields hold them: what unload() would commit.
    Module1 fields() const;

signals:
    // A field's text changed: typed, pasted, deleted or corrected.
    void fieldsChanged();
    // unload() has copied the fields into the settings.
    void committed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    void correct(QLineEdit& field);

    Module1& m_settings;
    QLineEdit* m_txtLenPass = nullptr;
    QLineEdit* m_txtNPass = nullptr;
    QPlainTextEdit* m_txtSim = nullptr;
    QLineEdit* m_txtIskl = nullptr;
};

} // namespace passgen
