#include "SyntheticInput.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace Kav::Host {

namespace SyntheticInput {

namespace {

// The text a key press carries when nothing but the key is known: the character the key types on
// a US layout, lower case without Shift, and the control characters of the editing keys.
QString textOf(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Escape:
        return QString(QChar(0x1b));
    case Qt::Key_Delete:
        return QString(QChar(0x7f));
    default:
        break;
    }
    if (key < Qt::Key_Space || key > Qt::Key_AsciiTilde)
        return {};
    const QChar character(key);
    return QString(modifiers & Qt::ShiftModifier ? character : character.toLower());
}

// The key code Qt gives a character's key: letters by their capital, other characters by
// themselves.
Qt::Key keyOf(QChar character)
{
    return Qt::Key(character.toUpper().unicode());
}

void sendKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QPointer<QWidget> receiver(target);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(receiver, &press);
    // The press may have closed the control's form.
    if (!receiver)
        return;
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(receiver, &release);
}

bool takesClickFocus(const QWidget* widget)
{
    const QWidget* target = widget;
    while (target->focusProxy())
        target = target->focusProxy();
    return (target->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus;
}

// The window system gives the focus to the innermost widget under the click that takes focus
// from a click, stopping at one that already holds it. Events sent by a program do not, so the
// click does it here: a control's leave then fires before the click is handled, as for a user.
void focusAsAClickDoes(QWidget* widget, QPoint position)
{
    while (widget) {
        if (widget->isEnabled() && widget->rect().contains(position) && takesClickFocus(widget)) {
            widget->setFocus(Qt::MouseFocusReason);
            return;
        }
        const QWidget* holder = widget->focusProxy() ? widget->focusProxy() : widget;
        if (widget->isWindow() || holder->hasFocus())
            return;
        position += widget->pos();
        widget = widget->parentWidget();
    }
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint position, Qt::MouseButtons held)
{
    QMouseEvent event(type, position, target->mapToGlobal(position), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

void keyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    sendKey(target, key, modifiers, textOf(key, modifiers));
}

void keyClicks(QWidget* target, const QString& text)
{
    QPointer<QWidget> receiver(target);
    for (const QChar character : text) {
        if (!receiver)
            return;
        sendKey(receiver, keyOf(character), Qt::NoModifier, QString(character));
    }
}

void mouseClick(QWidget* target, QPoint position)
{
    QPointer<QWidget> receiver(target);
    focusAsAClickDoes(target, position);
    if (!receiver)
        return;
    sendMouse(receiver, QEvent::MouseButtonPress, position, Qt::LeftButton);
    if (!receiver)
        return;
    sendMouse(receiver, QEvent::MouseButtonRelease, position, Qt::NoButton);
}

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    // Objects deleted later by what ran meanwhile go now, as after a return to the main loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace SyntheticInput

} // namespace Kav::Host
