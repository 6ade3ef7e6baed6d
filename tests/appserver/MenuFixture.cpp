#include "MenuFixture.h"

#include "KavException.h"
#include "SchemaInstaller.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace MenuFixture {

namespace {

void insert(const QSqlDatabase& db, const QString& table, const QStringList& columns,
            const QList<QVariantList>& rows)
{
    QSqlQuery query(db);
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table, columns.join(", "), QStringList(columns.size(), "?").join(", "));
    if (!query.prepare(sql))
        throw Kav::Exception(query.lastError().text());
    for (const QVariantList& row : rows) {
        for (int i = 0; i < row.size(); ++i)
            query.bindValue(i, row[i]);
        if (!query.exec())
            throw Kav::Exception(QStringLiteral("%1: %2").arg(table, query.lastError().text()));
    }
}

int count(const QSqlDatabase& db, const QString& sql, const QString& key)
{
    QSqlQuery query(db);
    query.prepare(sql);
    if (!key.isNull())
        query.bindValue(0, key);
    if (!query.exec() || !query.next())
        throw Kav::Exception(query.lastError().text());
    return query.value(0).toInt();
}

// The second central's menu (MenuFixture.h): a period starting mid-week, foods without a
// protein factor and a school with its own order of the services.
void installMidWeekMenu(const QSqlDatabase& db)
{
    insert(db, "GRUPOALIM", {"CDGRUPOALIM", "NMGRUPOALIM", "VRFATORPROT"},
           {{5, "Leite e derivados", QVariant()}});
    insert(db, "ALIMENTO", {"CDALIMENTO", "NMALIMENTO", "CDGRUPOALIM"},
           {{5, "Mingau, sem grupo", QVariant()}, {6, "Queijo, minas", 5}});
    insert(db, "COMPALIM", {"CDALIMENTO", "CDNUTRIENTE", "VRNUTRIENTE"},
           {{5, "001", 100.0}, {5, "002", 10.0}, {6, "001", 300.0}, {6, "002", 6.0}});
    insert(db, "PRATO", {"CDPRATO", "CDFILAUXPRAT", "NMPRATO", "CDNVPRATO", "CDTIPOPRAT", "QTRENDPRATO"},
           {{kPorridge, "P", "Mingau", 1, "01", 1}, {kCheeseToast, "P", "Misto de queijo", 1, "01", 1}});
    insert(db, "FICHATEC", {"CDPRATO", "CDFILAUXPRAT", "CDALIMENTO", "QTPESOLIQ"},
           {{kPorridge, "P", 5, 100}, {kCheeseToast, "P", 6, 100}});
    insert(db, "SERVFILI", {"CDFILIAL", "CDTIPOCARD", "CDSERVFILI", "NMSERVICO", "NRORDSERV"},
           {{kOtherCentral, kMenuType, kLunch, "Almoço", 3},
            {kOtherCentral, kMenuType, kDinner, "Jantar", 5},
            {kForeign, kMenuType, kLunch, "Almoço da escola", 9},
            {kForeign, kMenuType, kDinner, "Jantar da escola", 2}});
    const QString menu = "0000000003";
    insert(db, "CARDZVE",
           {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "DTINICARDZVE", "DTFINCARDZVE", "DSCARDZVE"},
           {{kOtherCentral, kMenuType, menu, kMidWeekFirstDay, kMidWeekLastDay, "Março, meio de semana"}});
    insert(db, "ITCARDZVE",
           {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "NRSEQITEM", "DTCARDAPIO", "CDSERVFILI", "CDTIPOPRAT",
            "CDPRATO", "CDFILAUXPRAT", "IDOPCAO", "QTPORCAO"},
           {{kOtherCentral, kMenuType, menu, 1, QDate(2026, 3, 4), kLunch, "01", kPorridge, "P", "N",
             kCrechePortion},
            {kOtherCentral, kMenuType, menu, 2, QDate(2026, 3, 4), kDinner, "01", kCheeseToast, "P", "N",
             kCrechePortion},
            {kOtherCentral, kMenuType, menu, 3, QDate(2026, 3, 5), kLunch, "01", kCheeseToast, "P", "N",
             kCrechePortion},
            {kOtherCentral, kMenuType, menu, 4, QDate(2026, 3, 9), kLunch, "01", kPorridge, "P", "N",
             kCrechePortion}});
}

} // namespace

