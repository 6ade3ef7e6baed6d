#include "LayoutReader.h"

#include "KavException.h"
#include "LayoutCommentReader.h"
#include "LayoutError.h"
#include "Qrddlgs.h"
#include "SqlParameters.h"
#include "SystemFailure.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

namespace Qr {

namespace {

// Elements may reach a hair past their band's edge (a line drawn on the bottom border).
constexpr double kEdgeToleranceMm = 0.01;

const QRegularExpression& identifierPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return pattern;
}

struct FixedBand
{
    const char* name;
    BandKind kind;
    std::optional<ReportBand> ReportLayout::*member;
};

constexpr FixedBand kFixedBands[] = {
    {"title", BandKind::Title, &ReportLayout::titleBand},
    {"page-header", BandKind::PageHeader, &ReportLayout::pageHeader},
    {"column-header", BandKind::ColumnHeader, &ReportLayout::columnHeader},
    {"detail", BandKind::Detail, &ReportLayout::detail},
    {"summary", BandKind::Summary, &ReportLayout::summary},
    {"page-footer", BandKind::PageFooter, &ReportLayout::pageFooter},
};

const QStringList kStyleAttributes = {"size", "bold", "italic", "align", "color", "print-when", "emphasis"};

class Reader
{
public:
    Reader(const QByteArray& xml, const QString& sourceName) : m_xml(xml), m_source(sourceName) {}

    ReportLayout read()
    {
        if (!nextStart())
            fail(QStringLiteral("arquivo vazio ou não é XML"));
        if (m_xml.name() != QLatin1String("report"))
            fail(QStringLiteral("o elemento raiz deve ser <report>, não <%1>").arg(m_xml.name()));
        allowOnly({"title", "version"});
        m_layout.title = m_xml.attributes().value(QLatin1String("title")).toString();
        while (nextChild()) {
            const auto name = m_xml.name();
            if (name == QLatin1String("page"))
                readPage();
            else if (name == QLatin1String("font"))
                readFont();
            else if (name == QLatin1String("parameters"))
                readParameters();
            else if (name == QLatin1String("query"))
                m_layout.query = m_xml.readElementText();
            else if (name == QLatin1String("band"))
                readFixedBand();
            else if (name == QLatin1String("group"))
                readGroup();
            else if (name == QLatin1String("list"))
                readList();
            else if (name == QLatin1String("column-blocks"))
                readColumnBlocks();
            else if (name == QLatin1String("data-export"))
                readDataExport();
            else
                fail(QStringLiteral("elemento desconhecido <%1>").arg(name));
        }
        if (m_xml.hasError())
            failMalformed();
        checkWhole();
        return m_layout;
    }

private:
    [[noreturn]] void fail(const QString& what, qint64 line = -1) const
    {
        throw Kav::LayoutError(m_source, int(line < 0 ? m_xml.lineNumber() : line), what);
    }

    // The parser's own text is English unless the host loaded Qt's translations: it goes to the
    // log, the fault is said in words with its line.
    [[noreturn]] void failMalformed() const
    {
        qWarning().noquote() << m_source << m_xml.lineNumber() << "--" << m_xml.errorString();
        fail(QStringLiteral("o texto não é XML válido (marca não fechada, fechada fora de ordem ou "
                            "caractere que não cabe ali)"));
    }

    bool nextStart()
    {
        while (!m_xml.atEnd()) {
            if (m_xml.readNext() == QXmlStreamReader::StartElement)
                return true;
        }
        return false;
    }

    // The next child element of the current element; false at its end.
    bool nextChild()
    {
        while (m_xml.readNext() != QXmlStreamReader::Invalid) {
            if (m_xml.isStartElement())
                return true;
            if (m_xml.isEndElement())
                return false;
            if (m_xml.isCharacters() && !m_xml.isWhitespace())
                fail(QStringLiteral("texto solto dentro de <%1>").arg(m_xml.name()));
        }
        if (m_xml.hasError())
            failMalformed();
        return false;
    }

