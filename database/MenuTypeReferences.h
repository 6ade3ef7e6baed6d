#pragma once
// The nutritional reference each menu type is compared with (TIPOCARD: the reference set, the
// age band and the share of the daily needs) and the meals it serves a day (its services at its
// central kitchen), read and set with the checks a site needs: only a set, age band and share the
// reference data holds.

#include "CoverageRule.h"

#include <optional>
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace KavDb {

struct MenuTypeReference
{
    QString central;
    QString menuType;
    QString name;
    QString set; // empty: the menu type is compared with no reference
    QString setName;
    QString ageBand;
    QString ageBandName;
    std::optional<double> share; // percent of the daily needs
    int mealsPerDay = 0;

    // How the share fits the meals; NoRule without a share.
    CoverageRule::Fit fit() const;
    // One line for the operator.
    QString describe() const;
};

class MenuTypeReferences
{
public:
    explicit MenuTypeReferences(QSqlDatabase db) : m_db(std::move(db)) {}

    // Every menu type, by central and code.
    QList<MenuTypeReference> all() const;
    std::optional<MenuTypeReference> of(const QString& central, const QString& menuType) const;

    // Links the menu type to a reference. Throws Kav::Exception, changing nothing, for a menu type,
    // set or age band that does not exist, or a share the set holds no value for in that age band.
    MenuTypeReference set(const QString& central, const QString& menuType, const QString& set,
                          const QString& ageBand, double share);

private:
    QList<MenuTypeReference> read(const QString& where, const QVariantList& values) const;

    QSqlDatabase m_db;
};

} // namespace KavDb