void install(QSqlDatabase db)
{
    KavDb::SchemaInstaller(db).create(true);
    if (!db.transaction())
        throw Kav::Exception(db.lastError().text());
    const QVariant null;
    insert(db, "FILIAL", {"CDFILIAL", "NMFILIAL", "IDFILCENTZVE", "CDFILCENTZVE", "IDMODZVE"},
           {{kCentral, "Cozinha Central Norte", "S", kCentral, "S"},
            {kAggregated, "Escola Aurora", "N", kCentral, "S"},
            {kUnlinked, "Escola Boa Vista", "N", kCentral, "S"},
            {kOtherCentral, "Cozinha Central Sul", "S", kOtherCentral, "S"},
            {kForeign, "Escola Campo Alegre", "N", kOtherCentral, "S"}});
    insert(db, "TIPOCARD", {"CDFILCENTZVE", "CDTIPOCARD", "NMTIPOCARD", "IDTPCARDATIV"},
           {{kCentral, kMenuType, "Educação de jovens e adultos", "S"},
            {kCentral, kCrecheMenuType, "Creche", "S"},
            {kOtherCentral, kMenuType, "Ensino fundamental", "S"}});
    insert(db, "FILITIPOCARD", {"CDFILCENTZVE", "CDFILIAL", "CDTIPOCARD", "IDTCARATFILI"},
           {{kCentral, kAggregated, kMenuType, "S"},
            {kCentral, kUnlinked, kMenuType, "N"},
            {kOtherCentral, kForeign, kMenuType, "S"}});
    insert(db, "NUTRIENTE", {"CDNUTRIENTE", "NMNUTRIENTE", "SGUNIDADE"},
           {{"001", "Energia", "kcal"},
            {"002", "Proteína", "g"},
            {"003", "Cálcio", "mg"},
            {"004", "Ferro", "mg"}});
    insert(db, "PARAMGERAL", {"CDCALORIAS", "CDPROTEINA"}, {{"001", "002"}});
    insert(db, "GRUPOALIM", {"CDGRUPOALIM", "NMGRUPOALIM", "VRFATORPROT"},
           {{1, "Cereais e derivados", 0.5},
            {2, "Leguminosas", 0.6},
            {3, "Óleos e gorduras", 0.5},
            {4, "Carnes", 0.7}});
    insert(db, "ALIMENTO", {"CDALIMENTO", "NMALIMENTO", "CDGRUPOALIM"},
           {{1, "Arroz, tipo 1, cozido", 1},
            {2, "Feijão, carioca, cozido", 2},
            {3, "Óleo, de soja", 3},
            {4, "Frango, peito, grelhado", 4}});
    insert(db, "COMPALIM", {"CDALIMENTO", "CDNUTRIENTE", "VRNUTRIENTE"},
           {{1, "001", 128.0},
            {1, "002", 2.5},
            {1, "003", 4.0},
            {1, "004", null},
            {2, "001", 76.0},
            {2, "002", 4.8},
            {2, "003", 27.0},
            {2, "004", 1.3},
            {3, "001", 884.0},
            {3, "002", 0.0},
            {3, "004", 0.0},
            {4, "001", 163.0},
            {4, "002", 31.5},
            {4, "003", 8.0},
            {4, "004", 0.4}});
    insert(db, "TIPOPRAT", {"CDTIPOPRAT", "NMTIPOPRAT"},
           {{"01", "Prato principal"}, {"02", "Guarnição"}, {"03", "Salada"}});
    insert(db, "PRATO", {"CDPRATO", "CDFILAUXPRAT", "NMPRATO", "CDNVPRATO", "CDTIPOPRAT", "QTRENDPRATO"},
           {{"0000000001", "P", "Arroz com feijão", 1, "01", 10},
            {"0000000002", "P", kOddDishName, 1, "03", 10},
            {"0000000003", kCentral, "Frango grelhado", 1, "01", 5},
            {"0000000004", "P", "Purê sem ficha", 1, "02", 1}});
    insert(db, "FICHATEC", {"CDPRATO", "CDFILAUXPRAT", "CDALIMENTO", "QTPESOLIQ"},
           {{"0000000001", "P", 1, 2194},
            {"0000000001", "P", 2, 825},
            {"0000000002", "P", 3, 195.27},
            {"0000000003", kCentral, 4, 500}});
    insert(db, "SERVFILI", {"CDFILIAL", "CDTIPOCARD", "CDSERVFILI", "NMSERVICO", "NRORDSERV"},
           {{kCentral, kMenuType, kDinner, "Jantar", 5},
            {kCentral, kMenuType, kLunch, "Almoço", 3},
            {kAggregated, kMenuType, kLunch, "Almoço escolar", 1},
            {kCentral, kCrecheMenuType, kLunch, "Almoço", 3}});
    insert(db, "CARDZVE",
           {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "DTINICARDZVE", "DTFINCARDZVE", "DSCARDZVE"},
           {{kCentral, kMenuType, "0000000002", QDate(2026, 2, 2), QDate(2026, 2, 27), "Fevereiro"},
            {kCentral, kMenuType, "0000000001", kFirstDay, kLastDay, "Março, 1ª quinzena"},
            {kCentral, kCrecheMenuType, "0000000001", kFirstDay, kLastDay, "Março, creche"}});
    const QString menu = "0000000001";
    const double adult = kAdultPortion;
    insert(
        db, "ITCARDZVE",
        {"CDFILCENTZVE", "CDTIPOCARD", "NRCARDZVE", "NRSEQITEM", "DTCARDAPIO", "CDSERVFILI", "CDTIPOPRAT",
         "CDPRATO", "CDFILAUXPRAT", "IDOPCAO", "QTPORCAO"},
        {{kCentral, kMenuType, menu, 1, QDate(2026, 3, 2), kLunch, "01", "0000000001", "P", "N", adult},
         {kCentral, kMenuType, menu, 2, QDate(2026, 3, 2), kLunch, "03", "0000000002", "P", "N", adult},
         {kCentral, kMenuType, menu, 3, QDate(2026, 3, 2), kLunch, "01", "0000000003", kCentral, "S", adult},
         {kCentral, kMenuType, menu, 4, QDate(2026, 3, 3), kLunch, "01", "0000000001", "P", "N", adult},
         {kCentral, kMenuType, menu, 5, QDate(2026, 3, 3), kLunch, "02", "0000000004", "P", "N", adult},
         {kCentral, kMenuType, menu, 6, QDate(2026, 3, 3), kDinner, "01", "0000000001", "P", "N", adult},
         {kCentral, kMenuType, menu, 7, QDate(2026, 3, 9), kLunch, "01", "0000000003", kCentral, "N", adult},
         {kCentral, kMenuType, menu, 8, QDate(2026, 3, 4), kLunch, "01", "0000000003", kCentral, "S", adult},
         {kCentral, kCrecheMenuType, menu, 1, QDate(2026, 3, 2), kLunch, "01", "0000000001", "P", "N",
          kCrechePortion},
         {kCentral, kMenuType, menu, 9, kLateDay, kLunch, "01", "0000000001", "P", "N", adult}});
    installMidWeekMenu(db);
    if (!db.commit())
        throw Kav::Exception(db.lastError().text());
}

int rowCount(const QSqlDatabase& db, const QString& key)
{
    return count(db, "SELECT COUNT(*) FROM NUTRICARD WHERE NRSEQUNUTR = ?", key);
}

int headerCount(const QSqlDatabase& db, const QString& key)
{
    return count(db, "SELECT COUNT(*) FROM NUTRICARDCAB WHERE NRSEQUNUTR = ?", key);
}

int allRows(const QSqlDatabase& db, const QString& table)
{
    return count(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(table), QString());
}

} // namespace MenuFixture