    void allowOnly(const QStringList& allowed)
    {
        for (const auto& attribute : m_xml.attributes())
            if (!allowed.contains(attribute.name().toString()))
                fail(
                    QStringLiteral("atributo desconhecido '%1' em <%2>").arg(attribute.name(), m_xml.name()));
    }

    QString attribute(const char* name) const
    {
        return m_xml.attributes().value(QLatin1String(name)).toString();
    }
    bool has(const char* name) const { return m_xml.attributes().hasAttribute(QLatin1String(name)); }

    double number(const char* name, double fallback, bool required = false)
    {
        if (!has(name)) {
            if (required)
                fail(QStringLiteral("falta o atributo '%1' em <%2>").arg(QLatin1String(name), m_xml.name()));
            return fallback;
        }
        bool ok = false;
        const double value = attribute(name).toDouble(&ok);
        if (!ok || value < 0)
            fail(QStringLiteral("'%1' deve ser um número não negativo, não '%2'")
                     .arg(QLatin1String(name), attribute(name)));
        return value;
    }

    bool flag(const char* name)
    {
        const QString value = attribute(name);
        if (value.isEmpty() || value == QLatin1String("false"))
            return false;
        if (value == QLatin1String("true"))
            return true;
        fail(QStringLiteral("'%1' deve ser true ou false, não '%2'").arg(QLatin1String(name), value));
    }

    QColor color(const char* name)
    {
        if (!has(name))
            return {};
        const QColor value = QColor::fromString(attribute(name));
        if (!value.isValid())
            fail(QStringLiteral("cor inválida '%1'").arg(attribute(name)));
        return value;
    }

    Qr::Expression expression(const QString& text)
    {
        Qr::Expression compiled;
        try {
            compiled = Qr::Expression::compile(text);
        } catch (const Kav::Exception& error) {
            fail(error.message());
        }
        for (const QString& parameter : compiled.parameterNames())
            if (!m_expressionParameters.contains(parameter.toUpper()))
                m_expressionParameters.insert(parameter.toUpper(), m_xml.lineNumber());
        return compiled;
    }

    void readPage()
    {
        allowOnly({"paper", "orientation", "margin-left", "margin-top", "margin-right", "margin-bottom"});
        PageSetup& page = m_layout.page;
        if (has("paper")) {
            page.paper = PageSetup::paperFromName(attribute("paper"));
            if (page.paper == QPageSize::Custom)
                fail(QStringLiteral("papel desconhecido '%1' (use %2)")
                         .arg(attribute("paper"), PageSetup::paperNames().join(QLatin1String(", "))));
        }
        const QString orientation = attribute("orientation");
        if (orientation == QLatin1String("landscape"))
            page.orientation = QPageLayout::Landscape;
        else if (orientation.isEmpty() || orientation == QLatin1String("portrait"))
            page.orientation = QPageLayout::Portrait;
        else
            fail(QStringLiteral("orientação desconhecida '%1'").arg(orientation));
        page.margins = QMarginsF(
            number("margin-left", page.margins.left()), number("margin-top", page.margins.top()),
            number("margin-right", page.margins.right()), number("margin-bottom", page.margins.bottom()));
        m_xml.skipCurrentElement();
    }

    void readFont()
    {
        allowOnly({"family", "size"});
        if (has("family"))
            m_layout.fontFamily = attribute("family");
        m_layout.fontSize = number("size", m_layout.fontSize);
        if (m_layout.fontSize <= 0)
            fail(QStringLiteral("o tamanho da fonte deve ser positivo"));
        m_xml.skipCurrentElement();
    }

