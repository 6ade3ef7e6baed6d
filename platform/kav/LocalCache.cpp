#include "LocalCache.h"

#include "DatabaseModule.h"
#include "KavException.h"
#include "SystemFailure.h"
#include "TDBPicture.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace Kavenso {

namespace {
const QString kYes = QStringLiteral("S");
} // namespace

const QString LocalCache::kFilial = QStringLiteral("FILIAL");
const QString LocalCache::kPicture = QStringLiteral("PICTURE");

LocalCache::LocalCache(Kav::DatabaseModule& database) : m_database(database) {}
LocalCache::~LocalCache() = default;

QSqlQuery LocalCache::run(const QString& statement)
{
    return m_database.read([&statement](const QSqlDatabase& db) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(statement))
            Kav::failWithDetail(
                QStringLiteral("Não foi possível ler as tabelas de apoio (%1) no banco de dados.")
                    .arg(statement.section(QLatin1Char(' '), -1)),
                query.lastError().text());
        return query;
    });
}

void LocalCache::refresh(const QStringList& tables)
{
    for (const QString& table : tables) {
        if (table.compare(kFilial, Qt::CaseInsensitive) != 0 &&
            table.compare(kPicture, Qt::CaseInsensitive) != 0)
            throw Kav::Exception(QStringLiteral("A tabela %1 não é mantida no cache local.").arg(table));
    }
    followConnection();
    for (const QString& table : tables) {
        if (table.compare(kFilial, Qt::CaseInsensitive) == 0)
            loadFilial();
        else
            loadPicture();
    }
}

void LocalCache::followConnection()
{
    const QSqlDatabase db = m_database.database();
    const QString source = db.driverName() + QLatin1Char(' ') + db.hostName() + QLatin1Char(' ') +
                           QString::number(db.port()) + QLatin1Char(' ') + db.databaseName();
    if (source == m_source)
        return;
    m_source = source;
    m_filialLoaded = false;
    m_pictureLoaded = false;
}

void LocalCache::loadFilial()
{
    QSqlQuery query = run(QStringLiteral("SELECT CDFILIAL, IDMATRIZ, IDMODZVE, IDCNTRRESC FROM FILIAL"));
    QHash<QString, Filial> rows;
    while (query.next()) {
        rows.insert(query.value(0).toString(),
                    Filial{query.value(1).toString() == kYes, query.value(2).toString() == kYes,
                           query.value(3).toString() == kYes});
    }
    // Replaced only once the whole table was read: a failed read keeps the earlier copy.
    m_filiais = std::move(rows);
    m_filialLoaded = true;
}

void LocalCache::loadPicture()
{
    QSqlQuery query = run(QStringLiteral("SELECT CDPICTURE, DSMASCARA, NRNIVEIS FROM PICTURE"));
    QHash<int, std::pair<QString, int>> rows;
    while (query.next())
        rows.insert(query.value(0).toInt(), {query.value(1).toString(), query.value(2).toInt()});
    for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
        if (auto existing = m_pictures.value(it.key()))
            existing->assign(it->first, it->second);
        else
            m_pictures.insert(it.key(), std::make_shared<TDBPicture>(it.key(), it->first, it->second));
    }
    // A kind no longer in the table keeps its object (screens may hold it) but loses its mask.
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        if (!rows.contains(it.key()))
            it.value()->assign(QString(), 0);
    }
    m_pictureLoaded = true;
}

std::optional<LocalCache::Filial> LocalCache::filial(const QString& code)
{
    followConnection();
    if (!m_filialLoaded)
        loadFilial();
    const auto it = m_filiais.constFind(code);
    if (it == m_filiais.cend())
        return std::nullopt;
    return *it;
}

TDBPicture* LocalCache::picture(int kind)
{
    followConnection();
    if (!m_pictureLoaded)
        loadPicture();
    const auto picture = m_pictures.value(kind);
    if (!picture || picture->GetMascara().isEmpty())
        throw Kav::Exception(QStringLiteral("Máscara de código do tipo %1 não cadastrada.").arg(kind));
    return picture.get();
}

} // namespace Kavenso
