// Reading, checking and writing .QR2 layout files.

#include "KavException.h"
#include "LayoutCommentReader.h"
#include "LayoutReader.h"
#include "LayoutWriter.h"
#include "SqlParameters.h"

#include <QtTest>

using namespace Qr;

namespace {

const QString kLayouts = QStringLiteral(KAV_TEST_DIR "/layouts");

// A valid layout around the given parameters and bands, so each error case states only its fault.
QByteArray layoutWith(const QString& parameters, const QString& body,
                      const QString& query = QStringLiteral("SELECT A FROM T WHERE B = :P_B"))
{
    return QStringLiteral("<report title=\"t\">\n"                                 // line 1
                          "<page paper=\"A4\" orientation=\"portrait\"/>\n"        // line 2
                          "<parameters><parameter name=\"P_B\"/>%1</parameters>\n" // line 3
                          "<query>%3</query>\n"                                    // line 4
                          "%2\n"                                                   // line 5...
                          "</report>\n")
        .arg(parameters, body, query.toHtmlEscaped())
        .toUtf8();
}

} // namespace

class TstQrLayout : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryPart();
    void writtenLayoutReadsBackTheSame();
    void commentsAreWrittenBackAtTheirElements();
    void commentOfARemovedBandIsKept();
    void faultsNameTheLine_data();
    void faultsNameTheLine();
    void titleReadWithoutChecking();
    void missingFileIsNamed();
    void queryParametersBecomePositional_data();
    void queryParametersBecomePositional();
};

void TstQrLayout::readsEveryPart()
{
    const ReportLayout layout = LayoutReader::readFile(kLayouts + QStringLiteral("/grouped.QR2"));
    QCOMPARE(layout.title, QStringLiteral("Teste de grupos"));
    QCOMPARE(layout.page.paper, QPageSize::A4);
    QCOMPARE(layout.page.orientation, QPageLayout::Portrait);
    QCOMPARE(layout.page.bodySizeMm().toSize(), QSize(190, 277));
    QCOMPARE(layout.parameters.size(), 3);
    QCOMPARE(layout.parameters[0].name, QStringLiteral("P_CENTRAL"));
    QCOMPARE(layout.parameters[0].type, TFieldType::ftString);
    QCOMPARE(layout.parameters[1].type, TFieldType::ftUnknown);
    QCOMPARE(layout.parameters[2].type, TFieldType::ftFloat);
    QVERIFY(layout.query.contains(QLatin1String(":P_CENTRAL")));
    QVERIFY(layout.titleBand && layout.pageHeader && layout.columnHeader && layout.detail && layout.summary &&
            layout.pageFooter);
    QCOMPARE(layout.groups.size(), 2);
    QCOMPARE(layout.groups[0].key.text(), QStringLiteral("DIA"));
    QVERIFY(layout.groups[1].header && layout.groups[1].footer);
    const ReportElement& kcal = layout.detail->elements[1];
    QCOMPARE(kcal.kind, ReportElement::Kind::Field);
    QCOMPARE(kcal.rect, QRectF(100, 0, 30, 5));
    QCOMPARE(kcal.style.align, ElementStyle::Align::Right);
    QCOMPARE(kcal.format, QStringLiteral("0.0"));
    QCOMPARE(kcal.emphasis.text(), QStringLiteral("KCAL > :P_LIMITE"));
    QCOMPARE(layout.summary->elements[2].kind, ReportElement::Kind::Chart);
    QCOMPARE(layout.createParams().Count(), 3);
    QVERIFY(layout.groups[0].repeatHeader);
    QVERIFY(!layout.groups[1].repeatHeader);
    QCOMPARE(layout.lists.size(), 1);
    QCOMPARE(layout.lists[0].name, QStringLiteral("notas"));
    QVERIFY(layout.lists[0].query.contains(QLatin1String("FROM NOTAS")));
    QCOMPARE(layout.lists[0].band.kind, BandKind::List);
    QCOMPARE(layout.lists[0].band.elements.size(), 1);
}

void TstQrLayout::writtenLayoutReadsBackTheSame()
{
    const ReportLayout layout = LayoutReader::readFile(kLayouts + QStringLiteral("/grouped.QR2"));
    const QByteArray written = LayoutWriter::write(layout);
    const ReportLayout again = LayoutReader::read(written, QStringLiteral("written"));
    QCOMPARE(LayoutWriter::write(again), written);
    QCOMPARE(again.query, layout.query);
    QCOMPARE(again.parameters, layout.parameters);
    QCOMPARE(again.bands().size(), layout.bands().size());
    QCOMPARE(again.detail->elements[1].emphasis.text(), layout.detail->elements[1].emphasis.text());
    QCOMPARE(again.summary->elements[2].label.text(), QStringLiteral("PRATO"));
    QVERIFY(again.groups[0].repeatHeader);
    QCOMPARE(again.lists.size(), 1);
    QCOMPARE(again.lists[0].query, layout.lists[0].query);
    QCOMPARE(again.lists[0].band.height, layout.lists[0].band.height);
    QVERIFY(again.lists[0].band.elements[0].wrap);
    QCOMPARE(again.exportQuery, layout.exportQuery);
    QVERIFY(layout.exportQuery.contains(QLatin1String("FROM LINHAS")));
    QVERIFY(!again.detail->elements[0].wrap);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Zve41399.QR2"));
    LayoutWriter::writeFile(layout, path);
    QCOMPARE(LayoutReader::readFile(path).title, layout.title);
}

