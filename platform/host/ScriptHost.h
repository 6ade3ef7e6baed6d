#pragma once
// What a script drives: the host's package entries and the forms open in its main window.

#include <QList>
#include <QString>

class QWidget;

namespace Kav::Host {

class ScriptHost
{
public:
    virtual ~ScriptHost() = default;

    // Loads the package if needed and calls its entry, as the menu does. Throws Kav::Exception
    // with the loader's reason when the package or its entry cannot be reached.
    virtual void openPackage(const QString& package) = 0;

    // The form the user works in, or null when none is open.
    virtual QWidget* activeForm() const = 0;
    // Every form open in the main window.
    virtual QList<QWidget*> openForms() const = 0;
    // Closes the active form as the user does with the window's close button.
    virtual void closeActiveForm() = 0;
};

} // namespace Kav::Host
