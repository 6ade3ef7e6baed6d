#include "SchemaScript.h"

#include "KavException.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

QStringList splitSqlScript(const QString& script)
{
    static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*(\\S+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString dollarQuote = QStringLiteral("$$");
    QStringList statements;
    QString terminator = QStringLiteral(";");
    QString current;
    bool inBody = false;
    for (const QString& rawLine : script.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (!inBody && (line.isEmpty() || line.startsWith(QLatin1String("--"))))
            continue;
        if (!inBody && current.isEmpty()) {
            // "SET TERM ^ ;" is written with the terminator in force when it is read.
            const auto match = setTerm.match(line);
            if (match.hasMatch() && match.captured(2) == terminator) {
                terminator = match.captured(1);
                continue;
            }
        }
        if (line.count(dollarQuote) % 2 == 1)
            inBody = !inBody;
        current += rawLine + QLatin1Char('\n');
        if (!inBody && line.endsWith(terminator)) {
            QString statement = current.trimmed();
            statement.chop(terminator.size());
            statement = statement.trimmed();
            if (!statement.isEmpty())
                statements << statement;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QStringList createdTables(const QStringList& statements)
{
    static const QRegularExpression createTable(QStringLiteral("^CREATE\\s+TABLE\\s+(\\w+)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QStringList tables;
    for (const QString& statement : statements) {
        const auto match = createTable.match(statement);
        if (match.hasMatch())
            tables << match.captured(1).toUpper();
    }
    return tables;
}

void executeStatement(const QSqlDatabase& db, const QString& statement)
{
    // The beginning names the statement well enough; a whole table's text would bury the reason.
    constexpr int ShownCharacters = 200;
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw Kav::Exception(QStringLiteral("The statement failed: %1\nStatement: %2")
                                 .arg(query.lastError().text(), statement.left(ShownCharacters)));
}

} // namespace KavDb