void TstQrLayout::faultsNameTheLine_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("fault");
    const QString band = QStringLiteral("<band kind=\"detail\" height=\"5\">%1</band>");
    QTest::addRow("not XML") << QByteArray("plain text") << ":1: ";
    QTest::addRow("wrong root") << QByteArray("<form/>") << "o elemento raiz deve ser <report>";
    QTest::addRow("unknown element") << layoutWith({}, QStringLiteral("<bands/>"))
                                     << ":5: elemento desconhecido <bands>";
    QTest::addRow("unknown attribute")
        << layoutWith({}, band.arg(QStringLiteral("<text x=\"0\" y=\"0\" width=\"5\" "
                                                  "height=\"5\" colour=\"red\"/>")))
        << ":5: atributo desconhecido 'colour' em <text>";
    QTest::addRow("undeclared query parameter")
        << layoutWith({}, {}, QStringLiteral("SELECT A FROM T WHERE B = :P_B AND C = :P_C"))
        << "a consulta usa o parâmetro :P_C, que não está declarado";
    QTest::addRow("parameter inside quotes is text")
        << layoutWith(
               {}, band.arg(QStringLiteral("<field x=\"0\" y=\"0\" width=\"9\" height=\"5\" column=\"A\"/>")),
               QStringLiteral("SELECT ':P_X' AS A FROM T WHERE B = :P_B"))
        << "";
    QTest::addRow("undeclared expression parameter")
        << layoutWith({}, band.arg(QStringLiteral("<expression x=\"0\" y=\"0\" width=\"9\" height=\"5\" "
                                                  "value=\":P_Z\"/>")))
        << ":5: a expressão usa o parâmetro :P_Z";
    QTest::addRow("duplicate parameter") << layoutWith(QStringLiteral("<parameter name=\"p_b\"/>"), {})
                                         << ":3: parâmetro p_b declarado duas vezes";
    QTest::addRow("bad parameter name") << layoutWith(QStringLiteral("<parameter name=\"P B\"/>"), {})
                                        << ":3: nome de parâmetro inválido 'P B'";
    QTest::addRow("unknown parameter type")
        << layoutWith(QStringLiteral("<parameter name=\"P_C\" type=\"money\"/>"), {})
        << "tipo de parâmetro desconhecido 'money'";
    QTest::addRow("bad number") << layoutWith({}, QStringLiteral("<band kind=\"detail\" height=\"5mm\"/>"))
                                << ":5: 'height' deve ser um número não negativo, não '5mm'";
    QTest::addRow("missing height") << layoutWith({}, QStringLiteral("<band kind=\"detail\"/>"))
                                    << "falta o atributo 'height' em <band>";
    QTest::addRow("unknown band kind")
        << layoutWith({}, QStringLiteral("<band kind=\"footer\" height=\"5\"/>"))
        << "tipo de faixa desconhecido 'footer'";
    QTest::addRow("band twice") << layoutWith({}, band.arg(QString()) + band.arg(QString()))
                                << "faixa 'detail' repetida";
    QTest::addRow("bad expression")
        << layoutWith({}, band.arg(QStringLiteral("<expression x=\"0\" y=\"0\" width=\"9\" height=\"5\" "
                                                  "value=\"sum(A\"/>")))
        << ":5: Expressão inválida \"sum(A\": esperado ')'";
    QTest::addRow("element outside its band")
        << layoutWith({}, band.arg(QStringLiteral("<text x=\"0\" y=\"3\" width=\"9\" height=\"5\">x</text>")))
        << ":5: <text> sai da faixa 'detail'";
    QTest::addRow("element wider than the page")
        << layoutWith({},
                      band.arg(QStringLiteral("<text x=\"150\" y=\"0\" width=\"60\" height=\"5\">x</text>")))
        << "<text> sai da faixa";
    QTest::addRow("band taller than the page")
        << layoutWith({}, QStringLiteral("<band kind=\"detail\" height=\"300\"/>"))
        << "a faixa 'detail' não cabe na página";
    QTest::addRow("group without expression")
        << layoutWith({}, QStringLiteral("<group name=\"g\"/>")) << "o grupo 'g' não tem expressão";
    QTest::addRow("list without query")
        << layoutWith({}, QStringLiteral("<list name=\"notas\" height=\"5\"><text x=\"0\" y=\"0\" "
                                         "width=\"9\" height=\"5\">x</text></list>"))
        << "a lista 'notas' deve começar pela sua <query>";
    QTest::addRow("list query with undeclared parameter")
        << layoutWith({}, QStringLiteral("<list name=\"notas\" height=\"5\"><query>SELECT N FROM T WHERE "
                                         "K = :P_K</query></list>"))
        << "a consulta usa o parâmetro :P_K, que não está declarado";
    QTest::addRow("data export without query")
        << layoutWith({}, QStringLiteral("<data-export/>")) << "<data-export> deve conter a sua <query>";
    QTest::addRow("column blocks of undeclared parameters")
        << layoutWith({}, QStringLiteral("<column-blocks prefix=\"P_N\" size=\"2\"/>"))
        << "<column-blocks> usa o parâmetro P_N1, que não está declarado";
    QTest::addRow("unknown paper") << QByteArray("<report><page paper=\"A9\"/></report>")
                                   << "papel desconhecido 'A9'";
    QTest::addRow("placeholder-like text kept")
        << QByteArray("<report><page paper=\"%2\"/></report>") << ":1: papel desconhecido '%2'";
    QTest::addRow("no query") << QByteArray("<report title=\"x\"/>") << "o relatório não tem consulta";
    QTest::addRow("bad colour") << layoutWith({}, band.arg(QStringLiteral(
                                                      "<text x=\"0\" y=\"0\" width=\"9\" "
                                                      "height=\"5\" color=\"reddish\">x</text>")))
                                << "cor inválida 'reddish'";
    QTest::addRow("chart without label")
        << layoutWith(
               {}, band.arg(QStringLiteral("<chart x=\"0\" y=\"0\" width=\"9\" height=\"5\" value=\"A\"/>")))
        << "<chart> pede 'value' e 'label'";
}