    void readParameters()
    {
        allowOnly({});
        while (nextChild()) {
            if (m_xml.name() != QLatin1String("parameter"))
                fail(QStringLiteral("esperado <parameter>, encontrado <%1>").arg(m_xml.name()));
            allowOnly({"name", "type"});
            ParameterDeclaration declaration;
            declaration.name = attribute("name");
            if (!identifierPattern().match(declaration.name).hasMatch() ||
                declaration.name.size() > Qrddlgs::MaxParamNameLength)
                fail(QStringLiteral("nome de parâmetro inválido '%1'").arg(declaration.name));
            for (const auto& other : std::as_const(m_layout.parameters))
                if (other.name.compare(declaration.name, Qt::CaseInsensitive) == 0)
                    fail(QStringLiteral("parâmetro %1 declarado duas vezes").arg(declaration.name));
            if (has("type")) {
                declaration.type = fieldTypeFromName(attribute("type"));
                if (declaration.type == TFieldType::ftUnknown)
                    fail(QStringLiteral("tipo de parâmetro desconhecido '%1'").arg(attribute("type")));
            }
            m_layout.parameters.append(declaration);
            m_xml.skipCurrentElement();
        }
    }

    ReportBand readBandBody(BandKind kind, const QStringList& extraAttributes)
    {
        allowOnly(QStringList{"height", "print-when"} + extraAttributes);
        ReportBand band;
        band.kind = kind;
        band.height = number("height", 0, true);
        band.printWhen = expression(attribute("print-when"));
        while (nextChild())
            band.elements.append(readElement(band));
        return band;
    }

    void readFixedBand()
    {
        const QString kindName = attribute("kind");
        for (const FixedBand& fixed : kFixedBands) {
            if (kindName != QLatin1String(fixed.name))
                continue;
            if (m_layout.*fixed.member)
                fail(QStringLiteral("faixa '%1' repetida").arg(kindName));
            m_layout.*fixed.member = readBandBody(fixed.kind, {"kind"});
            return;
        }
        fail(QStringLiteral("tipo de faixa desconhecido '%1'").arg(kindName));
    }

    void readGroup()
    {
        allowOnly({"name", "expression", "page-break", "repeat-header"});
        ReportGroup group;
        group.name = attribute("name");
        if (attribute("expression").trimmed().isEmpty())
            fail(QStringLiteral("o grupo '%1' não tem expressão").arg(group.name));
        group.key = expression(attribute("expression"));
        group.pageBreak = flag("page-break");
        group.repeatHeader = flag("repeat-header");
        while (nextChild()) {
            const bool header = m_xml.name() == QLatin1String("header");
            if (!header && m_xml.name() != QLatin1String("footer"))
                fail(QStringLiteral("esperado <header> ou <footer> no grupo, encontrado <%1>")
                         .arg(m_xml.name()));
            auto& slot = header ? group.header : group.footer;
            if (slot)
                fail(QStringLiteral("<%1> repetido no grupo '%2'").arg(m_xml.name(), group.name));
            slot = readBandBody(header ? BandKind::GroupHeader : BandKind::GroupFooter, {});
        }
        m_layout.groups.append(group);
    }

    // <list name height print-when>: its <query> first, then the elements of its band.
    void readList()
    {
        allowOnly({"name", "height", "print-when", "repeat-header", "group-by"});
        ReportList list;
        list.name = attribute("name");
        list.repeatHeader = flag("repeat-header");
        list.groupBy = expression(attribute("group-by"));
        list.band.kind = BandKind::List;
        list.band.height = number("height", 0, true);
        list.band.printWhen = expression(attribute("print-when"));
        if (!nextChild() || m_xml.name() != QLatin1String("query"))
            fail(QStringLiteral("a lista '%1' deve começar pela sua <query>").arg(list.name));
        list.query = m_xml.readElementText();
        if (list.query.trimmed().isEmpty())
            fail(QStringLiteral("a lista '%1' não tem consulta").arg(list.name));
        while (nextChild())
            list.band.elements.append(readElement(list.band));
        m_layout.lists.append(list);
    }

    // <column-blocks prefix size/>: the parameters prefix1..size, declared; the run repeats them
    // for as many values as it is given. A 'count' stored by earlier versions set a capacity that
    // no longer exists: it is read and left aside.
    void readColumnBlocks()
    {
        allowOnly({"prefix", "size", "count"});
        if (m_layout.columnBlocks)
            fail(QStringLiteral("<column-blocks> repetido"));
        ColumnBlocks blocks;
        blocks.prefix = attribute("prefix");
        blocks.size = int(number("size", 0, true));
        if (blocks.prefix.isEmpty() || blocks.size < 1)
            fail(QStringLiteral("<column-blocks> pede 'prefix' e 'size' positivo"));
        m_columnBlocksLine = m_xml.lineNumber();
        m_layout.columnBlocks = blocks;
        m_xml.skipCurrentElement();
    }

