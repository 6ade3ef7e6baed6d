#pragma once
// What one preparation covers, checked and normalised: branches, menu type, period, services,
// nutrients, report kind.

#include "ReportKind.h"

#include <QDate>
#include <QStringList>

namespace KavServer::Zve41300 {

struct NutriCardCriteria
{
    QString central; // the central branch whose menus are read
    QString branch;  // the branch the report is for: the central one or one aggregated to it
    QString menuType;
    QDate firstDay;
    QDate lastDay;
    QStringList services;
    QStringList nutrients; // the report's nutrients (every nutrient for kind "T")
    bool withNdpCal = false;
    ReportKind kind;
};

} // namespace KavServer::Zve41300