void TstQrLayout::faultsNameTheLine()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, fault);
    try {
        const ReportLayout layout = LayoutReader::read(xml, QStringLiteral("Zve41398.QR2"));
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("accepted a layout with fault: ") + fault));
        QCOMPARE(layout.parameters.size(), 1);
    } catch (const Kav::Exception& error) {
        QVERIFY2(!fault.isEmpty(), qPrintable(error.message()));
        QVERIFY2(error.message().startsWith(QLatin1String("Zve41398.QR2:")), qPrintable(error.message()));
        QVERIFY2(error.message().contains(fault), qPrintable(error.message()));
    }
}

void TstQrLayout::titleReadWithoutChecking()
{
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(QStringLiteral("a.QR2"), "<?xml version=\"1.0\"?>\n<report title=\"Cardápio semanal\"><broken");
    write(QStringLiteral("b.QR2"), "<form/>");
    write(QStringLiteral("c.QR2"), "<report/>");
    QCOMPARE(LayoutReader::readTitle(dir.filePath(QStringLiteral("a.QR2"))),
             QStringLiteral("Cardápio semanal"));
    QVERIFY(!LayoutReader::readTitle(dir.filePath(QStringLiteral("b.QR2"))));
    QCOMPARE(LayoutReader::readTitle(dir.filePath(QStringLiteral("c.QR2"))), QString());
    QVERIFY(!LayoutReader::readTitle(dir.filePath(QStringLiteral("missing.QR2"))));
}

void TstQrLayout::missingFileIsNamed()
{
    try {
        LayoutReader::readFile(QStringLiteral("/nonexistent/Zve41301.QR2"));
        QFAIL("a missing file was read");
    } catch (const Kav::Exception& error) {
        QVERIFY(error.message().contains(QLatin1String("/nonexistent/Zve41301.QR2")));
    }
}

