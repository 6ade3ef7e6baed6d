#include "MetaLookup.h"

#include <QHash>
#include <QMetaMethod>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <utility>

namespace Kav::MetaLookup {

namespace {

// Meta-objects live as long as the program (packages are never unloaded), so their addresses
// are keys that stay valid.
template <class Key, class Value> class Memo
{
public:
    template <class Compute> Value get(const Key& key, Compute&& compute)
    {
        const QMutexLocker lock(&m_mutex);
        const auto found = m_values.constFind(key);
        if (found != m_values.cend())
            return *found;
        return *m_values.insert(key, compute());
    }

private:
    QMutex m_mutex;
    QHash<Key, Value> m_values;
};

QSet<QByteArray> methodNames(const QMetaObject* meta)
{
    QSet<QByteArray> names;
    for (int i = 0; i < meta->methodCount(); ++i)
        names.insert(meta->method(i).name());
    return names;
}

} // namespace

int propertyIndex(const QMetaObject* meta, const QString& name)
{
    static Memo<std::pair<const QMetaObject*, QString>, int> indexes;
    return indexes.get({meta, name}, [&] { return meta->indexOfProperty(name.toLatin1().constData()); });
}

bool hasMethodNamed(const QMetaObject* meta, const QByteArray& name)
{
    static Memo<const QMetaObject*, QSet<QByteArray>> names;
    return names.get(meta, [&] { return methodNames(meta); }).contains(name);
}

QStringList classInfoWords(const QMetaObject* meta, const char* key)
{
    static Memo<std::pair<const QMetaObject*, QByteArray>, QStringList> words;
    return words.get({meta, QByteArray(key)}, [&] {
        QStringList found;
        for (int i = 0; i < meta->classInfoCount(); ++i) {
            const QMetaClassInfo info = meta->classInfo(i);
            if (qstrcmp(info.name(), key) == 0)
                found += QString::fromLatin1(info.value())
                             .simplified()
                             .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        return found;
    });
}

} // namespace Kav::MetaLookup
