#include "Events.h"

#include "ClientCoreContext.h"
#include "KavException.h"
#include "MetaLookup.h"

#include <QByteArrayList>
#include <QDebug>
#include <QHash>
#include <QMetaMethod>
#include <QPointer>

#include <exception>
#include <initializer_list>
#include <optional>
#include <utility>

namespace Kav {

namespace {

struct Binding
{
    QPointer<QObject> target;
    QByteArray handler;
    // The client the target works for: current while its handler runs. Null for bindings made
    // outside a client (a test's own).
    ClientCoreContext* context;
};

// Bindings per source object; an entry goes when its source is destroyed. Process-wide, and
// still no state shared between clients: it is keyed by the source object, which is unique in
// the process and belongs to one client's form, and it holds no state of a running command, so
// one context never reads or changes another's entries (a context holding them instead would
// only add a look-up of the source's context to every event). Each context keeps its own running
// command (CommandState).
QHash<const QObject*, QHash<QByteArray, Binding>>& bindings()
{
    static QHash<const QObject*, QHash<QByteArray, Binding>> table;
    return table;
}

// The current context's commands; none when the program made no context. Read from the current
// context because Qt calls runFromQt back from its own frames (a signal, a focus change), which
// carry nothing of ours.
CommandState* activeCommands()
{
    ClientCoreContext* context = ClientCoreContext::currentOrNull();
    return context ? &context->commands() : nullptr;
}

void notifyCommandEnd(const CommandState& state)
{
    for (const auto& listener : state.commandEndListeners) {
        try {
            listener();
        } catch (const std::exception& error) {
            qWarning().noquote() << "after the command:" << error.what();
        }
    }
}

class DepthGuard
{
public:
    explicit DepthGuard(CommandState& state) : m_state(state) { ++m_state.handlerDepth; }
    ~DepthGuard() { --m_state.handlerDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    CommandState& m_state;
};

void rethrowKept(CommandState& state)
{
    if (std::exception_ptr error = std::exchange(state.keptError, nullptr))
        std::rethrow_exception(error);
}

void runRaisingKept(CommandState& state, const std::function<void()>& handler)
{
    // A kept error has already ended the command: no further handler of it runs.
    rethrowKept(state);
    try {
        handler();
    } catch (...) {
        if (!state.keptError)
            throw;
    }
    rethrowKept(state);
}

// "flagSetter(QObject*,bool&)" from the handler's name and the arguments' type names.
QByteArray signatureOf(const QByteArray& handler, std::initializer_list<const QGenericArgument*> arguments)
{
    QByteArrayList types;
    for (const QGenericArgument* argument : arguments) {
        if (!argument->name())
            break;
        types << argument->name();
    }
    return QMetaObject::normalizedSignature(handler + '(' + types.join(',') + ')');
}

} // namespace

void bindEvent(QObject* source, const QByteArray& event, QObject* target, const QByteArray& handler,
               ClientCoreContext* context)
{
    auto& table = bindings();
    if (!table.contains(source))
        QObject::connect(source, &QObject::destroyed, [source] { bindings().remove(source); });
    table[source].insert(event, Binding{target, handler, context});
}

void unbindEvent(QObject* source, const QByteArray& event)
{
    auto it = bindings().find(source);
    if (it != bindings().end())
        it->remove(event);
}

QByteArray boundHandler(const QObject* source, const QByteArray& event)
{
    const auto it = bindings().constFind(source);
    if (it == bindings().cend())
        return {};
    const auto binding = it->constFind(event);
    return binding == it->cend() || !binding->target ? QByteArray() : binding->handler;
}

bool isEventBound(const QObject* source, const QByteArray& event)
{
    return !boundHandler(source, event).isEmpty();
}

bool hasHandler(const QObject* target, const QByteArray& handler)
{
    return MetaLookup::hasMethodNamed(target->metaObject(), handler);
}

void invokeHandler(QObject* target, const QByteArray& handler, QGenericArgument a0, QGenericArgument a1,
                   QGenericArgument a2, QGenericArgument a3)
{
    runHandler([&] {
        const int index = target->metaObject()->indexOfMethod(signatureOf(handler, {&a0, &a1, &a2, &a3}));
        if (index < 0)
            throw Exception(QStringLiteral("%1 has no handler %2 for these arguments")
                                .arg(target->objectName(), QString::fromLatin1(handler)));
        // Straight into the class's own meta-call, not through QMetaObject::invokeMethod: the
        // handler's exception must not unwind through a frame of Qt's.
        void* arguments[] = {nullptr, a0.data(), a1.data(), a2.data(), a3.data()};
        target->qt_metacall(QMetaObject::InvokeMetaMethod, index, arguments);
    });
}

bool fireEvent(QObject* source, const char* event, QGenericArgument a0, QGenericArgument a1,
               QGenericArgument a2, QGenericArgument a3)
{
    const auto it = bindings().constFind(source);
    if (it == bindings().cend())
        return false;
    const auto binding = it->constFind(QByteArray(event));
    if (binding == it->cend() || !binding->target)
        return false;
    std::optional<ClientCoreContext::Activation> running;
    if (binding->context)
        running.emplace(*binding->context);
    invokeHandler(binding->target, binding->handler, a0, a1, a2, a3);
    return true;
}

void runHandler(const std::function<void()>& handler)
{
    // The current client's commands: a form's handlers make theirs current (fireEvent, the form's
    // own entry points), and code that runs one without a form has no other to name.
    CommandState& state = ClientCoreContext::current().commands();
    if (state.handlerDepth > 0) {
        DepthGuard nested(state);
        runRaisingKept(state, handler);
        return;
    }
    DepthGuard outermost(state);
    try {
        runRaisingKept(state, handler);
    } catch (const SilentAbort&) {
        // Its message was shown by whoever raised it.
    } catch (const Exception& error) {
        state.errorDisplay(error.message());
    } catch (const std::exception& error) {
        state.errorDisplay(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        state.errorDisplay(QStringLiteral("Erro inesperado."));
    }
    // What a handler kept while the error display showed the command's error: that command has
    // ended already, with its own message.
    state.keptError = nullptr;
    notifyCommandEnd(state);
}

void runFromQt(const std::function<void()>& body)
{
    CommandState* state = activeCommands();
    if (!state || state->handlerDepth == 0) {
        body();
        return;
    }
    try {
        body();
    } catch (...) {
        if (!state->keptError)
            state->keptError = std::current_exception();
    }
}

void throwKeptError()
{
    if (CommandState* state = activeCommands())
        rethrowKept(*state);
}

void callIntoQt(const std::function<void()>& call)
{
    call();
    throwKeptError();
}

bool isHandlerRunning()
{
    const CommandState* state = activeCommands();
    return state && state->handlerDepth > 0;
}

ErrorDisplay setErrorDisplay(ErrorDisplay display)
{
    return std::exchange(ClientCoreContext::current().commands().errorDisplay, std::move(display));
}

} // namespace Kav
