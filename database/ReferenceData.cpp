#include "ReferenceData.h"

#include "BulkInserter.h"
#include "KavException.h"
#include "NutrientCatalogue.h"

#include <QSqlError>
#include <QSqlQuery>

namespace KavDb {

namespace {

constexpr const char* DishCodeMask = "99.99.999999;0; ";

struct DishTypeRow
{
    int code;
    const char* name;
};

constexpr DishTypeRow DishTypes[] = {
    {PratoPrincipal, "Prato principal"},
    {Acompanhamento, "Acompanhamento"},
    {Guarnicao, "Guarnição"},
    {Salada, "Salada"},
    {Fruta, "Fruta"},
    {Bebida, "Bebida"},
    {Panificado, "Panificado"},
    {Sobremesa, "Sobremesa"},
};

} // namespace

QString storedCode(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

QString flag(bool value)
{
    return value ? QStringLiteral("S") : QStringLiteral("N");
}

QString demoFoodsDir()
{
    return QStringLiteral(":/kavdb/demo/taco");
}

void writeReferenceData(QSqlDatabase db)
{
    ensureNutrients(db);
    QSqlQuery query(db);
    const auto exec = [&](const QString& sql, const QVariantList& values) {
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            throw Kav::Exception(
                QStringLiteral("Writing the general parameters failed: %1").arg(query.lastError().text()));
    };
    exec(QStringLiteral("INSERT INTO PARAMGERAL (CDCALORIAS, CDPROTEINA) VALUES (?, ?)"),
         {caloriesCode(), proteinCode()});
    exec(QStringLiteral("INSERT INTO PICTURE (CDPICTURE, DSMASCARA, NRNIVEIS) VALUES (?, ?, ?)"),
         {DishCodePicture, QString::fromLatin1(DishCodeMask), DishLevels});
    exec(QStringLiteral("INSERT INTO GERADOR (NMGERADOR, NRVALOR) VALUES (?, ?)"),
         {QStringLiteral("NUTRICARD"), 0});
    BulkInserter types(db, QStringLiteral("TIPOPRAT"), {"CDTIPOPRAT", "NMTIPOPRAT"});
    for (const DishTypeRow& t : DishTypes)
        types.add({storedCode(t.code, DishTypeCodeWidth), QString::fromUtf8(t.name)});
    types.flush();
}

} // namespace KavDb
