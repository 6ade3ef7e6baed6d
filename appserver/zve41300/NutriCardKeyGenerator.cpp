#include "NutriCardKeyGenerator.h"

#include "BoundQuery.h"
#include "DbTransaction.h"
#include "KavException.h"

#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

namespace KavServer::Zve41300 {

namespace {

const QString kGenerator = QStringLiteral("NUTRICARD");
constexpr int kAttempts = 50;
constexpr int kMaxBackoffMs = 20;

} // namespace

QString NutriCardKeyGenerator::next()
{
    QString lastError;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        try {
            const QString key = tryNext();
            if (!key.isEmpty())
                return key;
        } catch (const Kav::Exception& error) {
            lastError = error.message();
            QThread::msleep(1 + QRandomGenerator::global()->bounded(kMaxBackoffMs));
        }
    }
    throw Kav::Exception(QStringLiteral("cannot take a key for the prepared data: %1").arg(lastError));
}

QString NutriCardKeyGenerator::tryNext()
{
    const QString key = QString::number(takeNumber());
    if (key.size() > kMaxKeyLength)
        throw Kav::Exception(QStringLiteral("the key generator went past %1 digits").arg(kMaxKeyLength));
    return isInUse(key) ? QString() : key;
}

qint64 NutriCardKeyGenerator::takeNumber()
{
    switch (m_db.driver()->dbmsType()) {
    case QSqlDriver::PostgreSQL:
    case QSqlDriver::Interbase:
        return fromSequence();
    default:
        return fromGeneratorRow();
    }
}

qint64 NutriCardKeyGenerator::fromSequence()
{
    const bool firebird = m_db.driver()->dbmsType() == QSqlDriver::Interbase;
    // A sequence's number is taken outside any transaction's locks: nothing to commit or wait for.
    QSqlQuery query(m_db);
    if (!query.exec(firebird ? QStringLiteral("SELECT NEXT VALUE FOR NUTRICARD_KEY FROM RDB$DATABASE")
                             : QStringLiteral("SELECT nextval('NUTRICARD_KEY')")) ||
        !query.next())
        throw Kav::Exception(
            QStringLiteral("cannot read the key sequence: %1").arg(query.lastError().text()));
    const qint64 number = query.value(0).toLongLong();
    if (!firebird)
        return number; // its upgrade step set it past GERADOR
    const qint64 floor = generatorRowValue();
    if (number > floor)
        return number;
    // Moved past GERADOR by an increment, not a setting: servers doing this at once only skip
    // numbers, never hand out one twice.
    QSqlQuery advance(m_db);
    if (!advance.exec(
            QStringLiteral("SELECT GEN_ID(NUTRICARD_KEY, %1) FROM RDB$DATABASE").arg(floor - number + 1)) ||
        !advance.next())
        throw Kav::Exception(
            QStringLiteral("cannot advance the key sequence: %1").arg(advance.lastError().text()));
    return advance.value(0).toLongLong();
}

qint64 NutriCardKeyGenerator::generatorRowValue()
{
    Kav::BoundQuery value(m_db, QStringLiteral("SELECT NRVALOR FROM GERADOR WHERE NMGERADOR = :NAME"),
                          QStringLiteral("read the key generator"));
    value.bind(QStringLiteral(":NAME"), kGenerator);
    value.exec();
    return value.next() ? value.value(0).toLongLong() : 0;
}

qint64 NutriCardKeyGenerator::fromGeneratorRow()
{
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    Kav::BoundQuery exists(m_db, QStringLiteral("SELECT COUNT(*) FROM GERADOR WHERE NMGERADOR = :NAME"),
                           QStringLiteral("read the key generator"));
    exists.bind(QStringLiteral(":NAME"), kGenerator);
    exists.exec();
    if (!exists.next() || exists.value(0).toInt() == 0) {
        Kav::BoundQuery create(m_db,
                               QStringLiteral("INSERT INTO GERADOR (NMGERADOR, NRVALOR) VALUES (:NAME, 0)"),
                               QStringLiteral("create the key generator"));
        create.bind(QStringLiteral(":NAME"), kGenerator);
        create.exec();
    }
    Kav::BoundQuery step(m_db,
                         QStringLiteral("UPDATE GERADOR SET NRVALOR = NRVALOR + 1 WHERE NMGERADOR = :NAME"),
                         QStringLiteral("advance the key generator"));
    step.bind(QStringLiteral(":NAME"), kGenerator);
    step.exec();
    const qint64 number = generatorRowValue();
    transaction.commit();
    return number;
}

bool NutriCardKeyGenerator::isInUse(const QString& key)
{
    Kav::BoundQuery used(m_db, QStringLiteral("SELECT COUNT(*) FROM NUTRICARDCAB WHERE NRSEQUNUTR = :KEY"),
                         QStringLiteral("check the new key"));
    used.bind(QStringLiteral(":KEY"), key);
    used.exec();
    return used.next() && used.value(0).toInt() > 0;
}

} // namespace KavServer::Zve41300