void TstQrLayout::queryParametersBecomePositional_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("positional");
    QTest::addColumn<QStringList>("names");
    QTest::addRow("repeated") << "A = :P_A OR :P_A = 'T' AND B = :P_B"
                              << "A = ? OR ? = 'T' AND B = ?" << QStringList{"P_A", "P_A", "P_B"};
    QTest::addRow("inside a text") << "A = ':P_A' || :P_B"
                                   << "A = ':P_A' || ?" << QStringList{"P_B"};
    QTest::addRow("doubled quote") << "A = 'it''s :P_A' AND :P_B"
                                   << "A = 'it''s :P_A' AND ?" << QStringList{"P_B"};
    QTest::addRow("quoted name") << "SELECT \":P_A\" FROM T WHERE :P_B"
                                 << "SELECT \":P_A\" FROM T WHERE ?" << QStringList{"P_B"};
    // Comments go: Qt's PostgreSQL driver would read an apostrophe in one as an open text.
    QTest::addRow("line comment") << "-- :P_A\nA = :P_B"
                                  << " \nA = ?" << QStringList{"P_B"};
    QTest::addRow("apostrophe in a comment") << "-- the week's mean\nA = :P_B -- :P_A's\n"
                                             << " \nA = ?  \n"
                                             << QStringList{"P_B"};
    QTest::addRow("block comment") << "/* :P_A it's */ A = :P_B"
                                   << "  A = ?" << QStringList{"P_B"};
    QTest::addRow("dollar quoted") << "A = $$it's :P_A$$ AND B = $t$:P_A$t$ || :P_B"
                                   << "A = $$it's :P_A$$ AND B = $t$:P_A$t$ || ?" << QStringList{"P_B"};
    QTest::addRow("PostgreSQL cast") << "A::text = :P_B"
                                     << "A::text = ?" << QStringList{"P_B"};
    QTest::addRow("lone colon") << "A = : P_B"
                                << "A = : P_B" << QStringList{};
}

void TstQrLayout::queryParametersBecomePositional()
{
    QFETCH(QString, sql);
    QFETCH(QString, positional);
    QFETCH(QStringList, names);
    const SqlParameters::Positional result = SqlParameters::toPositional(sql);
    QCOMPARE(result.sql, positional);
    QCOMPARE(result.names, names);
    names.removeDuplicates();
    QCOMPARE(SqlParameters::names(sql), names);
}

namespace {

// Comments at the head, inside the parameters, between bands, inside a band, inside a text, at the
// end of the report and after it; the page footer stands before the detail, where the writer does
// not put it.
const QByteArray kCommented = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- head -->
<report title="t">
  <page paper="A4" orientation="portrait"/>
  <parameters><!-- parameters --><parameter name="P_B"/></parameters>
  <query>SELECT A FROM T WHERE B = :P_B</query>
  <!-- before the footer -->
  <band kind="page-footer" height="5"/>
  <band kind="detail" height="5">
    <!-- detail, first -->
    <text x="0" y="0" width="5" height="5">a<!-- in the text -->b</text>
    <field x="5" y="0" width="5" height="5" column="A"/>
    <!-- detail, last -->
  </band>
  <band kind="summary" height="5"/>
  <!-- end of the report -->
</report>
<!-- after the report -->
)";

QStringList commentTexts(const QByteArray& xml)
{
    QStringList texts;
    for (const LayoutComment& comment : LayoutCommentReader::read(xml))
        texts.append(comment.text.trimmed());
    return texts;
}

} // namespace

void TstQrLayout::commentsAreWrittenBackAtTheirElements()
{
    const ReportLayout layout = LayoutReader::read(kCommented, QStringLiteral("comentado.QR2"));
    QCOMPARE(layout.comments.size(), 8);
    const QByteArray written = LayoutWriter::write(layout);
    const ReportLayout again = LayoutReader::read(written, QStringLiteral("gravado.QR2"));
    // Each comment keeps its element: the footer's comment goes with the footer, written last.
    QCOMPARE(commentTexts(written),
             QStringList({"head", "parameters", "detail, first", "in the text", "detail, last",
                          "before the footer", "end of the report", "after the report"}));
    for (const LayoutComment& comment : std::as_const(layout.comments))
        QVERIFY2(again.comments.contains(comment), qPrintable(comment.text));
    QCOMPARE(again.detail->elements[0].text, QStringLiteral("ab"));
    const qsizetype parameters = written.indexOf("<!-- parameters -->");
    QVERIFY(parameters > written.indexOf("<parameters>") && parameters < written.indexOf("<parameter "));
    QVERIFY(written.indexOf("<!-- head -->") < written.indexOf("<report"));
    QVERIFY(written.indexOf("<!-- after the report -->") > written.indexOf("</report>"));
    // Written again, the file does not drift.
    QCOMPARE(LayoutWriter::write(again), written);
}

void TstQrLayout::commentOfARemovedBandIsKept()
{
    ReportLayout layout = LayoutReader::read(kCommented, QStringLiteral("comentado.QR2"));
    layout.detail.reset();
    const QByteArray written = LayoutWriter::write(layout);
    QCOMPARE(commentTexts(written).size(), 8);
    const qsizetype footer = written.indexOf("<!-- before the footer -->");
    QVERIFY(footer < written.indexOf("<band kind=\"page-footer\""));
    // What stood in the detail band is kept inside the report, after what is still there.
    QVERIFY(written.indexOf("<!-- detail, last -->") > footer);
    QVERIFY(written.indexOf("<!-- detail, last -->") < written.indexOf("</report>"));
}

QTEST_MAIN(TstQrLayout)
#include "tst_qrlayout.moc"
