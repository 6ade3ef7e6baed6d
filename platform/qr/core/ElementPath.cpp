#include "ElementPath.h"

#include <QXmlStreamAttributes>

namespace Qr {

namespace {

// The attribute that names an element among its siblings.
QString identityAttribute(const QString& tag)
{
    if (tag == QLatin1String("band"))
        return QStringLiteral("kind");
    if (tag == QLatin1String("group") || tag == QLatin1String("list") || tag == QLatin1String("parameter"))
        return QStringLiteral("name");
    return {};
}

} // namespace

QString ElementPath::identity(const QString& tag, const QXmlStreamAttributes& attributes)
{
    const QString attribute = identityAttribute(tag);
    return attribute.isEmpty() ? QString() : attributes.value(attribute).toString();
}

QString ElementPath::enter(const QString& tag, const QString& identity)
{
    const QString step = identity.isEmpty() ? tag : QStringLiteral("%1[%2]").arg(tag, identity);
    QHash<QString, int>& seen = m_frames.isEmpty() ? m_rootsSeen : m_frames.last().childrenSeen;
    const int count = seen.value(step);
    seen.insert(step, count + 1);
    const QString parent = m_frames.isEmpty() ? QString() : m_frames.last().path + QLatin1Char('/');
    m_frames.append({parent + step + QLatin1Char('#') + QString::number(count), {}});
    return m_frames.last().path;
}

QString ElementPath::leave()
{
    return m_frames.takeLast().path;
}

QString ElementPath::current() const
{
    return m_frames.isEmpty() ? QString() : m_frames.last().path;
}

} // namespace Qr
