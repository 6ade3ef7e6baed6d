#include "ParsedLayouts.h"

#include "LayoutError.h"
#include "LayoutParser.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace Kav::ParsedLayouts {

namespace {

LayoutNode readAndParse(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw LayoutError(fileName, 0, QStringLiteral("cannot read the layout: %1").arg(file.errorString()));
    return LayoutParser(QString::fromUtf8(file.readAll()), fileName).parse();
}

struct Cache
{
    QMutex mutex;
    QHash<QString, LayoutNode> roots;
};

Cache& cache()
{
    static Cache instance;
    return instance;
}

} // namespace

bool isCached(const QString& fileName)
{
    return fileName.startsWith(QLatin1String(":/"));
}

LayoutNode parse(const QString& fileName)
{
    if (!isCached(fileName))
        return readAndParse(fileName);
    Cache& c = cache();
    const QMutexLocker lock(&c.mutex);
    const auto found = c.roots.constFind(fileName);
    if (found != c.roots.cend())
        return *found;
    // The trees share their data with the copies handed out: they are never changed in place.
    return *c.roots.insert(fileName, readAndParse(fileName));
}

} // namespace Kav::ParsedLayouts
