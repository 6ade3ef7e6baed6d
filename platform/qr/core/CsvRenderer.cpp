#include "CsvRenderer.h"

#include "KavException.h"
#include "PageLines.h"
#include "SystemFailure.h"

#include <QSaveFile>

namespace Qr {

namespace {

constexpr QChar kCsvSeparator = QLatin1Char(';');

bool repeatsOnEveryPage(BandKind kind)
{
    return kind == BandKind::PageHeader || kind == BandKind::ColumnHeader || kind == BandKind::Title;
}

} // namespace

QString CsvRenderer::quoted(const QString& field)
{
    if (!field.contains(kCsvSeparator) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString escaped = field;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString CsvRenderer::toCsv(const PageModel& model)
{
    QString out;
    for (qsizetype p = 0; p < model.pages.size(); ++p) {
        for (const PageLine& line : PageLines::of(model.pages[p])) {
            if (line.bandKind == BandKind::PageFooter || (p > 0 && repeatsOnEveryPage(line.bandKind)))
                continue;
            QStringList fields;
            for (const PageItem* item : line.items) {
                if (item->kind == PageItem::Kind::Text) {
                    fields.append(quoted(item->text));
                } else if (item->kind == PageItem::Kind::Chart) {
                    for (const ChartBar& bar : *item->bars)
                        out +=
                            quoted(bar.label) + kCsvSeparator + quoted(bar.valueText) + QLatin1String("\r\n");
                }
            }
            const bool blank =
                std::all_of(fields.cbegin(), fields.cend(), [](const QString& f) { return f.isEmpty(); });
            if (!blank)
                out += fields.join(kCsvSeparator) + QLatin1String("\r\n");
        }
    }
    return out;
}

bool CsvRenderer::render(const PageModel& model, const RenderTarget& target)
{
    pageDone(target, 0, int(model.pages.size()));
    QSaveFile file(target.fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(Utf8ByteOrderMark) < 0 ||
        file.write(toCsv(model).toUtf8()) < 0 || !file.commit())
        throw Kav::Exception(Kav::cannotWrite(file));
    pageDone(target, int(model.pages.size()), int(model.pages.size()));
    return true;
}

} // namespace Qr
