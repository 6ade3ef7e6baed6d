#pragma once
// A prepared SQL statement whose values travel only as bound parameters, and whose failures are
// exceptions naming the statement's purpose and the driver's reason.
//
// On PostgreSQL Qt's driver runs a prepared statement in three round trips (PREPARE, EXECUTE with
// the values as literals it formats, DEALLOCATE). There the statement is sent once instead, with the
// same literals, formatted and escaped by the same driver, in the placeholders' places.

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Kav {

class BoundQuery
{
public:
    // `purpose` names the statement in errors ("read the menu items"). Throws Kav::Exception when
    // the statement cannot be prepared.
    BoundQuery(const QSqlDatabase& db, const QString& sql, const QString& purpose);

    void bind(const QString& placeholder, const QVariant& value);
    // For statements written with "?" placeholders, counted from 0.
    void bind(int position, const QVariant& value);
    // Binds the values of a list written with placeholders(prefix, n).
    void bindList(const QString& prefix, const QStringList& values);
    // Throws Kav::Exception when the statement fails.
    void exec();
    bool next() { return m_query.next(); }
    QVariant value(int column) const { return m_query.value(column); }
    QVariant value(const QString& column) const { return m_query.value(column); }
    int rowsAffected() const { return m_query.numRowsAffected(); }

    // ":P0, :P1, ..." for a list of `count` values bound with bindList(prefix, ...).
    static QString placeholders(const QString& prefix, qsizetype count);

private:
    // The statement with the driver's literal of each bound value in its placeholder's place.
    QString withLiterals() const;
    static QString positionKey(int position) { return QLatin1Char('?') + QString::number(position); }
    [[noreturn]] void fail() const;

    QSqlQuery m_query;
    QString m_purpose;
    QString m_sql;                     // set when the values are sent in the statement's text
    QHash<QString, QVariant> m_values; // by name without the colon, or "?" and the position
};

} // namespace Kav
