#pragma once
// One dish served on a day of a menu, with the names the report prints beside it.

#include <QDate>
#include <QString>

namespace KavServer::Zve41300 {

struct MenuItem
{
    QDate day;
    QString service;
    QString serviceName;
    int serviceOrder = 0; // order of the day
    QString dishType;
    QString dishTypeName;
    QString dish;
    QString dishOwner; // "P" or the owning branch
    QString dishName;
    bool option = false; // an alternative to the main dish of its type
    int sequence = 0;    // item number within its menu, for a stable order
};

} // namespace KavServer::Zve41300
