#pragma once
// What the client keeps in memory of slowly changing tables, read through the client's shared
// database module: the licence flags of every branch (FILIAL) and the code pictures (PICTURE).
// Each table is read on first use and again whenever a screen asks for it to be refreshed, or
// when the shared connection now points at another database. The client context holds the
// client's one cache (Kav::ClientContext::localCache).

#include <memory>
#include <optional>
#include <QHash>
#include <QString>
#include <QStringList>

class QSqlQuery;
class TDBPicture;

namespace Kav {
class DatabaseModule;
}

namespace Kavenso {

class LocalCache
{
public:
    struct Filial
    {
        bool matriz = false;     // IDMATRIZ: the head office
        bool moduloZve = false;  // IDMODZVE: licensed for the school-food module
        bool rescindido = false; // IDCNTRRESC: contract rescinded
    };

    static const QString kFilial;
    static const QString kPicture;

    explicit LocalCache(Kav::DatabaseModule& database);
    ~LocalCache();
    LocalCache(const LocalCache&) = delete;
    LocalCache& operator=(const LocalCache&) = delete;

    // Rereads the named tables. An unknown name is an error: nothing is kept of it.
    void refresh(const QStringList& tables);

    // The branch by its stored code; nullopt when FILIAL has no such row.
    std::optional<Filial> filial(const QString& code);
    // The picture of `kind`, owned by the cache; throws Kav::Exception when PICTURE has none.
    TDBPicture* picture(int kind);

private:
    void loadFilial();
    void loadPicture();
    QSqlQuery run(const QString& statement);
    // Forgets everything read from another database than the shared connection's current one.
    void followConnection();

    Kav::DatabaseModule& m_database;
    QString m_source;
    bool m_filialLoaded = false;
    bool m_pictureLoaded = false;
    QHash<QString, Filial> m_filiais;
    // Kept for the life of the cache (the client's): screens hold on to the pointers.
    QHash<int, std::shared_ptr<TDBPicture>> m_pictures;
};

} // namespace Kavenso
