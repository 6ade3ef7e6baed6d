#pragma once
// Rows sent to PostgreSQL through COPY ... FROM STDIN in its binary format: each value travels
// length-prefixed in its type's own binary form, so nothing a row holds is ever read as SQL, and the
// server stores the rows without parsing numbers, dates or array texts back.

#include <QByteArray>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringEncoder>
#include <QVariantList>

namespace KavServer::Zve41300 {

class PgBinaryCopy
{
public:
    // The column types this writer encodes; each must be the column's own type in the table.
    enum class Type { Text, Integer, Double, Date };

    explicit PgBinaryCopy(const QList<Type>& columns);

    // Throws Kav::Exception, and keeps nothing of the row, for a row of another width or a value its
    // column's type cannot hold.
    void append(const QVariantList& row);
    // The copy's data: header, the rows appended, trailer.
    QByteArray data() const;

    // Runs `copyStatement` ("COPY T (...) FROM STDIN (FORMAT binary)") on the connection of `db`
    // and sends the rows; throws Kav::Exception with the server's reason when it refuses them.
    void send(const QSqlDatabase& db, const QString& copyStatement) const;

private:
    void appendValue(Type type, const QVariant& value);
    void appendText(QStringView text);

    QList<Type> m_columns;
    QByteArray m_rows;
    QStringEncoder m_encoder; // UTF-8, the connection's client encoding
};

} // namespace KavServer::Zve41300
