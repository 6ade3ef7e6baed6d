#include "RemoteDataModule.h"

#include <algorithm>

namespace KavServer {

void RemoteDataModule::addMethod(RemoteMethod method)
{
    const QString name = method.name;
    m_methods.insert(name, std::move(method));
}

const RemoteMethod* RemoteDataModule::method(const QString& name) const
{
    const auto it = m_methods.constFind(name);
    return it == m_methods.cend() ? nullptr : &*it;
}

QStringList RemoteDataModule::methodNames() const
{
    QStringList names = m_methods.keys();
    std::sort(names.begin(), names.end());
    return names;
}

QString argTypeName(RemoteMethod::Arg type)
{
    switch (type) {
    case RemoteMethod::Arg::Text:
        return QStringLiteral("text");
    case RemoteMethod::Arg::Date:
        return QStringLiteral("date");
    case RemoteMethod::Arg::Boolean:
        return QStringLiteral("boolean");
    case RemoteMethod::Arg::Integer:
        return QStringLiteral("integer");
    }
    return {};
}

} // namespace KavServer
