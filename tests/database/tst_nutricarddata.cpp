// The screen's stored data components: every query, field, parameter, client data set and data
// source as the screen relies on them, and the idioms that tell the four SQL dialects apart.

#include "ClientCoreContext.h"
#include "KavException.h"
#include "NutriCardData.h"
#include "SqlPlaceholders.h"
#include "TADOIBQuery.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TField.h"
#include "TParameter.h"
#include "TStringField.h"

#include <memory>
#include <QRegularExpression>
#include <QtTest>

using Kav::SqlDialect;

namespace {

const QStringList QueryNames = {"qryFilial",   "qryTipoCard",   "qryFilAgre", "qryPesqFilial", "qryNutriente",
                                "qryTipoPrat", "qryParamGeral", "qryPrato",   "qryVdPrato"};

// Whitespace and line breaks inside a statement are free: compare with runs of blanks as one.
QString normalised(const QString& text)
{
    return text.simplified()
        .replace(QStringLiteral("( "), QStringLiteral("("))
        .replace(QStringLiteral(" )"), QStringLiteral(")"));
}

QString statement(const TADOIBQuery* query, SqlDialect dialect)
{
    try {
        return normalised(query->statementFor(dialect));
    } catch (...) {
        return {};
    }
}

} // namespace

class TstNutriCardData : public QObject
{
    Q_OBJECT

    // The client the data components are created in.
    Kav::ClientCoreContext m_context;
    std::unique_ptr<QObject> m_form;

