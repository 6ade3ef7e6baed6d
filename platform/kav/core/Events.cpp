#include "Events.h"

#include "KavException.h"

#include <QDebug>
#include <QHash>
#include <QMetaMethod>
#include <QPointer>

#include <vector>

namespace Kav {

namespace {

struct Binding
{
    QPointer<QObject> target;
    QByteArray handler;
};

// Bindings per source object; an entry goes when its source is destroyed.
QHash<const QObject*, QHash<QByteArray, Binding>>& bindings()
{
    static QHash<const QObject*, QHash<QByteArray, Binding>> table;
    return table;
}

int& handlerDepth()
{
    static int depth = 0;
    return depth;
}

ErrorDisplay& errorDisplay()
{
    static ErrorDisplay display = [](const QString& message) { qWarning().noquote() << message; };
    return display;
}

std::vector<std::function<void()>>& commandEndListeners()
{
    static std::vector<std::function<void()>> listeners;
    return listeners;
}

void notifyCommandEnd()
{
    for (const auto& listener : commandEndListeners()) {
        try {
            listener();
        } catch (const std::exception& error) {
            qWarning().noquote() << "after the command:" << error.what();
        }
    }
}

struct DepthGuard
{
    DepthGuard() { ++handlerDepth(); }
    ~DepthGuard() { --handlerDepth(); }
};

} // namespace

void bindEvent(QObject* source, const QByteArray& event, QObject* target, const QByteArray& handler)
{
    auto& table = bindings();
    if (!table.contains(source))
        QObject::connect(source, &QObject::destroyed, [source] { bindings().remove(source); });
    table[source].insert(event, Binding{target, handler});
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
    const QMetaObject* meta = target->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        if (meta->method(i).name() == handler)
            return true;
    }
    return false;
}

void invokeHandler(QObject* target, const QByteArray& handler, QGenericArgument a0, QGenericArgument a1,
                   QGenericArgument a2, QGenericArgument a3)
{
    runHandler([&] {
        if (!QMetaObject::invokeMethod(target, handler.constData(), Qt::DirectConnection, a0, a1, a2, a3))
            throw Exception(QStringLiteral("%1 has no handler %2 for these arguments")
                                .arg(target->objectName(), QString::fromLatin1(handler)));
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
    invokeHandler(binding->target, binding->handler, a0, a1, a2, a3);
    return true;
}

void runHandler(const std::function<void()>& handler)
{
    if (handlerDepth() > 0) {
        DepthGuard nested;
        handler();
        return;
    }
    DepthGuard outermost;
    try {
        handler();
    } catch (const SilentAbort&) {
        // Its message was shown by whoever raised it.
    } catch (const Exception& error) {
        errorDisplay()(error.message());
    } catch (const std::exception& error) {
        errorDisplay()(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        errorDisplay()(QStringLiteral("Erro inesperado."));
    }
    notifyCommandEnd();
}

bool isHandlerRunning()
{
    return handlerDepth() > 0;
}

void addCommandEndListener(std::function<void()> listener)
{
    commandEndListeners().push_back(std::move(listener));
}

void setErrorDisplay(ErrorDisplay display)
{
    errorDisplay() = std::move(display);
}

} // namespace Kav
