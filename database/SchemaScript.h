#pragma once
// Splits an SQL script into the statements to execute one by one, as isql and psql would read it,
// and runs them.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace KavDb {

// A statement ends with the terminator (";" unless changed) at the end of a line. "SET TERM x ;"
// changes the terminator, so procedure bodies can hold ";"; text between "$$" marks is a
// PostgreSQL function body and never ends a statement. Lines starting with "--" are comments.
QStringList splitSqlScript(const QString& script);

// The tables a script creates, in order ("CREATE TABLE name").
QStringList createdTables(const QStringList& statements);

// Runs one statement of a script. Throws Kav::Exception with the driver's reason and the
// statement's beginning.
void executeStatement(const QSqlDatabase& db, const QString& statement);

} // namespace KavDb
