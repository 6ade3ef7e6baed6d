#include "ChartScale.h"

#include "ValueFormatter.h"

#include <cmath>

namespace Qr {

namespace {

constexpr int kTicks = 4;

double roundStep(double raw)
{
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double residual = raw / magnitude;
    const double factor = residual <= 1 ? 1 : residual <= 2 ? 2 : residual <= 5 ? 5 : 10;
    return factor * magnitude;
}

} // namespace

ChartScale::ChartScale(double tallest)
{
    if (!(tallest > 0))
        return;
    m_step = roundStep(tallest / kTicks);
    m_top = std::ceil(tallest / m_step - 1e-9) * m_step;
}

QList<double> ChartScale::ticks() const
{
    QList<double> values;
    for (double value = 0; value <= m_top + m_step / 2; value += m_step)
        values.append(value);
    return values;
}

QString ChartScale::label(double value) const
{
    return ValueFormatter::format(value, m_step < 1 ? QStringLiteral("#,##0.##") : QStringLiteral("#,##0"));
}

} // namespace Qr
