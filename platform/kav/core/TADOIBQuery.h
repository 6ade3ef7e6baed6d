#pragma once
// A read-only query that carries one statement per SQL dialect and runs the one the connected
// database speaks: SQL (plain: SQLite, PostgreSQL), SQL_IB (InterBase: Firebird), SQL_ORACLE,
// SQL_MSSQL. Parameters are bound by name; the rows are read whole when it opens.

#include "SqlDialect.h"
#include "TDataSet.h"

#include <QPointer>
#include <QStringList>

#include "TDataSource.h"
class QSqlDatabase;
class QSqlError;
class TParameter;

class TADOIBQuery : public TDataSet
{
    Q_OBJECT
    Q_PROPERTY(QStringList SQL READ SQL WRITE setSQL)
    Q_PROPERTY(QStringList SQL_ORACLE READ SQL_ORACLE WRITE setSQL_ORACLE)
    Q_PROPERTY(QStringList SQL_MSSQL READ SQL_MSSQL WRITE setSQL_MSSQL)
    Q_PROPERTY(QStringList SQL_IB READ SQL_IB WRITE setSQL_IB)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE setDataSource)
    Q_PROPERTY(bool ParamCheck READ ParamCheck WRITE setParamCheck)

public:
    explicit TADOIBQuery(QObject* parent = nullptr);

    QStringList SQL() const { return m_sql; }
    void setSQL(const QStringList& lines) { m_sql = lines; }
    QStringList SQL_ORACLE() const { return m_sqlOracle; }
    void setSQL_ORACLE(const QStringList& lines) { m_sqlOracle = lines; }
    QStringList SQL_MSSQL() const { return m_sqlMssql; }
    void setSQL_MSSQL(const QStringList& lines) { m_sqlMssql = lines; }
    QStringList SQL_IB() const { return m_sqlIb; }
    void setSQL_IB(const QStringList& lines) { m_sqlIb = lines; }

    // Kept for the layout; the statements never read values from it (no master data set).
    TDataSource* DataSource() const { return m_dataSource; }
    void setDataSource(TDataSource* source) { m_dataSource = source; }

    // When on, a parameter a statement names but the layout does not declare is created as
    // text on first use; when off, naming it is an error.
    bool ParamCheck() const { return m_paramCheck; }
    void setParamCheck(bool check) { m_paramCheck = check; }

    // The connection the query runs on; empty (the default) is the shared dtmDBGeral one.
    QString connectionName() const { return m_connectionName; }
    void setConnectionName(const QString& name) { m_connectionName = name; }
    Kav::SqlDialect dialect() const;

    // The statement for `dialect`, lines joined. Throws Kav::Exception when the query has none.
    QString statementFor(Kav::SqlDialect dialect) const;

    // Parameter names in the order the statements first name them (all dialects).
    QStringList parameterNames() const;
    // Throws Kav::Exception when the query has no such parameter.
    TParameter* ParamByName(const QString& name);
    QList<TParameter*> Params() const;

    // The running data set: the query itself.
    TDataSet* Query() { return this; }

protected:
    Result fetch() override;

private:
    TParameter* findParam(const QString& name) const;
    QSqlDatabase database() const;
    Result read(const QSqlDatabase& db);
    // The user is told in words which data could not be read; the database's reason is logged.
    [[noreturn]] void failed(const QString& what, const QSqlError& error) const;

    QStringList m_sql;
    QStringList m_sqlOracle;
    QStringList m_sqlMssql;
    QStringList m_sqlIb;
    QPointer<TDataSource> m_dataSource;
    QString m_connectionName;
    bool m_paramCheck = true;
};
