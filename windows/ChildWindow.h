#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <functional>
#include <memory>

namespace passgen {

// The one instance of a child window inside the frame: built and shown on
// first reference, unloaded when it is closed (by its close box or by
// unload()), built afresh by the next reference. Closing the sub-window
// closes the form first, so a form's closeEvent is its unload handler and
// runs however the window was closed.
template <class Form> class ChildWindow final {
public:
    using Factory = std::function<std::unique_ptr<Form>()>;

    ChildWindow(QMdiArea& area, Factory factory) : m_area(area), m_factory(std::move(factory)) {}
    ChildWindow(const ChildWindow&) = delete;
    ChildWindow& operator=(const ChildWindow&) = delete;

    // The window, loaded by this reference if it is not loaded.
    Form& get()
    {
        if (!isLoaded()) {
            Form* form = m_factory().release();
            m_sub = m_area.addSubWindow(form);
            m_sub->setAttribute(Qt::WA_DeleteOnClose);
            m_sub->setWindowIcon(form->windowIcon());
            m_form = form;
            m_sub->show();
        }
        return *m_form;
    }

    // A closed sub-window lingers, hidden, until its deferred delete runs;
    // it counts as unloaded from the moment it is closed.
    bool isLoaded() const { return m_sub && m_form && !m_sub->isHidden(); }

    Form* loaded() const { return isLoaded() ? m_form.data() : nullptr; }
    QMdiSubWindow* subWindow() const { return isLoaded() ? m_sub.data() : nullptr; }

    // Closes the window if it is loaded; its unload handler runs now.
    void unload()
    {
        if (isLoaded())
            m_sub->close();
    }

private:
    QMdiArea& m_area;
    Factory m_factory;
    QPointer<QMdiSubWindow> m_sub;
    QPointer<Form> m_form;
};

} // namespace passgen
