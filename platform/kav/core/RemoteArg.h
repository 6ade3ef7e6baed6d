#pragma once
// One argument of a remote call: a value, or a variable passed by reference that receives what
// the server hands back in its place.

#include <functional>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace Kav {

class RemoteArg
{
public:
    RemoteArg(const QVariant& value) : m_value(value) {}
    RemoteArg(const QString& text) : m_value(text) {}
    RemoteArg(const char* text) : m_value(QString::fromUtf8(text)) {}
    RemoteArg(bool flag) : m_value(flag) {}
    RemoteArg(int number) : m_value(number) {}
    RemoteArg(const QDate& date) : m_value(date) {}
    RemoteArg(const QDateTime& dateTime) : m_value(dateTime) {}

    static RemoteArg byRef(QString& text)
    {
        RemoteArg arg(text);
        arg.m_writeBack = [&text](const QVariant& value) { text = value.toString(); };
        return arg;
    }
    static RemoteArg byRef(QVariant& variable)
    {
        RemoteArg arg(variable);
        arg.m_writeBack = [&variable](const QVariant& value) { variable = value; };
        return arg;
    }

    const QVariant& value() const { return m_value; }
    bool isByRef() const { return bool(m_writeBack); }
    void writeBack(const QVariant& value) const
    {
        if (m_writeBack)
            m_writeBack(value);
    }

private:
    QVariant m_value;
    std::function<void(const QVariant&)> m_writeBack;
};

} // namespace Kav
