#include "NutriCardKeyGenerator.h"

#include "BoundQuery.h"
#include "DbTransaction.h"
#include "KavException.h"

#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

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
    Kav::DbTransaction transaction(m_db, Kav::DbTransaction::Kind::Write);
    commitWithoutWaitingForTheDisk();
    const QString key = takeNumber();
    transaction.commit();
    return key;
}

void NutriCardKeyGenerator::commitWithoutWaitingForTheDisk()
{
    if (m_db.driver()->dbmsType() != QSqlDriver::PostgreSQL)
        return;
    // A setting, which PostgreSQL does not prepare; it carries no value.
    QSqlQuery setting(m_db);
    if (!setting.exec(QStringLiteral("SET LOCAL synchronous_commit TO OFF")))
        throw Kav::Exception(QStringLiteral("cannot take the key without waiting for the disk: %1")
                                 .arg(setting.lastError().text()));
}

QString NutriCardKeyGenerator::takeNumber()
{
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
    Kav::BoundQuery value(m_db, QStringLiteral("SELECT NRVALOR FROM GERADOR WHERE NMGERADOR = :NAME"),
                          QStringLiteral("read the key generator"));
    value.bind(QStringLiteral(":NAME"), kGenerator);
    value.exec();
    if (!value.next())
        throw Kav::Exception(QStringLiteral("the key generator has no row"));
    const QString key = QString::number(value.value(0).toLongLong());
    if (key.size() > kMaxKeyLength)
        throw Kav::Exception(QStringLiteral("the key generator went past %1 digits").arg(kMaxKeyLength));
    Kav::BoundQuery used(m_db, QStringLiteral("SELECT COUNT(*) FROM NUTRICARDCAB WHERE NRSEQUNUTR = :KEY"),
                         QStringLiteral("check the new key"));
    used.bind(QStringLiteral(":KEY"), key);
    used.exec();
    const bool inUse = used.next() && used.value(0).toInt() > 0;
    return inUse ? QString() : key;
}
