#include "ControlDriver.h"

#include "ControlProbe.h"
#include "ScriptKey.h"
#include "SyntheticInput.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTextEdit>

namespace Kav::Host {

namespace ControlDriver {

namespace {

// Lets the events an action caused (focus changes, queued signals, repaints) run.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

QString usable(const QWidget* control)
{
    if (!control->isVisible())
        return QStringLiteral("%1 is not visible").arg(control->objectName());
    if (!control->isEnabled())
        return QStringLiteral("%1 is disabled").arg(control->objectName());
    return {};
}

bool holdsFocus(const QWidget* control)
{
    const QWidget* focused = QApplication::focusWidget();
    return focused && (focused == control || control->isAncestorOf(focused));
}

void selectAll(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        spin->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* textEdit = qobject_cast<QTextEdit*>(control))
        textEdit->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        plain->selectAll();
    else
        SyntheticInput::keyClick(control, Qt::Key_A, Qt::ControlModifier);
}

// Focuses the control and selects its text, ready for keys that replace it.
QString focusAndSelectAll(QWidget* control)
{
    if (const QString failed = focus(control); !failed.isEmpty())
        return failed;
    if (!holdsFocus(control)) {
        return QStringLiteral("the focus did not stay on %1 (it went to %2)")
            .arg(control->objectName(), ControlProbe::describe(QApplication::focusWidget()));
    }
    selectAll(control);
    return {};
}

// Where a left click lands: a check box or radio button reacts on its indicator, other
// controls anywhere inside.
QPoint clickPoint(const QWidget* control)
{
    const QStyle::PixelMetric indicator =
        qobject_cast<const QRadioButton*>(control) ? QStyle::PM_ExclusiveIndicatorWidth
        : qobject_cast<const QCheckBox*>(control)  ? QStyle::PM_IndicatorWidth
                                                   : QStyle::PM_CustomBase;
    if (indicator == QStyle::PM_CustomBase)
        return control->rect().center();
    const int x = control->style()->pixelMetric(indicator, nullptr, control) / 2 + 1;
    return QPoint(control->isRightToLeft() ? control->width() - x : x, control->height() / 2);
}

} // namespace

QString focus(QWidget* control)
{
    if (const QString failed = usable(control); !failed.isEmpty())
        return failed;
    QWidget* target = control;
    while (target->focusProxy())
        target = target->focusProxy();
    if (!(target->focusPolicy() & Qt::ClickFocus))
        return QStringLiteral("%1 takes no focus from a click").arg(control->objectName());
    if (!target->window()->isActiveWindow()) {
        target->window()->activateWindow();
        settle();
    }
    target->setFocus(Qt::MouseFocusReason);
    settle();
    return {};
}

QString type(QWidget* control, const QString& text)
{
    if (const QString failed = focusAndSelectAll(control); !failed.isEmpty())
        return failed;
    SyntheticInput::keyClicks(QApplication::focusWidget(), text);
    settle();
    return {};
}

QString clear(QWidget* control)
{
    if (const QString failed = focusAndSelectAll(control); !failed.isEmpty())
        return failed;
    SyntheticInput::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    settle();
    return {};
}

QString click(QObject* control)
{
    if (auto* action = qobject_cast<QAction*>(control)) {
        if (!action->isEnabled())
            return QStringLiteral("%1 is disabled").arg(action->objectName());
        action->trigger();
        settle();
        return {};
    }
    auto* widget = qobject_cast<QWidget*>(control);
    if (!widget)
        return QStringLiteral("%1 is neither a control nor a menu item").arg(control->objectName());
    if (const QString failed = usable(widget); !failed.isEmpty())
        return failed;
    if (!widget->window()->isActiveWindow()) {
        widget->window()->activateWindow();
        settle();
    }
    SyntheticInput::mouseClick(widget, clickPoint(widget));
    settle();
    return {};
}

QString key(const ScriptKey& key)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (!target)
        return QStringLiteral("no control has the focus and no window is active");
    SyntheticInput::keyClick(target, key.key, key.modifiers);
    settle();
    return {};
}

QString select(QComboBox* combo, const QString& item)
{
    static const QRegularExpression position(QStringLiteral("^#([0-9]+)$"));
    const QRegularExpressionMatch numbered = position.match(item);
    const int index =
        numbered.hasMatch() ? numbered.captured(1).toInt() - 1 : combo->findText(item, Qt::MatchExactly);
    if (index < 0 || index >= combo->count()) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(QLatin1Char('"') + combo->itemText(i) + QLatin1Char('"'));
        return QStringLiteral("%1 has no item %2 (items: %3)")
            .arg(combo->objectName(), item, items.isEmpty() ? QStringLiteral("none") : items.join(", "));
    }
    if (const QString failed = focus(combo); !failed.isEmpty())
        return failed;
    // A pick from the list changes the current item and then reports the activation.
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    emit combo->textActivated(combo->itemText(index));
    settle();
    return {};
}

} // namespace ControlDriver

} // namespace Kav::Host
