#include "LayoutWriter.h"

#include "ElementPath.h"
#include "KavException.h"
#include "LayoutCommentReader.h"
#include "SystemFailure.h"

#include <QDir>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace Qr {

namespace {

QString layoutNumber(double value)
{
    return QString::number(value, 'g', 10);
}

// Writes the layout's elements and puts each of its comments back at its element's place; a
// comment whose element is gone is written at the end of the nearest element still there.
class Writer
{
public:
    Writer(QByteArray* out, const LayoutComments& comments) : m_xml(out), m_pending(comments)
    {
        m_xml.setAutoFormatting(true);
    }

    void write(const ReportLayout& layout)
    {
        m_xml.writeStartDocument();
        start(QStringLiteral("report"));
        m_xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
        m_xml.writeAttribute(QStringLiteral("title"), layout.title);

        const PageSetup& page = layout.page;
        empty(QStringLiteral("page"));
        m_xml.writeAttribute(QStringLiteral("paper"), PageSetup::paperName(page.paper));
        m_xml.writeAttribute(QStringLiteral("orientation"), page.orientation == QPageLayout::Landscape
                                                                ? QStringLiteral("landscape")
                                                                : QStringLiteral("portrait"));
        m_xml.writeAttribute(QStringLiteral("margin-left"), layoutNumber(page.margins.left()));
        m_xml.writeAttribute(QStringLiteral("margin-top"), layoutNumber(page.margins.top()));
        m_xml.writeAttribute(QStringLiteral("margin-right"), layoutNumber(page.margins.right()));
        m_xml.writeAttribute(QStringLiteral("margin-bottom"), layoutNumber(page.margins.bottom()));

        empty(QStringLiteral("font"));
        m_xml.writeAttribute(QStringLiteral("family"), layout.fontFamily);
        m_xml.writeAttribute(QStringLiteral("size"), layoutNumber(layout.fontSize));

        start(QStringLiteral("parameters"));
        for (const ParameterDeclaration& declaration : layout.parameters) {
            empty(QStringLiteral("parameter"), declaration.name);
            m_xml.writeAttribute(QStringLiteral("name"), declaration.name);
            if (declaration.type != TFieldType::ftUnknown)
                m_xml.writeAttribute(QStringLiteral("type"), fieldTypeName(declaration.type));
        }
        end();

        if (const auto& blocks = layout.columnBlocks) {
            empty(QStringLiteral("column-blocks"));
            m_xml.writeAttribute(QStringLiteral("prefix"), blocks->prefix);
            m_xml.writeAttribute(QStringLiteral("size"), QString::number(blocks->size));
        }

        start(QStringLiteral("query"));
        m_xml.writeCDATA(layout.query);
        end();

        if (!layout.exportQuery.isEmpty()) {
            start(QStringLiteral("data-export"));
            start(QStringLiteral("query"));
            m_xml.writeCDATA(layout.exportQuery);
            end();
            end();
        }

        writeBands(layout);

        end();
        writeRemainingComments();
        m_xml.writeEndDocument();
    }

    // The bands alone, as they stand inside <report>, with the comments among them.
    void writeBandsFragment(const ReportLayout& layout)
    {
        m_path.enter(QStringLiteral("report"));
        writeBands(layout);
        writeRemainingComments();
    }

