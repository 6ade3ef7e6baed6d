#include "ControlEvents.h"

#include "Events.h"
#include "LayoutLoader.h"

#include <QKeyEvent>

namespace Kav {

namespace {

constexpr quint16 kVkBack = 8;
constexpr quint16 kVkTab = 9;
constexpr quint16 kVkReturn = 13;
constexpr quint16 kVkEscape = 27;
constexpr quint16 kVkSpace = 32;
constexpr quint16 kVkF1 = 112;

struct KeyCode
{
    int qtKey;
    quint16 code;
};

constexpr KeyCode kKeyCodes[] = {
    {Qt::Key_Backspace, kVkBack}, {Qt::Key_Tab, kVkTab},       {Qt::Key_Backtab, kVkTab},
    {Qt::Key_Return, kVkReturn},  {Qt::Key_Enter, kVkReturn},  {Qt::Key_Shift, 16},
    {Qt::Key_Control, 17},        {Qt::Key_Alt, 18},           {Qt::Key_Pause, 19},
    {Qt::Key_CapsLock, 20},       {Qt::Key_Escape, kVkEscape}, {Qt::Key_Space, kVkSpace},
    {Qt::Key_PageUp, 33},         {Qt::Key_PageDown, 34},      {Qt::Key_End, 35},
    {Qt::Key_Home, 36},           {Qt::Key_Left, 37},          {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},          {Qt::Key_Down, 40},          {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},
};

} // namespace

void fireNotify(QObject* control, const char* event)
{
    if (!LayoutLoader::isLoading())
        runFromQt([&] { fireEvent(control, event, Q_ARG(QObject*, control)); });
}

quint16 virtualKey(const QKeyEvent* event)
{
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return quint16(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return quint16(kVkF1 + (key - Qt::Key_F1));
    for (const KeyCode& entry : kKeyCodes) {
        if (entry.qtKey == key)
            return entry.code;
    }
    return 0;
}

QChar keyChar(const QKeyEvent* event)
{
    if (!event->text().isEmpty())
        return event->text().at(0);
    switch (event->key()) {
    case Qt::Key_Escape:
        return QChar(kVkEscape);
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(kVkReturn);
    case Qt::Key_Tab:
        return QChar(kVkTab);
    case Qt::Key_Backspace:
        return QChar(kVkBack);
    default:
        return {};
    }
}

bool fireKeyDown(QObject* control, QObject* sender, const QKeyEvent* event)
{
    quint16 key = virtualKey(event);
    if (key == 0 || !isEventBound(control, "OnKeyDown"))
        return false;
    const Qt::KeyboardModifiers shift = event->modifiers();
    runFromQt([&] {
        fireEvent(control, "OnKeyDown", Q_ARG(QObject*, sender), Q_ARG(quint16&, key),
                  Q_ARG(Qt::KeyboardModifiers, shift));
    });
    return key == 0;
}

bool fireKeyPress(QObject* control, QObject* sender, const QKeyEvent* event)
{
    QChar typed = keyChar(event);
    if (typed.isNull() || !isEventBound(control, "OnKeyPress"))
        return false;
    runFromQt([&] { fireEvent(control, "OnKeyPress", Q_ARG(QObject*, sender), Q_ARG(QChar&, typed)); });
    return typed.isNull();
}

} // namespace Kav
