#pragma once
// The bars of a chart over many days: up to a month, one bar per row; past that, rows labelled by
// dates are averaged per week (from its Monday), and past half a year per month, so that every
// bar keeps room for its label.

#include "PageItem.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace Qr {

class ChartAggregator
{
public:
    static constexpr int MaxDailyBars = 31;
    static constexpr int MaxWeeklyBars = 26;

    struct Point
    {
        QVariant label;
        QVariant value; // null: not known, left out of a mean
    };

    struct Result
    {
        QList<ChartBar> bars;
        QString note; // what a bar stands for when rows were averaged; empty otherwise
    };

    static Result aggregate(const QList<Point>& points, const QString& format, const QString& labelFormat);
};

} // namespace Qr