    // <data-export><query>...</query></data-export>
    void readDataExport()
    {
        allowOnly({});
        if (!nextChild() || m_xml.name() != QLatin1String("query"))
            fail(QStringLiteral("<data-export> deve conter a sua <query>"));
        m_layout.exportQuery = m_xml.readElementText();
        if (m_layout.exportQuery.trimmed().isEmpty())
            fail(QStringLiteral("<data-export> sem consulta"));
        if (nextChild())
            fail(QStringLiteral("<data-export> contém só a sua <query>"));
    }

    void readStyle(ReportElement& element)
    {
        element.style.fontSize = number("size", 0);
        element.style.bold = flag("bold");
        element.style.italic = flag("italic");
        if (has("align") && !ElementStyle::alignFromName(attribute("align"), &element.style.align))
            fail(QStringLiteral("alinhamento desconhecido '%1'").arg(attribute("align")));
        if (has("color"))
            element.style.color = color("color");
        element.printWhen = expression(attribute("print-when"));
        element.emphasis = expression(attribute("emphasis"));
    }

    ReportElement readElement(const ReportBand& band)
    {
        ReportElement element;
        const auto name = m_xml.name();
        const qint64 line = m_xml.lineNumber();
        const QStringList geometry = {"x", "y", "width", "height"};
        element.rect =
            QRectF(number("x", 0), number("y", 0), number("width", 0, name != QLatin1String("line")),
                   number("height", 0, name != QLatin1String("line")));
        if (name == QLatin1String("text")) {
            allowOnly(geometry + kStyleAttributes);
            element.kind = ReportElement::Kind::Text;
            readStyle(element);
            element.text = m_xml.readElementText();
        } else if (name == QLatin1String("field") || name == QLatin1String("expression")) {
            const bool field = name == QLatin1String("field");
            allowOnly(geometry + kStyleAttributes +
                      QStringList{field ? "column" : "value", "format", "wrap"});
            element.kind = field ? ReportElement::Kind::Field : ReportElement::Kind::Expression;
            readStyle(element);
            const QString source = attribute(field ? "column" : "value");
            if (field && !identifierPattern().match(source).hasMatch())
                fail(QStringLiteral("nome de coluna inválido '%1'").arg(source));
            if (source.trimmed().isEmpty())
                fail(QStringLiteral("<%1> sem valor").arg(name));
            element.value = expression(source);
            element.format = attribute("format");
            element.wrap = flag("wrap");
            m_xml.skipCurrentElement();
        } else if (name == QLatin1String("line") || name == QLatin1String("box")) {
            const bool box = name == QLatin1String("box");
            allowOnly(geometry + QStringList{"line-width", "color", "print-when"} +
                      (box ? QStringList{"fill"} : QStringList{}));
            element.kind = box ? ReportElement::Kind::Box : ReportElement::Kind::Line;
            element.lineWidth = number("line-width", 0);
            if (has("color"))
                element.style.color = color("color");
            element.fill = color("fill");
            element.printWhen = expression(attribute("print-when"));
            m_xml.skipCurrentElement();
        } else if (name == QLatin1String("chart")) {
            allowOnly(geometry + QStringList{"value", "label", "format", "label-format", "fill", "size",
                                             "color", "print-when", "reference-min", "reference-max"});
            element.kind = ReportElement::Kind::Chart;
            element.style.fontSize = number("size", 0);
            if (has("color"))
                element.style.color = color("color");
            element.value = expression(attribute("value"));
            element.label = expression(attribute("label"));
            if (element.value.isEmpty() || element.label.isEmpty())
                fail(QStringLiteral("<chart> pede 'value' e 'label'"));
            element.format = attribute("format");
            element.labelFormat = attribute("label-format");
            element.referenceMin = expression(attribute("reference-min"));
            element.referenceMax = expression(attribute("reference-max"));
            element.fill = color("fill");
            element.printWhen = expression(attribute("print-when"));
            m_xml.skipCurrentElement();
        } else {
            fail(QStringLiteral("elemento desconhecido <%1> na faixa").arg(name));
        }
        if (element.rect.right() > m_layout.page.bodySizeMm().width() + kEdgeToleranceMm ||
            element.rect.bottom() > band.height + kEdgeToleranceMm)
            fail(QStringLiteral("<%1> sai da faixa '%2' (%3 mm de altura)")
                     .arg(name, bandKindName(band.kind))
                     .arg(band.height),
                 line);
        return element;
    }

