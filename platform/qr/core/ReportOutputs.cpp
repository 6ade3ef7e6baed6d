#include "ReportOutputs.h"

#include "CsvRenderer.h"
#include "HtmlRenderer.h"
#include "KavException.h"
#include "PdfRenderer.h"
#include "TextRenderer.h"

#include <QFileInfo>

namespace Qr {

namespace {

template <typename Renderer> std::unique_ptr<ReportRenderer> make()
{
    return std::make_unique<Renderer>();
}

QList<ReportOutput> table()
{
    return {
        {QStringLiteral("pdf"), {QStringLiteral("pdf")}, QStringLiteral("PDF (*.pdf)"), &make<PdfRenderer>},
        {QStringLiteral("xlsx"), {QStringLiteral("xlsx")}, QStringLiteral("Planilha (*.xlsx)"), nullptr},
        {QStringLiteral("text"),
         {QStringLiteral("txt")},
         QStringLiteral("Texto (*.txt)"),
         &make<TextRenderer>},
        {QStringLiteral("csv"), {QStringLiteral("csv")}, QStringLiteral("CSV (*.csv)"), &make<CsvRenderer>},
        {QStringLiteral("html"),
         {QStringLiteral("html"), QStringLiteral("htm")},
         QStringLiteral("HTML (*.html *.htm)"),
         &make<HtmlRenderer>},
    };
}

} // namespace

const QList<ReportOutput>& ReportOutputs::all()
{
    static const QList<ReportOutput> outputs = table();
    return outputs;
}

QStringList ReportOutputs::names()
{
    QStringList names;
    for (const ReportOutput& output : all())
        names.append(output.name);
    return names;
}

const ReportOutput& ReportOutputs::byName(const QString& name)
{
    for (const ReportOutput& output : all())
        if (output.name == name)
            return output;
    throw Kav::Exception(QStringLiteral("Saída de relatório desconhecida: %1 (use %2).")
                             .arg(name, names().join(QLatin1String(", "))));
}

QString ReportOutputs::nameForFile(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix.isEmpty())
        return {};
    for (const ReportOutput& output : all())
        if (output.suffixes.contains(suffix))
            return output.name;
    return {};
}

QString ReportOutputs::saveFilter()
{
    QStringList filters;
    for (const ReportOutput& output : all())
        filters.append(output.filter);
    return filters.join(QLatin1String(";;"));
}

std::unique_ptr<ReportRenderer> ReportOutputs::createRenderer(const QString& name)
{
    const ReportOutput& output = byName(name);
    if (!output.writesPages())
        throw Kav::Exception(QStringLiteral("A saída %1 não é feita de páginas.").arg(name));
    return output.createRenderer();
}

} // namespace Qr
