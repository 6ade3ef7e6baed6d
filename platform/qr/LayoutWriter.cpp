#include "LayoutWriter.h"

#include "KavException.h"

#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', 10);
}

class Writer
{
public:
    explicit Writer(QByteArray* out) : m_xml(out) { m_xml.setAutoFormatting(true); }

    void write(const ReportLayout& layout)
    {
        m_xml.writeStartDocument();
        m_xml.writeStartElement(QStringLiteral("report"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        m_xml.writeAttribute(QStringLiteral("title"), layout.title);

        const PageSetup& page = layout.page;
        m_xml.writeEmptyElement(QStringLiteral("page"));
        m_xml.writeAttribute(QStringLiteral("paper"), PageSetup::paperName(page.paper));
        m_xml.writeAttribute(QStringLiteral("orientation"), page.orientation == QPageLayout::Landscape
                                                                ? QStringLiteral("landscape")
                                                                : QStringLiteral("portrait"));
        m_xml.writeAttribute(QStringLiteral("margin-left"), number(page.margins.left()));
        m_xml.writeAttribute(QStringLiteral("margin-top"), number(page.margins.top()));
        m_xml.writeAttribute(QStringLiteral("margin-right"), number(page.margins.right()));
        m_xml.writeAttribute(QStringLiteral("margin-bottom"), number(page.margins.bottom()));

        m_xml.writeEmptyElement(QStringLiteral("font"));
        m_xml.writeAttribute(QStringLiteral("family"), layout.fontFamily);
        m_xml.writeAttribute(QStringLiteral("size"), number(layout.fontSize));

        m_xml.writeStartElement(QStringLiteral("parameters"));
        for (const ParameterDeclaration& declaration : layout.parameters) {
            m_xml.writeEmptyElement(QStringLiteral("parameter"));
            m_xml.writeAttribute(QStringLiteral("name"), declaration.name);
            if (declaration.type != TFieldType::ftUnknown)
                m_xml.writeAttribute(QStringLiteral("type"), fieldTypeName(declaration.type));
        }
        m_xml.writeEndElement();

        if (const auto& blocks = layout.columnBlocks) {
            m_xml.writeEmptyElement(QStringLiteral("column-blocks"));
            m_xml.writeAttribute(QStringLiteral("prefix"), blocks->prefix);
            m_xml.writeAttribute(QStringLiteral("size"), QString::number(blocks->size));
            m_xml.writeAttribute(QStringLiteral("count"), QString::number(blocks->count));
        }

        m_xml.writeStartElement(QStringLiteral("query"));
        m_xml.writeCDATA(layout.query);
        m_xml.writeEndElement();

        if (!layout.exportQuery.isEmpty()) {
            m_xml.writeStartElement(QStringLiteral("data-export"));
            m_xml.writeStartElement(QStringLiteral("query"));
            m_xml.writeCDATA(layout.exportQuery);
            m_xml.writeEndElement();
            m_xml.writeEndElement();
        }

        writeBands(layout);

        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

    void writeBands(const ReportLayout& layout)
    {
        for (const auto* band : {&layout.titleBand, &layout.pageHeader, &layout.columnHeader})
            if (*band)
                writeBand(QStringLiteral("band"), **band);
        for (const ReportGroup& group : layout.groups) {
            m_xml.writeStartElement(QStringLiteral("group"));
            m_xml.writeAttribute(QStringLiteral("name"), group.name);
            m_xml.writeAttribute(QStringLiteral("expression"), group.key.text());
            if (group.pageBreak)
                m_xml.writeAttribute(QStringLiteral("page-break"), QStringLiteral("true"));
            if (group.repeatHeader)
                m_xml.writeAttribute(QStringLiteral("repeat-header"), QStringLiteral("true"));
            if (group.header)
                writeBand(QStringLiteral("header"), *group.header);
            if (group.footer)
                writeBand(QStringLiteral("footer"), *group.footer);
            m_xml.writeEndElement();
        }
        for (const auto* band : {&layout.detail, &layout.summary})
            if (*band)
                writeBand(QStringLiteral("band"), **band);
        for (const ReportList& list : layout.lists)
            writeList(list);
        if (layout.pageFooter)
            writeBand(QStringLiteral("band"), *layout.pageFooter);
    }

private:
    void optional(const QString& name, const QString& value)
    {
        if (!value.isEmpty())
            m_xml.writeAttribute(name, value);
    }

    void writeBand(const QString& tag, const ReportBand& band)
    {
        m_xml.writeStartElement(tag);
        if (tag == QLatin1String("band"))
            m_xml.writeAttribute(QStringLiteral("kind"), bandKindName(band.kind));
        writeBandBody(band);
    }

    void writeList(const ReportList& list)
    {
        m_xml.writeStartElement(QStringLiteral("list"));
        m_xml.writeAttribute(QStringLiteral("name"), list.name);
        m_xml.writeAttribute(QStringLiteral("height"), number(list.band.height));
        optional(QStringLiteral("print-when"), list.band.printWhen.text());
        m_xml.writeStartElement(QStringLiteral("query"));
        m_xml.writeCDATA(list.query);
        m_xml.writeEndElement();
        for (const ReportElement& element : list.band.elements)
            writeElement(element);
        m_xml.writeEndElement();
    }

    void writeBandBody(const ReportBand& band)
    {
        m_xml.writeAttribute(QStringLiteral("height"), number(band.height));
        optional(QStringLiteral("print-when"), band.printWhen.text());
        for (const ReportElement& element : band.elements)
            writeElement(element);
        m_xml.writeEndElement();
    }

    void writeElement(const ReportElement& element)
    {
        using Kind = ReportElement::Kind;
        m_xml.writeStartElement(ReportElement::kindName(element.kind));
        m_xml.writeAttribute(QStringLiteral("x"), number(element.rect.x()));
        m_xml.writeAttribute(QStringLiteral("y"), number(element.rect.y()));
        m_xml.writeAttribute(QStringLiteral("width"), number(element.rect.width()));
        m_xml.writeAttribute(QStringLiteral("height"), number(element.rect.height()));
        const ElementStyle style;
        if (element.style.fontSize != style.fontSize)
            m_xml.writeAttribute(QStringLiteral("size"), number(element.style.fontSize));
        if (element.style.bold)
            m_xml.writeAttribute(QStringLiteral("bold"), QStringLiteral("true"));
        if (element.style.italic)
            m_xml.writeAttribute(QStringLiteral("italic"), QStringLiteral("true"));
        if (element.style.align != style.align)
            m_xml.writeAttribute(QStringLiteral("align"), ElementStyle::alignName(element.style.align));
        if (element.style.color != style.color)
            m_xml.writeAttribute(QStringLiteral("color"), element.style.color.name());
        optional(QStringLiteral("print-when"), element.printWhen.text());
        optional(QStringLiteral("emphasis"), element.emphasis.text());
        switch (element.kind) {
        case Kind::Field:
            m_xml.writeAttribute(QStringLiteral("column"), element.value.text());
            break;
        case Kind::Expression:
        case Kind::Chart:
            m_xml.writeAttribute(QStringLiteral("value"), element.value.text());
            break;
        default:
            break;
        }
        optional(QStringLiteral("format"), element.format);
        if (element.wrap)
            m_xml.writeAttribute(QStringLiteral("wrap"), QStringLiteral("true"));
        if (element.kind == Kind::Chart) {
            m_xml.writeAttribute(QStringLiteral("label"), element.label.text());
            optional(QStringLiteral("label-format"), element.labelFormat);
            optional(QStringLiteral("reference-min"), element.referenceMin.text());
            optional(QStringLiteral("reference-max"), element.referenceMax.text());
        }
        if (element.fill.isValid())
            m_xml.writeAttribute(QStringLiteral("fill"), element.fill.name());
        if (element.lineWidth > 0)
            m_xml.writeAttribute(QStringLiteral("line-width"), number(element.lineWidth));
        if (element.kind == Kind::Text)
            m_xml.writeCharacters(element.text);
        m_xml.writeEndElement();
    }

    QXmlStreamWriter m_xml;
};

} // namespace

QByteArray LayoutWriter::write(const ReportLayout& layout)
{
    QByteArray out;
    Writer(&out).write(layout);
    return out;
}

QByteArray LayoutWriter::writeBands(const ReportLayout& layout)
{
    QByteArray out;
    Writer(&out).writeBands(layout);
    return out;
}

void LayoutWriter::writeFile(const ReportLayout& layout, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(write(layout)) < 0 || !file.commit())
        throw Kav::Exception(
            QStringLiteral("Não foi possível gravar o relatório %1: %2").arg(path, file.errorString()));
}
