#pragma once
// Events of components bound to handlers by name, and the one dispatcher that runs them.
//
// A stored layout binds an event of a component ("OnClick", "OnBeforePesq"...) to a method of
// the form found by name through the meta-object system (a Q_INVOKABLE of the form's class, so
// a handler of a derived form replaces the base form's handler of the same name). Components
// fire their events with fireEvent; arguments are passed as Q_ARG, references included
// (Q_ARG(bool&, flag)), and must match the handler's normalised signature.
//
// Every handler run from the event loop goes through runHandler: the silent abort ends the
// command quietly, any other exception is shown by the error display, and none escapes into
// Qt's event loop. A handler started while another one runs (a change fired by a text a check
// writes back, a click pressed by a shortcut) passes its exception on to that caller.
//
// An exception never unwinds through Qt's frames: Qt is not built for it and leaks what those
// frames hold. Where Qt calls back into our code while a handler runs (a signal emitted by a
// text the handler writes, a focus change), runFromQt keeps the error instead; it is thrown
// again in the caller's frame once Qt has returned (callIntoQt, throwKeptError) and, at the
// latest, when the enclosing handler returns, so the command the user started still ends there.

#include "CommandState.h"

#include <functional>
#include <QByteArray>
#include <QGenericArgument>
#include <QObject>

namespace Kav {

class ClientCoreContext;

// `context` is the client `target` works for, current while the handler runs; null leaves the
// current one.
void bindEvent(QObject* source, const QByteArray& event, QObject* target, const QByteArray& handler,
               ClientCoreContext* context = nullptr);
void unbindEvent(QObject* source, const QByteArray& event);
bool isEventBound(const QObject* source, const QByteArray& event);
// "FormCreate"; empty when unbound.
QByteArray boundHandler(const QObject* source, const QByteArray& event);

// Runs the handler bound to `event` of `source`, if any, through runHandler. Returns whether a
// handler was bound.
bool fireEvent(QObject* source, const char* event, QGenericArgument a0 = QGenericArgument(),
               QGenericArgument a1 = QGenericArgument(), QGenericArgument a2 = QGenericArgument(),
               QGenericArgument a3 = QGenericArgument());

// Calls `handler` on `target` by name, through runHandler. Throws Kav::Exception when the target
// has no such method (a layout naming an unknown handler is caught when it is loaded).
void invokeHandler(QObject* target, const QByteArray& handler, QGenericArgument a0 = QGenericArgument(),
                   QGenericArgument a1 = QGenericArgument(), QGenericArgument a2 = QGenericArgument(),
                   QGenericArgument a3 = QGenericArgument());

// True when `target` has a method of that name (any signature).
bool hasHandler(const QObject* target, const QByteArray& handler);

// The dispatcher, on the current client context's commands (CommandState): at the outermost
// level it catches and shows; nested, it rethrows. Throws Kav::Exception when no context is
// current: a program that runs handlers makes one first. An error kept by runFromQt while the
// handler ran takes the place of whatever the handler threw after it: unwinding would have ended
// the handler at that point.
void runHandler(const std::function<void()>& handler);
bool isHandlerRunning();

// Runs code Qt called (a slot, an event override). Inside a handler, its error is kept for the
// handler instead of being thrown back into Qt; the first kept error wins.
void runFromQt(const std::function<void()>& body);

// Throws the error runFromQt kept, if any, and forgets it.
void throwKeptError();

// Calls into Qt (writes a text, clicks a button) and then throws what a handler Qt reached
// from there kept, so the caller stops where it would have stopped had the error unwound.
void callIntoQt(const std::function<void()>& call);

// How an error that ends a command is shown in the current context (set by the client's context
// to its dialog service). Returns the display it replaces, for the setter to put back.
ErrorDisplay setErrorDisplay(ErrorDisplay display);

} // namespace Kav
