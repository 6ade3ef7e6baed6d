#pragma once
// Looks up, in a generated database, what the benchmarks pass to the screen's methods: the
// services of a central's menu type and a school that uses that menu type.

#include <QSqlDatabase>
#include <QString>

namespace BenchData {

// The service codes of the central for the menu type, joined by "_".
QString servicesOf(const QSqlDatabase& db, const QString& central, const QString& menuType);

// The first school aggregated to the central with an active link to the menu type. Throws
// Kav::Exception when there is none.
QString linkedSchool(const QSqlDatabase& db, const QString& central, const QString& menuType);

} // namespace BenchData
