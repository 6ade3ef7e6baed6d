// Query parameters of a layout: "as value" and "as text" assignment, lookup by name, and the
// event a screen's handler receives them through.

#include "ClientCoreContext.h"
#include "Events.h"
#include "KavException.h"
#include "Qrddlgs.h"
#include "TParams.h"

#include <QtTest>

using namespace Qr;

namespace {

// Stands for a screen: its handler fills the parameters the layout declares.
class ParamsHandler : public QObject
{
    Q_OBJECT
public:
    bool flagSeen = true;
    Q_INVOKABLE void rpddPadraoBeforeGetQueryParams(TParams& Params, bool& Flag)
    {
        flagSeen = Flag;
        if (Qrddlgs::ExistParam(Params, QStringLiteral("P_CDTIPOCARD")))
            Params.ParamByName(QStringLiteral("P_CDTIPOCARD")).setValue(QStringLiteral("0000000002"));
    }
};

} // namespace

class TstQrParams : public QObject
{
    Q_OBJECT
private slots:
    void asValueTakesTypeOfValueWhenUndeclared_data();
    void asValueTakesTypeOfValueWhenUndeclared();
    void asValueKeepsDeclaredType_data();
    void asValueKeepsDeclaredType();
    void asValueRefusesWhatDeclaredTypeCannotHold();
    void asTextMakesTextParameter();
    void emptyTextBindsAsNull();
    void existParam_data();
    void existParam();
    void paramByNameNamesMissingParameter();
    void duplicateNameRefused();
    void handlerReceivesParamsByReference();
};

void TstQrParams::asValueTakesTypeOfValueWhenUndeclared_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("expected");
    const QDateTime march1(QDate(2025, 3, 1), QTime(0, 0));
    QTest::addRow("text") << QVariant(QStringLiteral("S")) << int(TFieldType::ftString)
                          << QVariant(QStringLiteral("S"));
    QTest::addRow("date-time") << QVariant(march1) << int(TFieldType::ftDateTime) << QVariant(march1);
    QTest::addRow("date becomes date-time")
        << QVariant(QDate(2025, 3, 1)) << int(TFieldType::ftDateTime) << QVariant(march1);
    QTest::addRow("integer") << QVariant(42) << int(TFieldType::ftInteger) << QVariant(qlonglong(42));
    QTest::addRow("float") << QVariant(4.5) << int(TFieldType::ftFloat) << QVariant(4.5);
}

void TstQrParams::asValueTakesTypeOfValueWhenUndeclared()
{
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QVariant, expected);
    TParam param(QStringLiteral("P_X"));
    param.setValue(value);
    QCOMPARE(int(param.DataType()), type);
    QCOMPARE(param.Value(), expected);
}

void TstQrParams::asValueKeepsDeclaredType_data()
{
    QTest::addColumn<int>("declared");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");
    QTest::addRow("string holds a date as text")
        << int(TFieldType::ftString) << QVariant(QDate(2025, 3, 1)) << QVariant(QStringLiteral("2025-03-01"));
    QTest::addRow("integer from text")
        << int(TFieldType::ftInteger) << QVariant(QStringLiteral(" 0042 ")) << QVariant(qlonglong(42));
    QTest::addRow("float from Brazilian text")
        << int(TFieldType::ftFloat) << QVariant(QStringLiteral("12,5")) << QVariant(12.5);
    QTest::addRow("date from typed text")
        << int(TFieldType::ftDate) << QVariant(QStringLiteral("31/03/2025")) << QVariant(QDate(2025, 3, 31));
    QTest::addRow("date-time from date") << int(TFieldType::ftDateTime) << QVariant(QDate(2025, 3, 31))
                                         << QVariant(QDate(2025, 3, 31).startOfDay());
}

void TstQrParams::asValueKeepsDeclaredType()
{
    QFETCH(int, declared);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    TParam param(QStringLiteral("P_X"), TFieldType(declared));
    param.setValue(value);
    QCOMPARE(int(param.DataType()), declared);
    QCOMPARE(param.Value(), expected);
}

