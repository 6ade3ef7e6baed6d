#include "ControlProbe.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace Kav::Host {

namespace ControlProbe {

std::optional<QString> text(const QObject* control)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        return spin->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (const auto* textEdit = qobject_cast<const QTextEdit*>(control))
        return textEdit->toPlainText();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return plain->toPlainText();
    if (const auto* action = qobject_cast<const QAction*>(control))
        return action->text();
    // Other controls of the support library publish their caption or text as a property.
    for (const char* property : {"Text", "Caption"}) {
        const QVariant value = control->property(property);
        if (value.isValid())
            return value.toString();
    }
    return std::nullopt;
}

bool enabled(const QObject* control)
{
    if (const auto* widget = qobject_cast<const QWidget*>(control))
        return widget->isEnabled();
    if (const auto* action = qobject_cast<const QAction*>(control))
        return action->isEnabled();
    const QVariant value = control->property("Enabled");
    return !value.isValid() || value.toBool();
}

std::optional<bool> checked(const QObject* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->isChecked();
    if (const auto* group = qobject_cast<const QGroupBox*>(control); group && group->isCheckable())
        return group->isChecked();
    if (const auto* action = qobject_cast<const QAction*>(control); action && action->isCheckable())
        return action->isChecked();
    const QVariant value = control->property("Checked");
    if (value.isValid())
        return value.toBool();
    return std::nullopt;
}

QString describe(const QObject* control)
{
    for (const QObject* object = control; object; object = object->parent()) {
        if (!object->objectName().isEmpty())
            return object->objectName();
    }
    return QStringLiteral("(none)");
}

} // namespace ControlProbe

} // namespace Kav::Host
