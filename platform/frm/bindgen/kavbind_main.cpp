// kavbind: generates a form's component members and their binding from its stored layouts, at
// build time. A component renamed in a layout renames the member, so code still using the old
// name no longer compiles.
//
//   kavbind --form TfrmNutriCard --output-dir DIR [--base BASE.kfm]... [--construction] LAYOUT.kfm...
//
// With --construction it writes instead the code that builds every component by code alone,
// which benchmarks measure the form against.

#include "BindingWriter.h"
#include "ConstructionWriter.h"
#include "LayoutComponents.h"
#include "LayoutParser.h"

#include "KavException.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QString readText(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(QStringLiteral("cannot read %1: %2").arg(fileName, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

// Rewrites `fileName` only when its text changes, so that an unchanged layout rebuilds nothing.
void writeIfChanged(const QString& fileName, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly) && file.readAll() == bytes)
        return;
    file.close();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw Kav::Exception(QStringLiteral("cannot write %1: %2").arg(fileName, file.errorString()));
}

template <class Writer> void writeFiles(const QDir& dir, const Writer& writer)
{
    writeIfChanged(dir.filePath(writer.headerFileName()), writer.header());
    writeIfChanged(dir.filePath(writer.sourceFileName()), writer.source());
}

void addLayout(KavBind::LayoutComponents& components, const QString& fileName, bool own)
{
    components.add(Kav::LayoutParser(readText(fileName), fileName).parse(), fileName, own);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Generates a form's component bindings from its layouts."));
    parser.addHelpOption();
    const QCommandLineOption form(QStringLiteral("form"), QStringLiteral("The form's class."),
                                  QStringLiteral("class"));
    const QCommandLineOption outputDir(QStringLiteral("output-dir"),
                                       QStringLiteral("Where the files are written."), QStringLiteral("dir"));
    const QCommandLineOption base(QStringLiteral("base"),
                                  QStringLiteral("A base form's layout, applied first; gives no members."),
                                  QStringLiteral("layout"));
    const QCommandLineOption construction(QStringLiteral("construction"),
                                          QStringLiteral("Write the code building the components instead."));
    parser.addOptions({form, outputDir, base, construction});
    parser.addPositionalArgument(QStringLiteral("layouts"),
                                 QStringLiteral("The form's own layouts, in order."));
    parser.process(app);

    QTextStream err(stderr);
    if (!parser.isSet(form) || !parser.isSet(outputDir) || parser.positionalArguments().isEmpty()) {
        err << "kavbind: --form, --output-dir and at least one layout are required\n";
        return 2;
    }
    try {
        KavBind::LayoutComponents components;
        QStringList sources;
        for (const QString& fileName : parser.values(base))
            addLayout(components, fileName, false);
        for (const QString& fileName : parser.positionalArguments()) {
            addLayout(components, fileName, true);
            sources << QFileInfo(fileName).fileName();
        }
        const QDir dir(parser.value(outputDir));
        if (parser.isSet(construction))
            writeFiles(dir, KavBind::ConstructionWriter(parser.value(form), sources, components.all()));
        else
            writeFiles(dir, KavBind::BindingWriter(parser.value(form), sources, components.all(),
                                                   components.handlers()));
    } catch (const Kav::Exception& error) {
        err << "kavbind: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