    bool isDeclared(const QString& name) const
    {
        for (const auto& declaration : m_layout.parameters)
            if (declaration.name.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }

    void checkWhole()
    {
        if (m_layout.query.trimmed().isEmpty())
            fail(QStringLiteral("o relatório não tem consulta (<query>)"), 1);
        QStringList queries = {m_layout.query, m_layout.exportQuery};
        for (const ReportList& list : std::as_const(m_layout.lists))
            queries.append(list.query);
        for (const QString& query : std::as_const(queries))
            for (const QString& name : SqlParameters::names(query))
                if (!isDeclared(name))
                    fail(QStringLiteral("a consulta usa o parâmetro :%1, que não está declarado").arg(name),
                         1);
        if (const auto& blocks = m_layout.columnBlocks)
            for (int n = 1; n <= blocks->size; ++n)
                if (!isDeclared(blocks->parameterName(n)))
                    fail(QStringLiteral("<column-blocks> usa o parâmetro %1, que não está declarado")
                             .arg(blocks->parameterName(n)),
                         m_columnBlocksLine);
        for (auto it = m_expressionParameters.cbegin(); it != m_expressionParameters.cend(); ++it)
            if (!isDeclared(it.key()))
                fail(QStringLiteral("a expressão usa o parâmetro :%1, que não está declarado").arg(it.key()),
                     it.value());

        const double body = m_layout.page.bodySizeMm().height();
        double repeated = 0;
        for (const auto* band : {&m_layout.pageHeader, &m_layout.columnHeader, &m_layout.pageFooter})
            repeated += *band ? (*band)->height : 0;
        QList<const ReportBand*> bands = m_layout.bands();
        for (const ReportList& list : std::as_const(m_layout.lists))
            bands.append(&list.band);
        for (const ReportBand* band : std::as_const(bands)) {
            const double needed =
                band->height + (band->kind == BandKind::PageHeader || band->kind == BandKind::ColumnHeader ||
                                        band->kind == BandKind::PageFooter
                                    ? 0
                                    : repeated);
            if (needed > body + kEdgeToleranceMm)
                fail(QStringLiteral("a faixa '%1' não cabe na página (%2 mm de %3 mm úteis)")
                         .arg(bandKindName(band->kind))
                         .arg(needed)
                         .arg(body),
                     1);
        }
    }

    QXmlStreamReader m_xml;
    QString m_source;
    ReportLayout m_layout;
    QMap<QString, qint64> m_expressionParameters; // name (upper case) -> line of first use
    qint64 m_columnBlocksLine = 0;
};

} // namespace

ReportLayout LayoutReader::read(const QByteArray& xml, const QString& sourceName)
{
    ReportLayout layout = Reader(xml, sourceName).read();
    layout.comments = LayoutCommentReader::read(xml);
    return layout;
}

ReportLayout LayoutReader::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Kav::Exception(
            QStringLiteral("Não foi possível abrir o relatório %1: %2.")
                .arg(QDir::toNativeSeparators(path), Kav::fileFailureReason(file, Kav::FileAccess::Read)));
    return read(file.readAll(), path);
}

std::optional<QString> LayoutReader::readTitle(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() != QLatin1String("report"))
                return std::nullopt;
            return xml.attributes().value(QLatin1String("title")).toString();
        }
    }
    return std::nullopt;
}

} // namespace Qr
