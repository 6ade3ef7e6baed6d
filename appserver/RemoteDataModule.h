#pragma once
// A remote data module: the methods the server offers under one server name
// ("Zve41300.rdmNutriCard").

#include "RemoteMethod.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace KavServer {

class RemoteDataModule
{
public:
    explicit RemoteDataModule(QString serverName) : m_serverName(std::move(serverName)) {}

    const QString& serverName() const { return m_serverName; }
    void addMethod(RemoteMethod method);
    // Null when the module has no such method; names compare as the client writes them.
    const RemoteMethod* method(const QString& name) const;
    QStringList methodNames() const;

private:
    QString m_serverName;
    QHash<QString, RemoteMethod> m_methods;
};

} // namespace KavServer
