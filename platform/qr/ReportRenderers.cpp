#include "ReportRenderers.h"

#include "CsvRenderer.h"
#include "HtmlRenderer.h"
#include "KavException.h"
#include "PdfRenderer.h"
#include "PreviewRenderer.h"
#include "PrinterRenderer.h"
#include "TextRenderer.h"

#include <QFileInfo>

namespace Qr {

namespace {

struct FileOutput
{
    const char* renderer;
    const char* suffixes; // space separated
    const char* description;
};

constexpr FileOutput kFileOutputs[] = {
    {"pdf", "pdf", "PDF (*.pdf)"},
    {"xlsx", "xlsx", "Planilha (*.xlsx)"},
    {"text", "txt", "Texto (*.txt)"},
    {"csv", "csv", "CSV (*.csv)"},
    {"html", "html htm", "HTML (*.html *.htm)"},
};

} // namespace

QStringList ReportRenderers::names()
{
    return {QStringLiteral("printer"), QStringLiteral("preview"), QStringLiteral("pdf"),
            QStringLiteral("text"),    QStringLiteral("csv"),     QStringLiteral("html")};
}

std::unique_ptr<ReportRenderer> ReportRenderers::create(const QString& name)
{
    if (name == QLatin1String("printer"))
        return std::make_unique<PrinterRenderer>();
    if (name == QLatin1String("preview"))
        return std::make_unique<PreviewRenderer>();
    if (name == QLatin1String("pdf"))
        return std::make_unique<PdfRenderer>();
    if (name == QLatin1String("text"))
        return std::make_unique<TextRenderer>();
    if (name == QLatin1String("csv"))
        return std::make_unique<CsvRenderer>();
    if (name == QLatin1String("html"))
        return std::make_unique<HtmlRenderer>();
    throw Kav::Exception(QStringLiteral("Saída de relatório desconhecida: %1").arg(name));
}

QString ReportRenderers::nameForFile(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const FileOutput& output : kFileOutputs)
        if (!suffix.isEmpty() &&
            QString::fromLatin1(output.suffixes).split(QLatin1Char(' ')).contains(suffix))
            return QString::fromLatin1(output.renderer);
    return {};
}

QString ReportRenderers::saveFilter()
{
    QStringList filters;
    for (const FileOutput& output : kFileOutputs)
        filters.append(QString::fromLatin1(output.description));
    return filters.join(QLatin1String(";;"));
}

} // namespace Qr