    void writeBands(const ReportLayout& layout)
    {
        for (const auto* band : {&layout.titleBand, &layout.pageHeader, &layout.columnHeader})
            if (*band)
                writeBand(QStringLiteral("band"), **band);
        for (const ReportGroup& group : layout.groups) {
            start(QStringLiteral("group"), group.name);
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
            end();
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
    void start(const QString& tag, const QString& identity = QString())
    {
        writeComments(m_path.enter(tag, identity), false);
        m_xml.writeStartElement(tag);
    }

    // An element written without children (its attributes follow).
    void empty(const QString& tag, const QString& identity = QString())
    {
        writeComments(m_path.enter(tag, identity), false);
        m_xml.writeEmptyElement(tag);
        m_path.leave();
    }

    void end()
    {
        writeCommentsAtEnd(m_path.current());
        m_xml.writeEndElement();
        m_path.leave();
    }

    void writeComments(const QString& anchor, bool atEnd)
    {
        writeCommentsWhere(
            [&](const LayoutComment& comment) { return comment.anchor == anchor && comment.atEnd == atEnd; });
    }

    // The element's own closing comments, then those of its descendants that were not written.
    void writeCommentsAtEnd(const QString& anchor)
    {
        writeComments(anchor, true);
        const QString below = anchor + QLatin1Char('/');
        writeCommentsWhere([&](const LayoutComment& comment) { return comment.anchor.startsWith(below); });
    }

    void writeRemainingComments()
    {
        writeCommentsWhere([](const LayoutComment&) { return true; });
    }

    template <typename Predicate> void writeCommentsWhere(Predicate matches)
    {
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (matches(*it)) {
                m_xml.writeComment(it->text);
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        }
    }

    void optional(const QString& name, const QString& value)
    {
        if (!value.isEmpty())
            m_xml.writeAttribute(name, value);
    }

    void writeBand(const QString& tag, const ReportBand& band)
    {
        const bool fixed = tag == QLatin1String("band");
        start(tag, fixed ? bandKindName(band.kind) : QString());
        if (fixed)
            m_xml.writeAttribute(QStringLiteral("kind"), bandKindName(band.kind));
        writeBandBody(band);
    }

    void writeList(const ReportList& list)
    {
        start(QStringLiteral("list"), list.name);
        m_xml.writeAttribute(QStringLiteral("name"), list.name);
        m_xml.writeAttribute(QStringLiteral("height"), layoutNumber(list.band.height));
        optional(QStringLiteral("print-when"), list.band.printWhen.text());
        if (list.repeatHeader)
            m_xml.writeAttribute(QStringLiteral("repeat-header"), QStringLiteral("true"));
        optional(QStringLiteral("group-by"), list.groupBy.text());
        start(QStringLiteral("query"));
        m_xml.writeCDATA(list.query);
        end();
        for (const ReportElement& element : list.band.elements)
            writeElement(element);
        end();
    }

    void writeBandBody(const ReportBand& band)
    {
        m_xml.writeAttribute(QStringLiteral("height"), layoutNumber(band.height));
        optional(QStringLiteral("print-when"), band.printWhen.text());
        for (const ReportElement& element : band.elements)
            writeElement(element);
        end();
    }

    void writeElement(const ReportElement& element)
    {
        using Kind = ReportElement::Kind;
        start(ReportElement::kindName(element.kind));
        m_xml.writeAttribute(QStringLiteral("x"), layoutNumber(element.rect.x()));
        m_xml.writeAttribute(QStringLiteral("y"), layoutNumber(element.rect.y()));
        m_xml.writeAttribute(QStringLiteral("width"), layoutNumber(element.rect.width()));
        m_xml.writeAttribute(QStringLiteral("height"), layoutNumber(element.rect.height()));
        const ElementStyle style;
        if (element.style.fontSize != style.fontSize)
            m_xml.writeAttribute(QStringLiteral("size"), layoutNumber(element.style.fontSize));
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
            m_xml.writeAttribute(QStringLiteral("line-width"), layoutNumber(element.lineWidth));
        if (element.kind == Kind::Text)
            m_xml.writeCharacters(element.text);
        end();
    }

    QXmlStreamWriter m_xml;
    ElementPath m_path;
    LayoutComments m_pending; // in the file's order; each written once
};

} // namespace

QByteArray LayoutWriter::write(const ReportLayout& layout)
{
    QByteArray out;
    Writer(&out, layout.comments).write(layout);
    return out;
}

QByteArray LayoutWriter::writeBands(const ReportLayout& layout)
{
    LayoutComments inBands;
    std::copy_if(layout.comments.cbegin(), layout.comments.cend(), std::back_inserter(inBands),
                 &LayoutCommentReader::standsInBands);
    QByteArray out;
    Writer(&out, inBands).writeBandsFragment(layout);
    return out;
}

void LayoutWriter::writeFile(const ReportLayout& layout, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(write(layout)) < 0 || !file.commit())
        throw Kav::Exception(
            QStringLiteral("Não foi possível gravar o relatório %1: %2.")
                .arg(QDir::toNativeSeparators(path), Kav::fileFailureReason(file, Kav::FileAccess::Write)));
}

} // namespace Qr
