#include "TADOIBQuery.h"

#include "dtmDBGeral.h"
#include "KavException.h"
#include "SqlPlaceholders.h"
#include "SystemFailure.h"
#include "TDataSource.h"
#include "TParameter.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

Kav::FieldDef::Type columnType(const QSqlField& field)
{
    switch (field.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return Kav::FieldDef::Type::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Kav::FieldDef::Type::Float;
    case QMetaType::Bool:
        return Kav::FieldDef::Type::Boolean;
    case QMetaType::QDate:
        return Kav::FieldDef::Type::Date;
    case QMetaType::QDateTime:
        return Kav::FieldDef::Type::DateTime;
    default:
        return Kav::FieldDef::Type::String;
    }
}

const char* propertyOf(Kav::SqlDialect dialect)
{
    switch (dialect) {
    case Kav::SqlDialect::Plain:
        return "SQL";
    case Kav::SqlDialect::Oracle:
        return "SQL_ORACLE";
    case Kav::SqlDialect::MSSQL:
        return "SQL_MSSQL";
    case Kav::SqlDialect::InterBase:
        return "SQL_IB";
    }
    return "SQL";
}

// The first word of the statement, past blanks and "--" comment lines.
QString firstWord(const QString& statement)
{
    for (const QString& line : statement.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--")))
            continue;
        return trimmed.section(QRegularExpression(QStringLiteral("[\\s(]")), 0, 0).toUpper();
    }
    return {};
}

} // namespace

TADOIBQuery::TADOIBQuery(QObject* parent) : TDataSet(parent) {}

QSqlDatabase TADOIBQuery::database() const
{
    if (m_connectionName.isEmpty())
        return dtmDBGeral::database();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.isOpen())
        throw Kav::Exception(QStringLiteral("%1: the database connection %2 is not open.")
                                 .arg(displayName(), m_connectionName));
    return db;
}

Kav::SqlDialect TADOIBQuery::dialect() const
{
    return Kav::dialectOf(database());
}

QString TADOIBQuery::statementFor(Kav::SqlDialect dialect) const
{
    const QStringList& lines = dialect == Kav::SqlDialect::Plain    ? m_sql
                               : dialect == Kav::SqlDialect::Oracle ? m_sqlOracle
                               : dialect == Kav::SqlDialect::MSSQL  ? m_sqlMssql
                                                                    : m_sqlIb;
    const QString text = lines.join(QLatin1Char('\n')).trimmed();
    if (text.isEmpty())
        throw Kav::Exception(
            QStringLiteral("%1 has no statement for the %2 dialect (%3) of the connected database.")
                .arg(displayName(), Kav::dialectName(dialect), QLatin1String(propertyOf(dialect))));
    return text;
}

QStringList TADOIBQuery::parameterNames() const
{
    QStringList names;
    for (const QStringList* lines : {&m_sql, &m_sqlOracle, &m_sqlMssql, &m_sqlIb})
        for (const QString& name : Kav::sqlPlaceholders(lines->join(QLatin1Char('\n'))))
            if (!names.contains(name, Qt::CaseInsensitive))
                names << name;
    return names;
}

TParameter* TADOIBQuery::findParam(const QString& name) const
{
    for (TParameter* param : Params())
        if (param->ParamName().compare(name, Qt::CaseInsensitive) == 0)
            return param;
    return nullptr;
}

TParameter* TADOIBQuery::ParamByName(const QString& name)
{
    if (TParameter* param = findParam(name))
        return param;
    if (!m_paramCheck || !parameterNames().contains(name, Qt::CaseInsensitive))
        throw Kav::Exception(QStringLiteral("%1: parameter '%2' not found.").arg(displayName(), name));
    auto* param = new TParameter(this);
    param->setParamName(name);
    param->setObjectName(objectName() + name);
    return param;
}

QList<TParameter*> TADOIBQuery::Params() const
{
    QList<TParameter*> params;
    for (QObject* child : children())
        if (auto* param = qobject_cast<TParameter*>(child))
            params << param;
    return params;
}

TDataSet::Result TADOIBQuery::fetch()
{
    if (!m_connectionName.isEmpty())
        return read(database());
    return dtmDBGeral::read([this](const QSqlDatabase& db) { return read(db); });
}

[[noreturn]] void TADOIBQuery::failed(const QString& what, const QSqlError& error) const
{
    Kav::failWithDetail(QStringLiteral("Não foi possível ler os dados de %1 no banco de dados (%2).")
                            .arg(displayName(), what),
                        error.text());
}

TDataSet::Result TADOIBQuery::read(const QSqlDatabase& db)
{
    const QString statement = statementFor(Kav::dialectOf(db));
    const QString verb = firstWord(statement);
    if (verb != QLatin1String("SELECT") && verb != QLatin1String("WITH"))
        throw Kav::Exception(
            QStringLiteral("%1 is read-only: it runs SELECT statements, not %2.").arg(displayName(), verb));

    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.prepare(statement))
        failed(QStringLiteral("consulta recusada"), query.lastError());
    for (const QString& name : Kav::sqlPlaceholders(statement))
        query.bindValue(QLatin1Char(':') + name, ParamByName(name)->boundValue());
    if (!query.exec())
        failed(QStringLiteral("consulta falhou"), query.lastError());

    Result result;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        result.columns << Kav::FieldDef{record.fieldName(i).toUpper(), columnType(record.field(i)), 0};
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        result.rows << row;
    }
    if (query.lastError().isValid())
        failed(QStringLiteral("leitura interrompida"), query.lastError());
    return result;
}