void TstQrParams::asValueRefusesWhatDeclaredTypeCannotHold()
{
    TParam param(QStringLiteral("P_DTINICIAL"), TFieldType::ftDate);
    try {
        param.setValue(QStringLiteral("31/02/2025"));
        QFAIL("an impossible date was accepted");
    } catch (const Kav::Exception& error) {
        QVERIFY2(error.message().contains(QLatin1String("P_DTINICIAL")), qPrintable(error.message()));
    }
    QVERIFY(param.IsNull());
}

void TstQrParams::asTextMakesTextParameter()
{
    TParam param(QStringLiteral("P_DTPERIINI"), TFieldType::ftDate);
    param.setAsString(QStringLiteral("01/03/2025"));
    QCOMPARE(param.DataType(), TFieldType::ftString);
    QCOMPARE(param.Value().typeId(), int(QMetaType::QString));
    QCOMPARE(param.AsString(), QStringLiteral("01/03/2025"));
}

void TstQrParams::emptyTextBindsAsNull()
{
    TParam param(QStringLiteral("P_NUTRIENTE5"));
    param.setAsString(QString(""));
    QVERIFY(!param.IsNull());
    QVERIFY(param.boundValue().isNull());
    param.setAsString(QStringLiteral("001"));
    QCOMPARE(param.boundValue(), QVariant(QStringLiteral("001")));
}

void TstQrParams::existParam_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::addRow("declared") << QStringLiteral("P_OPCAO") << true;
    QTest::addRow("other case") << QStringLiteral("p_opcao") << true;
    QTest::addRow("undeclared") << QStringLiteral("P_TODASOPCAO") << false;
    QTest::addRow("empty") << QString() << false;
    QTest::addRow("prefix only") << QStringLiteral("P_OPC") << false;
    QTest::addRow("longer than allowed")
        << QStringLiteral("P_").append(QString(300, QLatin1Char('X'))) << false;
}

void TstQrParams::existParam()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);
    TParams params;
    params.Add(QStringLiteral("P_OPCAO"));
    params.Add(QStringLiteral("P_").append(QString(300, QLatin1Char('X'))));
    QCOMPARE(Qrddlgs::ExistParam(params, name), exists);
}

void TstQrParams::paramByNameNamesMissingParameter()
{
    TParams params;
    params.Add(QStringLiteral("P_NRSEQUNUTR"));
    QCOMPARE(&params.ParamByName(QStringLiteral("p_nrsequnutr")), &params.Items(0));
    try {
        params.ParamByName(QStringLiteral("P_NDPCAL"));
        QFAIL("a missing parameter was found");
    } catch (const Kav::Exception& error) {
        QVERIFY(error.message().contains(QLatin1String("P_NDPCAL")));
    }
}

void TstQrParams::duplicateNameRefused()
{
    TParams params;
    params.Add(QStringLiteral("P_OPCAO"));
    QVERIFY_THROWS_EXCEPTION(Kav::Exception, params.Add(QStringLiteral("p_OPCAO")));
    QCOMPARE(params.Count(), 1);
}

void TstQrParams::handlerReceivesParamsByReference()
{
    Kav::ClientCoreContext context; // the handler runs as its command
    QObject dialog;
    ParamsHandler form;
    Kav::bindEvent(&dialog, "OnBeforeGetQueryParams", &form, "rpddPadraoBeforeGetQueryParams");
    TParams params;
    params.Add(QStringLiteral("P_CDTIPOCARD"), TFieldType::ftString);
    bool flag = false;
    QVERIFY(Kav::fireEvent(&dialog, "OnBeforeGetQueryParams", Q_ARG(TParams&, params), Q_ARG(bool&, flag)));
    QCOMPARE(params.ParamByName(QStringLiteral("P_CDTIPOCARD")).AsString(), QStringLiteral("0000000002"));
    QCOMPARE(form.flagSeen, false);
}

QTEST_MAIN(TstQrParams)
#include "tst_qrparams.moc"
