#include "ReportQuery.h"

#include "KavException.h"
#include "QueryHeartbeat.h"
#include "SqlParameters.h"
#include "SystemFailure.h"
#include "TParams.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace Qr {

namespace {

constexpr qsizetype kIsoDateLength = 10;     // 2025-03-31
constexpr qsizetype kIsoDateTimeLength = 19; // 2025-03-31 12:00:00

// SQLite keeps dates as ISO texts and its driver hands them over as texts; the other engines give
// dates. Reading them as dates here keeps a layout's formats and comparisons the same everywhere.
QVariant sqliteValue(const QVariant& value)
{
    if (value.typeId() != QMetaType::QString)
        return value;
    const QString text = value.toString();
    if ((text.size() != kIsoDateLength && text.size() != kIsoDateTimeLength) || text[4] != QLatin1Char('-') ||
        text[7] != QLatin1Char('-'))
        return value;
    if (text.size() == kIsoDateLength) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        return date.isValid() ? QVariant(date) : value;
    }
    const QDateTime dateTime = QDateTime::fromString(text, Qt::ISODate);
    return dateTime.isValid() ? QVariant(dateTime) : value;
}

// The database's own text (English, naming tables and columns) is for the log.
[[noreturn]] void failed(const QSqlQuery& query)
{
    Kav::failWithDetail(QStringLiteral("Não foi possível ler os dados do relatório no banco de dados."),
                        query.lastError().text());
}

} // namespace

ReportData ReportQuery::run(const QSqlDatabase& database, const QString& sql, const TParams& params,
                            const KeepGoing& keepGoing)
{
    if (!database.isOpen())
        Kav::failWithDetail(QStringLiteral("O banco de dados do relatório não está aberto."),
                            QStringLiteral("conexão %1").arg(database.connectionName()));
    const SqlParameters::Positional positional = SqlParameters::toPositional(sql);
    QSqlQuery query(database);
    query.setForwardOnly(true);
    // Numbers as doubles on every engine (PostgreSQL hands NUMERIC over as text otherwise).
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.prepare(positional.sql))
        failed(query);
    for (const QString& name : positional.names)
        query.addBindValue(params.ParamByName(name).boundValue());
    QueryHeartbeat heartbeat(database, keepGoing);
    if (!query.exec()) {
        heartbeat.rethrowStop();
        failed(query);
    }

    const bool sqlite = database.driverName() == QLatin1String("QSQLITE");
    ReportData data;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        data.columns.append(record.fieldName(i));
    while (query.next()) {
        heartbeat.beat();
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(sqlite ? sqliteValue(query.value(i)) : query.value(i));
        data.rows.append(std::move(row));
    }
    if (query.lastError().isValid()) {
        heartbeat.rethrowStop();
        failed(query);
    }
    return data;
}

} // namespace Qr