    TADOIBQuery* query(const QString& name) const { return m_form->findChild<TADOIBQuery*>(name); }

private slots:
    // Code without the form (the server calls' wording) reads the screen's catalogue file too.
    void catalogueIsReadWithoutTheForm_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("preparing") << "Prepara_Rel"
                                   << "Preparando o relatório";
        QTest::newRow("deleting, as an action") << "Apaga_Rel_Acao"
                                                << "apagar os dados do relatório";
        QTest::newRow("a documented entry") << "FILI_RESC"
                                            << "Filial com contrato rescindido";
        QTest::newRow("unknown key names itself") << "Prepara_rel"
                                                  << "Prepara_rel";
    }
    void catalogueIsReadWithoutTheForm()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QCOMPARE(NutriCardData::message(key), text);
    }

    void initTestCase() { m_form = NutriCardData::createStandalone(m_context); }

    void componentsExistClosed()
    {
        for (const QString& name : QueryNames) {
            QVERIFY2(query(name), qPrintable(name));
            QVERIFY(!query(name)->Active());
            QVERIFY(query(name)->ParamCheck());
        }
        for (const char* name : {"cdsPeriodo", "cdsServico"}) {
            auto* cds = m_form->findChild<TClientDataSet*>(name);
            QVERIFY2(cds, qPrintable(name));
            QVERIFY(!cds->Active());
        }
        QCOMPARE(m_form->findChildren<TADOIBQuery*>().size(), QueryNames.size());
        QCOMPARE(m_form->findChildren<TClientDataSet*>().size(), 2);
        QCOMPARE(m_form->findChildren<TDataSource*>().size(), 8);
    }

    void fields_data()
    {
        QTest::addColumn<QString>("dataSet");
        // Per field: name, size, label, display width, then flags: h hidden, r required, o read-only.
        QTest::addColumn<QStringList>("fields");
        QTest::addRow("qryFilial") << "qryFilial"
                                   << QStringList{"CDFILIAL 4 Código 4 r", "NMFILIAL 30 Nome 30",
                                                  "IDFILCENTZVE 1 IDFILCENTZVE 1",
                                                  "CDFILCENTZVE 4 CDFILCENTZVE 4 h",
                                                  "NMFILCENTZVE 30 NMFILCENTZVE 30 h"};
        QTest::addRow("qryTipoCard") << "qryTipoCard"
                                     << QStringList{"CDTIPOCARD 10 Código 13 r", "NMTIPOCARD 100 Nome 40",
                                                    "IDTPCARDATIV 1 IDTPCARDATIV 1 h"};
        QTest::addRow("qryFilAgre") << "qryFilAgre"
                                    << QStringList{"CDFILIAL 4 Código 4", "NMFILIAL 150 Nome 100",
                                                   "IDFILCENTZVE 1 IDFILCENTZVE 1 h",
                                                   "CDFILCENTZVE 4 CDFILCENTZVE 4 h"};
        QTest::addRow("qryPesqFilial")
            << "qryPesqFilial"
            << QStringList{"CDFILIAL 20 Código 4", "NMFILIAL 20 Nome 52", "IDCNTRRESC 20 IDCNTRRESC 20 h",
                           "IDFILCENTZVE 20 IDFILCENTZVE 20 h", "CDFILCENTZVE 20 CDFILCENTZVE 20 h"};
        QTest::addRow("qryNutriente")
            << "qryNutriente" << QStringList{"CDNUTRIENTE 3 Código 3 r", "NMNUTRIENTE 20 Nome 48"};
        QTest::addRow("qryTipoPrat") << "qryTipoPrat"
                                     << QStringList{"CDTIPOPRAT 2 Código 2", "NMTIPOPRAT 15 Nome 48"};
        QTest::addRow("qryParamGeral")
            << "qryParamGeral" << QStringList{"CDCALORIAS 3 CDCALORIAS 3", "CDPROTEINA 3 CDPROTEINA 3"};
        QTest::addRow("qryPrato") << "qryPrato"
                                  << QStringList{"CDCHAVE 14 CDCHAVE 14 h", "CDPRATO 10 Código 15 r",
                                                 "NMPRATO 40 Nome 40", "CDFILAUXPRAT 4 Árvore 4 hr"};
        QTest::addRow("qryVdPrato") << "qryVdPrato"
                                    << QStringList{"CDPRATO 10 Código 15 r",
                                                   "CDFILAUXPRAT 4 CDFILAUXPRAT 4 hr", "NMPRATO 40 Nome 40"};
        QTest::addRow("cdsPeriodo") << "cdsPeriodo"
                                    << QStringList{
                                           "NRCARDZVE 10 NRCARDZVE 10 h", "DTINICARDZVE 10 Dt._Inicial 18 o",
                                           "DTFINCARDZVE 10 Dt._Final 18 o", "DSCARDZVE 100 Descrição 30"};
        QTest::addRow("cdsServico") << "cdsServico"
                                    << QStringList{"IDMARCADO 1 4 1 o", "CDFILIAL 4 CDFILIAL 4 h",
                                                   "CDTIPOCARD 10 CDTIPOCARD 10 h", "CDSERVFILI 5 Código 5",
                                                   "NMSERVICO 40 Nome 40"};
    }
    void fields()
    {
        QFETCH(QString, dataSet);
        QFETCH(QStringList, fields);
        auto* set = m_form->findChild<TDataSet*>(dataSet);
        QVERIFY(set);
        const QList<TField*> actual = set->Fields();
        QCOMPARE(actual.size(), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            const QStringList expected = fields[i].split(' ');
            const TField* field = actual[i];
            const QString flags = expected.value(4);
            QCOMPARE(field->FieldName(), expected[0]);
            QCOMPARE(field->objectName(), dataSet + expected[0]);
            QVERIFY(qobject_cast<const TStringField*>(field));
            QCOMPARE(field->Size(), expected[1].toInt());
            QCOMPARE(field->DisplayLabel(), QString(expected[2]).replace('_', ' '));
            QCOMPARE(field->DisplayWidth(), expected[3].toInt());
            QCOMPARE(field->Visible(), !flags.contains('h'));
            QCOMPARE(field->Required(), flags.contains('r'));
            QCOMPARE(field->ReadOnly(), flags.contains('o'));
        }
    }

    void parametersAreDeclaredAsUsed_data()
    {
        QTest::addColumn<QString>("queryName");
        QTest::addColumn<QStringList>("declared"); // name:type
        QTest::addRow("qryFilial") << "qryFilial" << QStringList{"P_CDFILIAL:ftString"};
        QTest::addRow("qryTipoCard") << "qryTipoCard"
                                     << QStringList{"P_CDTIPOCARD:ftString", "P_CDFILCENTZVE:ftString"};
        QTest::addRow("qryFilAgre") << "qryFilAgre"
                                    << QStringList{"P_CDFILIAL:ftString", "P_CDFILCENTZVE:ftString",
                                                   "P_CDTIPOCARD:ftString"};
        QTest::addRow("qryPesqFilial") << "qryPesqFilial" << QStringList{"P_CDFILIAL:ftString"};
        QTest::addRow("qryNutriente") << "qryNutriente" << QStringList{};
        QTest::addRow("qryTipoPrat") << "qryTipoPrat" << QStringList{};
        QTest::addRow("qryParamGeral") << "qryParamGeral" << QStringList{};
        QTest::addRow("qryPrato") << "qryPrato"
                                  << QStringList{"P_CDFILIAL:ftString", "P_CDNVPRATO:ftUnknown"};
        QTest::addRow("qryVdPrato") << "qryVdPrato"
                                    << QStringList{"P_CDFILIAL:ftString", "P_CDPRATO:ftString"};
    }
    void parametersAreDeclaredAsUsed()
    {
        QFETCH(QString, queryName);
        QFETCH(QStringList, declared);
        TADOIBQuery* qry = query(queryName);
        QStringList actual;
        const QMetaEnum types = QMetaEnum::fromType<TParameter::TFieldType>();
        for (const TParameter* param : qry->Params())
            actual << param->ParamName() + ":" + types.valueToKey(param->DataType());
        QCOMPARE(actual, declared);
        // Every dialect names exactly the declared parameters.
        QStringList names;
        for (const QString& entry : declared)
            names << entry.section(':', 0, 0);
        names.sort();
        for (SqlDialect dialect :
             {SqlDialect::Plain, SqlDialect::Oracle, SqlDialect::MSSQL, SqlDialect::InterBase}) {
            const QString text = statement(qry, dialect);
            if (text.isEmpty())
                continue;
            QStringList used = Kav::sqlPlaceholders(text);
            used.sort();
            QCOMPARE(used, names);
        }
    }

    void dialectIdioms_data()
    {
        QTest::addColumn<QString>("queryName");
        for (const QString& name : QueryNames)
            QTest::addRow("%s", qPrintable(name)) << name;
    }
    void dialectIdioms()
    {
        QFETCH(QString, queryName);
        const TADOIBQuery* qry = query(queryName);
        const QString plain = statement(qry, SqlDialect::Plain);
        const QString oracle = statement(qry, SqlDialect::Oracle);
        const QString mssql = statement(qry, SqlDialect::MSSQL);
        const QString ib = statement(qry, SqlDialect::InterBase);
        const QRegularExpression nvl(QStringLiteral("\\bNVL\\("));
        QVERIFY(!oracle.isEmpty() && !mssql.isEmpty() && !ib.isEmpty());
        QCOMPARE(plain.isEmpty(), queryName == "qryPesqFilial");

        // MS SQL Server: ISNULL and "+", never NVL, "||" or the Oracle outer join.
        QVERIFY(!mssql.contains(nvl) && !mssql.contains("||") && !mssql.contains("(+)") &&
                !mssql.contains("PARAM("));
        QCOMPARE(mssql.count("ISNULL("), oracle.count(nvl));
        // Oracle: NVL and "(+)", never ISNULL, LEFT JOIN or the InterBase procedure.
        QVERIFY(!oracle.contains("ISNULL") && !oracle.contains("LEFT JOIN") && !oracle.contains("PARAM(") &&
                !oracle.contains("NVLSTR"));
        // InterBase: the PARAM procedure and NVLSTR instead of NVL on a parameter (qryFilial compares
        // with the procedure's column directly: its filter is mandatory).
        QVERIFY(!ib.contains(nvl) && !ib.contains("ISNULL") && !ib.contains("(+)"));
        QCOMPARE(ib.count("NVLSTR("), oracle.count(nvl));
        QCOMPARE(ib.count("PARAM(:"), oracle.count(nvl) + (queryName == "qryFilial" ? 1 : 0));
        // Plain: NVL and PARAM as the database provides them, never the other dialects' idioms.
        QVERIFY(!plain.contains("ISNULL") && !plain.contains("(+)") && !plain.contains("NVLSTR"));

        if (queryName == "qryFilial") {
            QVERIFY(oracle.contains("(F.CDFILCENTZVE = C.CDFILIAL(+))"));
            QVERIFY(mssql.contains("LEFT JOIN FILIAL C ON (F.CDFILCENTZVE = C.CDFILIAL)"));
            QString swapped = ib;
            swapped.replace("F.CDFILCENTZVE, F.IDFILCENTZVE,", "F.IDFILCENTZVE, F.CDFILCENTZVE,");
            QCOMPARE(swapped, plain);
            return;
        }
        // Apart from the idioms, the dialects carry the same statement.
        QString asMssql = oracle;
        asMssql.replace(nvl, "ISNULL(").replace("||", "+");
        QCOMPARE(mssql, asMssql);
        if (!plain.isEmpty())
            QCOMPARE(oracle, plain);
        if (!ib.contains("PARAM("))
            QCOMPARE(ib, oracle);
    }

    void dataSourcesLinkTheirDataSets_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("dataSet");
        QTest::addColumn<bool>("queryNamesIt");
        QTest::addRow("dtsTipoCard") << "dtsTipoCard"
                                     << "qryTipoCard" << true;
        QTest::addRow("dtsPeriodo") << "dtsPeriodo"
                                    << "cdsPeriodo" << false;
        QTest::addRow("dtsFilAgre") << "dtsFilAgre"
                                    << "qryFilAgre" << true;
        QTest::addRow("dtsServico") << "dtsServico"
                                    << "cdsServico" << false;
        QTest::addRow("dtsNutriente") << "dtsNutriente"
                                      << "qryNutriente" << true;
        QTest::addRow("dtsTipoPrat") << "dtsTipoPrat"
                                     << "qryTipoPrat" << true;
        QTest::addRow("dtsPrato") << "dtsPrato"
                                  << "qryPrato" << true;
        QTest::addRow("dtsVdPrato") << "dtsVdPrato"
                                    << "qryVdPrato" << true;
    }
    void dataSourcesLinkTheirDataSets()
    {
        QFETCH(QString, source);
        QFETCH(QString, dataSet);
        QFETCH(bool, queryNamesIt);
        auto* dts = m_form->findChild<TDataSource*>(source);
        QVERIFY(dts);
        QVERIFY(dts->DataSet());
        QCOMPARE(dts->DataSet()->objectName(), dataSet);
        if (queryNamesIt)
            QCOMPARE(query(dataSet)->DataSource(), dts);
    }

    void periodPacketAsTheServerSendsIt()
    {
        auto* cds = m_form->findChild<TClientDataSet*>("cdsPeriodo");
        Kav::DataPacket packet;
        using T = Kav::FieldDef::Type;
        packet.fields = {{"NRCARDZVE", T::String, 10},
                         {"DTINICARDZVE", T::String, 10},
                         {"DTFINCARDZVE", T::String, 10},
                         {"DSCARDZVE", T::String, 100}};
        packet.rows = {{"0000000002", "03/02/2025", "2025-02-28", "Cardápio de fevereiro"}};
        cds->setData(packet);
        QCOMPARE(cds->FieldByName("DTINICARDZVE")->AsDateTime().date(), QDate(2025, 2, 3));
        QCOMPARE(cds->FieldByName("DTFINCARDZVE")->AsDateTime().date(), QDate(2025, 2, 28));
        QCOMPARE(m_form->findChild<TField*>("cdsPeriodoNRCARDZVE")->AsString(), QString("0000000002"));
        packet.rows = {{"0000000003", "31/02/2025", "", ""}};
        cds->setData(packet);
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, cds->FieldByName("DTINICARDZVE")->AsDateTime());
        QVERIFY(!cds->FieldByName("DTFINCARDZVE")->AsDateTime().isValid());
        cds->Close();
    }
};

QTEST_MAIN(TstNutriCardData)
#include "tst_nutricarddata.moc"
