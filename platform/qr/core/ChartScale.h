#pragma once
// The value axis of a bar chart: a round top at or above the tallest bar, and four or five ticks
// at round steps (1, 2 or 5 times a power of ten).

#include <QList>
#include <QString>

namespace Qr {

class ChartScale
{
public:
    explicit ChartScale(double tallest);

    double top() const { return m_top; }
    double step() const { return m_step; }
    QList<double> ticks() const;
    QString label(double value) const;

private:
    double m_step = 1;
    double m_top = 1;
};

} // namespace Qr
