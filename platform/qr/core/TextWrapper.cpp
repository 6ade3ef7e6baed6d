#include "TextWrapper.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>

namespace Qr {

namespace {

constexpr double kMmPerPoint = 25.4 / 72.0;
constexpr double kPointsPerMetre = 72.0 / 0.0254;
// Without a GUI application (no fonts to measure with), an average character is this share of
// the font's size wide.
constexpr double kAverageCharWidth = 0.55;
// Measured widths differ a little from device to device: lines are kept this much shorter.
constexpr double kSafety = 0.97;

} // namespace

TextWrapper::TextWrapper(const QString& family, double pointSize, bool bold, bool italic)
    : m_family(family), m_pointSize(pointSize), m_bold(bold), m_italic(italic)
{}

double TextWrapper::widthMm(const QString& text) const
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return text.size() * m_pointSize * kAverageCharWidth * kMmPerPoint;
    // A device of 72 dots per inch: one point is one dot.
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.setDotsPerMeterX(qRound(kPointsPerMetre));
        image.setDotsPerMeterY(qRound(kPointsPerMetre));
        return image;
    }();
    // Every text of a report is measured: the metrics of each font are made once per thread.
    thread_local QHash<QString, QFontMetricsF> metrics;
    const QString key =
        QStringLiteral("%1|%2|%3|%4").arg(m_family).arg(m_pointSize).arg(m_bold).arg(m_italic);
    auto found = metrics.constFind(key);
    if (found == metrics.cend()) {
        QFont font(m_family);
        font.setPointSizeF(m_pointSize);
        font.setBold(m_bold);
        font.setItalic(m_italic);
        font.setStyleStrategy(QFont::PreferNoShaping);
        found = metrics.insert(key, QFontMetricsF(font, &device));
    }
    return found->horizontalAdvance(text) * kMmPerPoint;
}

bool TextWrapper::fits(const QString& text, double widthMm) const
{
    return this->widthMm(text) <= widthMm * kSafety;
}

QString TextWrapper::elide(const QString& text, double widthMm) const
{
    if (fits(text, widthMm))
        return text;
    const QString ellipsis = QStringLiteral("\u2026");
    qsizetype fit = text.size();
    while (fit > 0 && !fits(text.left(fit) + ellipsis, widthMm))
        --fit;
    // Back to the end of a word when one fits, so that no word is shown cut.
    const qsizetype blank = text.left(fit + 1).lastIndexOf(QLatin1Char(' '));
    if (blank > 0 && fit < text.size() && text.at(fit) != QLatin1Char(' '))
        fit = blank;
    return text.left(fit).trimmed() + ellipsis;
}

QStringList TextWrapper::wrap(const QString& text, double widthMm) const
{
    const double limit = widthMm * kSafety;
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (this->widthMm(candidate) <= limit) {
            line = candidate;
            continue;
        }
        if (!line.isEmpty())
            lines.append(line);
        line = word;
        // A word wider than the line is cut where it must be.
        while (line.size() > 1 && this->widthMm(line) > limit) {
            qsizetype fit = line.size() - 1;
            while (fit > 1 && this->widthMm(line.left(fit)) > limit)
                --fit;
            lines.append(line.left(fit));
            line = line.mid(fit);
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace Qr
