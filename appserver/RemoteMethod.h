#pragma once
// One method a remote data module offers: its name, the types of its positional arguments, how
// its database transaction is run, and the code that answers it.

#include <functional>
#include <QList>
#include <QString>
#include <QVariant>

namespace KavServer {

class CallContext;

struct RemoteMethod
{
    enum class Arg { Text, Date, Boolean, Integer };

    enum class Transaction {
        Read,  // the server runs the method in a transaction it commits
        Write, // likewise, taking the write lock at once where the engine needs it (SQLite)
        Own,   // the method opens its transactions itself (CallContext::beginTransaction)
    };

    QString name;
    QList<Arg> args;
    Transaction transaction = Transaction::Read;
    // Throws Kav::Exception to fail the call; what it returns is the answer.
    std::function<QVariant(CallContext&)> run;
    // Undoes what a successful call kept once its answer cannot reach the client (the client went
    // away after the commit): given the answer, in a transaction of its own. None: nothing to undo.
    std::function<void(CallContext&, const QVariant& answer)> undoUndelivered = nullptr;
};

// "text", "date", "boolean", "integer": for messages.
QString argTypeName(RemoteMethod::Arg type);

} // namespace KavServer
