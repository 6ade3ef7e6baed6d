// The remote-call protocol on its own: typed values, requests and answers as lines, the line cap.

#include "DataPacket.h"
#include "RpcBatch.h"
#include "RpcError.h"
#include "RpcLineBuffer.h"
#include "RpcRequest.h"
#include "RpcResponse.h"
#include "RpcValue.h"
#include "StrictJson.h"

#include <cmath>
#include <limits>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Kav::Rpc;

namespace {

Kav::DataPacket samplePacket()
{
    using Kav::FieldDef;
    Kav::DataPacket packet;
    packet.fields = {{"CDSERVFILI", FieldDef::Type::String, 5}, {"IDMARCADO", FieldDef::Type::FixedString, 1},
                     {"NRORDSERV", FieldDef::Type::Integer, 0}, {"VRNUTRIENTE", FieldDef::Type::Float, 0},
                     {"IDATIVO", FieldDef::Type::Boolean, 0},   {"DTINICARDZVE", FieldDef::Type::Date, 0},
                     {"DTCRIACAO", FieldDef::Type::DateTime, 0}};
    packet.rows = {{QString("00001"), QString("N"), qlonglong(3), 343.532, true, QDate(2026, 3, 2),
                    QDateTime(QDate(2026, 3, 2), QTime(10, 15, 0, 250))},
                   {QString("Almoço"), QVariant(), QVariant(), QVariant(), false, QVariant(), QVariant()}};
    return packet;
}

QByteArray lineOf(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

class TestRpcProtocol : public QObject
{
    Q_OBJECT

private slots:
    void valuesSurviveTheWire_data();
    void valuesSurviveTheWire();
    void packetKeepsFieldsNullsAndTypes();
    void datesTravelAsIsoText();
    void unsendableValuesAreRefused_data();
    void unsendableValuesAreRefused();
    void malformedTypedValuesAreRefused_data();
    void malformedTypedValuesAreRefused();
    void requestCarriesObjectMethodAndByRefPositions();
    void methodWithoutObjectGoesToTheConnectionsObject();
    void badRequestsAreRefusedWithTheirCode_data();
    void badRequestsAreRefusedWithTheirCode();
    void refusalKnowsTheRequestId();
    void argumentFaultsWaitForTheMethod_data();
    void argumentFaultsWaitForTheMethod();
    void strictReaderRefusesWhatIsNotJson_data();
    void strictReaderRefusesWhatIsNotJson();
    void strictReaderTakesWhatIsJson_data();
    void strictReaderTakesWhatIsJson();
    void valueOutOfRangeIsAnArgumentFault();
    void idIsEchoedAsWritten_data();
    void idIsEchoedAsWritten();
    void batchIsCutIntoItsCalls();
    void valueTypesAreNamedAsOnTheWire();
    void answerCarriesValueAndByRefValues();
    void errorAnswerRoundTrip();
    void unsendableAnswerBecomesInternalError();
    void malformedAnswersAreRefused_data();
    void malformedAnswersAreRefused();
    void lineBufferCutsLines();
    void lineBufferOverflowsPastTheCap_data();
    void lineBufferOverflowsPastTheCap();
    void lineBufferTakesTheLastLineAtTheEndOfInput();
};

void TestRpcProtocol::valuesSurviveTheWire_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addRow("null") << QVariant();
    QTest::addRow("true") << QVariant(true);
    QTest::addRow("false") << QVariant(false);
    QTest::addRow("integer") << QVariant(qlonglong(42));
    QTest::addRow("negative integer") << QVariant(qlonglong(-7));
    QTest::addRow("largest exact integer") << QVariant(qlonglong(9007199254740992LL));
    QTest::addRow("float") << QVariant(1.5);
    QTest::addRow("float with integral value") << QVariant(2.0);
    QTest::addRow("text") << QVariant(QString("Lanche da manhã"));
    QTest::addRow("empty text") << QVariant(QString(""));
    QTest::addRow("text looking like a date") << QVariant(QString("2026-03-02"));
    QTest::addRow("date") << QVariant(QDate(2026, 3, 2));
    QTest::addRow("date-time") << QVariant(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58, 7)));
    QTest::addRow("array") << QVariant(
        QVariantList{QString("001"), qlonglong(5), QVariant(), QDate(2026, 1, 1)});
    QTest::addRow("nested array") << QVariant(QVariantList{QVariantList{true}, QVariantList{}});
    QTest::addRow("data packet") << QVariant::fromValue(samplePacket());
}

void TestRpcProtocol::valuesSurviveTheWire()
{
    QFETCH(QVariant, value);
    // Through JSON text, as on the socket.
    const QByteArray text = QJsonDocument(QJsonArray{encodeValue(value)}).toJson(QJsonDocument::Compact);
    const QVariant back = decodeValue(QJsonDocument::fromJson(text).array().at(0));
    QCOMPARE(back.metaType().id() == QMetaType::LongLong ? QVariant(back.toLongLong()) : back, value);
    if (!value.isNull())
        QCOMPARE(back.metaType(), value.metaType());
}

void TestRpcProtocol::packetKeepsFieldsNullsAndTypes()
{
    const Kav::DataPacket packet = samplePacket();
    const Kav::DataPacket back = decodePacket(encodePacket(packet));
    QCOMPARE(back.fields, packet.fields);
    QCOMPARE(back.rows.size(), 2);
    QCOMPARE(back.rows[0][5].toDate(), QDate(2026, 3, 2));
    QCOMPARE(back.rows[0][6].toDateTime(), QDateTime(QDate(2026, 3, 2), QTime(10, 15, 0, 250)));
    for (const QVariant& cell : back.rows[1].mid(1, 3))
        QVERIFY(cell.isNull());
    QCOMPARE(back.rows[1][4], QVariant(false));
    QVERIFY(back == packet);
}

void TestRpcProtocol::datesTravelAsIsoText()
{
    QCOMPARE(encodeValue(QDate(2026, 3, 2)).toObject().value("date").toString(), QString("2026-03-02"));
    const QJsonObject packet = encodePacket(samplePacket());
    QCOMPARE(packet["rows"].toArray()[0].toArray()[5].toString(), QString("2026-03-02"));
    QVERIFY(packet["rows"].toArray()[0].toArray()[6].toString().startsWith("2026-03-02T10:15:00.250"));
}

void TestRpcProtocol::unsendableValuesAreRefused_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addRow("integer beyond 2^53") << QVariant(qlonglong(9007199254740993LL));
    QTest::addRow("unsigned beyond 2^53") << QVariant(std::numeric_limits<qulonglong>::max());
    QTest::addRow("not a number") << QVariant(std::numeric_limits<double>::quiet_NaN());
    QTest::addRow("infinity") << QVariant(std::numeric_limits<double>::infinity());
    QTest::addRow("unknown type") << QVariant(QPoint(1, 2));
    QTest::addRow("array holding one") << QVariant(QVariantList{QString("a"), QVariant(QSize(1, 1))});
    Kav::DataPacket shortRow = samplePacket();
    shortRow.rows[0].removeLast();
    QTest::addRow("packet row shorter than its fields") << QVariant::fromValue(shortRow);
}

void TestRpcProtocol::unsendableValuesAreRefused()
{
    QFETCH(QVariant, value);
    try {
        encodeValue(value);
        QFAIL("encoded");
    } catch (const RpcError& error) {
        QCOMPARE(error.code(), int(InvalidParams));
    }
}

void TestRpcProtocol::malformedTypedValuesAreRefused_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addRow("invalid date") << QByteArray(R"({"date":"2026-02-30"})");
    QTest::addRow("date in local format") << QByteArray(R"({"date":"02/03/2026"})");
    QTest::addRow("date not text") << QByteArray(R"({"date":20260302})");
    QTest::addRow("invalid date-time") << QByteArray(R"({"datetime":"yesterday"})");
    QTest::addRow("float tag without number") << QByteArray(R"({"float":"1.5"})");
    QTest::addRow("unknown tag") << QByteArray(R"({"money":3})");
    QTest::addRow("two tags") << QByteArray(R"({"date":"2026-03-02","float":1})");
    QTest::addRow("empty object") << QByteArray(R"({})");
    QTest::addRow("packet without rows") << QByteArray(R"({"packet":{"fields":[]}})");
    QTest::addRow("packet field without name")
        << QByteArray(R"({"packet":{"fields":[{"type":"string"}],"rows":[]}})");
    QTest::addRow("packet field of unknown type")
        << QByteArray(R"({"packet":{"fields":[{"name":"A","type":"blob"}],"rows":[]}})");
    QTest::addRow("packet field negative size")
        << QByteArray(R"({"packet":{"fields":[{"name":"A","type":"string","size":-1}],"rows":[]}})");
    QTest::addRow("packet row too long")
        << QByteArray(R"({"packet":{"fields":[{"name":"A","type":"string"}],"rows":[["a","b"]]}})");
    QTest::addRow("packet cell of wrong type")
        << QByteArray(R"({"packet":{"fields":[{"name":"N","type":"integer"}],"rows":[["7"]]}})");
    QTest::addRow("packet integer with fraction")
        << QByteArray(R"({"packet":{"fields":[{"name":"N","type":"integer"}],"rows":[[7.5]]}})");
    QTest::addRow("packet bad date") << QByteArray(
        R"({"packet":{"fields":[{"name":"D","type":"date"}],"rows":[["2026-13-01"]]}})");
}

void TestRpcProtocol::malformedTypedValuesAreRefused()
{
    QFETCH(QByteArray, json);
    const QJsonValue value = QJsonDocument::fromJson("[" + json + "]").array().at(0);
    QVERIFY(!value.isUndefined());
    try {
        decodeValue(value);
        QFAIL("decoded");
    } catch (const RpcError& error) {
        QCOMPARE(error.code(), int(InvalidParams));
        QVERIFY(!error.message().isEmpty());
    }
}

void TestRpcProtocol::requestCarriesObjectMethodAndByRefPositions()
{
    RpcRequest request;
    request.id = 7;
    request.object = "Zve41300.rdmNutriCard";
    request.method = "CriaNutriCard";
    request.args = {QString("0010"), QString("0011"), QDate(2026, 3, 2), false};
    request.byRef = {1};
    const QByteArray line = request.toLine();
    QVERIFY(line.endsWith('\n'));
    QCOMPARE(line.count('\n'), 1);
    QJsonValue id;
    const RpcRequest back = RpcRequest::parse(line.trimmed(), id);
    QCOMPARE(id.toInt(), 7);
    QCOMPARE(back.object, QString("Zve41300.rdmNutriCard"));
    QCOMPARE(back.method, QString("CriaNutriCard"));
    QCOMPARE(back.args, request.args);
    QCOMPARE(back.byRef, QList<int>{1});
    QVERIFY(!back.isNotification());
}

void TestRpcProtocol::methodWithoutObjectGoesToTheConnectionsObject()
{
    QJsonValue id;
    const RpcRequest request =
        RpcRequest::parse(R"({"jsonrpc":"2.0","method":"GetServico","params":["0010","1"]})", id);
    QVERIFY(request.object.isEmpty());
    QCOMPARE(request.method, QString("GetServico"));
    QVERIFY(request.isNotification());
}

void TestRpcProtocol::badRequestsAreRefusedWithTheirCode_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code");
    QTest::addRow("not JSON") << QByteArray("hello") << int(ParseError);
    QTest::addRow("truncated JSON") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"x")")
                                    << int(ParseError);
    // A batch is split before its calls are parsed (RpcBatch); an array is no single request.
    QTest::addRow("batch") << QByteArray(R"([{"jsonrpc":"2.0","id":1,"method":"a.b"}])")
                           << int(InvalidRequest);
    QTest::addRow("bare number") << QByteArray("1") << int(InvalidRequest);
    QTest::addRow("bare text") << QByteArray(R"("foo")") << int(InvalidRequest);
    QTest::addRow("bare null") << QByteArray("null") << int(InvalidRequest);
    QTest::addRow("bare true") << QByteArray(" true ") << int(InvalidRequest);
    QTest::addRow("two bare values") << QByteArray("1,2") << int(ParseError);
    QTest::addRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   R"({"jsonrpc":"2.0","id":1,"method":"a.b"})")
                                     << int(ParseError);
    QTest::addRow("lone high surrogate")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":["\ud800"]})") << int(ParseError);
    QTest::addRow("lone low surrogate in a key")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","\udc00":1})") << int(ParseError);
    QTest::addRow("not UTF-8") << QByteArray("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"a\xff\"}")
                               << int(ParseError);
    QTest::addRow("not 2.0") << QByteArray(R"({"jsonrpc":"1.0","id":1,"method":"a.b"})")
                             << int(InvalidRequest);
    QTest::addRow("no method") << QByteArray(R"({"jsonrpc":"2.0","id":1})") << int(InvalidRequest);
    QTest::addRow("method not text") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":5})")
                                     << int(InvalidRequest);
    QTest::addRow("id an object") << QByteArray(R"({"jsonrpc":"2.0","id":{},"method":"a.b"})")
                                  << int(InvalidRequest);
    QTest::addRow("params a number") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":5})")
                                     << int(InvalidRequest);
    QTest::addRow("params null") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":null})")
                                 << int(InvalidRequest);
    QTest::addRow("raw control character")
        << QByteArray("{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"a.b\",\"params\":[\"x\x01y\"]}")
        << int(ParseError);
    QTest::addRow("unknown escape") << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"meth\od"})")
                                    << int(ParseError);
    QTest::addRow("number without integer part")
        << QByteArray(R"({"jsonrpc":"2.0","id":.5,"method":"a.b"})") << int(ParseError);
    QTest::addRow("number without fraction digits")
        << QByteArray(R"({"jsonrpc":"2.0","id":1.,"method":"a.b"})") << int(ParseError);
}

void TestRpcProtocol::argumentFaultsWaitForTheMethod_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addRow("named params") << QByteArray(
        R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":{"x":1}})");
    QTest::addRow("bad typed argument")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":[{"date":"x"}]})");
    QTest::addRow("bad by-reference argument")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":[{"ref":{"float":"x"}}]})");
    QTest::addRow("as a notification")
        << QByteArray(R"({"jsonrpc":"2.0","method":"a.b","params":[{"date":"x"}]})");
    QTest::addRow("after arguments by reference")
        << QByteArray(R"({"jsonrpc":"2.0","id":1,"method":"a.b","params":[{"ref":"1"},{"datetime":"x"}]})");
}

void TestRpcProtocol::argumentFaultsWaitForTheMethod()
{
    // The request is well formed: whether its method exists is the first thing its answer says,
    // and a notification's fault is never answered.
    QFETCH(QByteArray, line);
    QJsonValue id;
    const RpcRequest request = RpcRequest::parse(line, id);
    QCOMPARE(request.method, QString("b"));
    QVERIFY(!request.paramsRefusal.isEmpty());
    QVERIFY(request.args.isEmpty());
    QVERIFY(request.byRef.isEmpty()); // no position of arguments that were not taken
    QCOMPARE(id.isUndefined(), request.isNotification());
}

void TestRpcProtocol::strictReaderRefusesWhatIsNotJson_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addRow("raw tab in a text") << QByteArray("[\"a\tb\"]");
    QTest::addRow("raw line feed in a text") << QByteArray("[\"a\nb\"]");
    QTest::addRow("unknown escape") << QByteArray(R"(["meth\od"])");
    QTest::addRow("short unicode escape") << QByteArray(R"(["\u12"])");
    QTest::addRow("lone high surrogate") << QByteArray(R"(["\ud800"])");
    QTest::addRow("low before high") << QByteArray(R"(["\udc00\ud800"])");
    QTest::addRow("leading dot") << QByteArray("[.5]");
    QTest::addRow("trailing dot") << QByteArray("[1.]");
    QTest::addRow("leading zero") << QByteArray("[01]");
    QTest::addRow("plus sign") << QByteArray("[+1]");
    QTest::addRow("bare minus") << QByteArray("[-]");
    QTest::addRow("exponent without digits") << QByteArray("[1e]");
    QTest::addRow("hexadecimal") << QByteArray("[0x10]");
    QTest::addRow("NaN") << QByteArray("[NaN]");
    QTest::addRow("Infinity") << QByteArray("[Infinity]");
    QTest::addRow("trailing comma in array") << QByteArray("[1,]");
    QTest::addRow("trailing comma in object") << QByteArray(R"({"a":1,})");
    QTest::addRow("single quotes") << QByteArray("['a']");
    QTest::addRow("unquoted name") << QByteArray("{a:1}");
    QTest::addRow("cut word") << QByteArray("[tru]");
    QTest::addRow("text after the value") << QByteArray("{} x");
    QTest::addRow("two values") << QByteArray("{}{}");
    QTest::addRow("unfinished text") << QByteArray(R"(["abc)");
    QTest::addRow("overlong UTF-8") << QByteArray("[\"\xc0\xaf\"]");
    QTest::addRow("surrogate in UTF-8") << QByteArray("[\"\xed\xa0\x80\"]");
    QTest::addRow("cut UTF-8") << QByteArray("[\"\xc3\"]");
    QTest::addRow("vertical tab as blank") << QByteArray("[\v1]");
    QTest::addRow("nested too deep") << QByteArray("[").repeated(StrictJson::kMaxDepth + 2) +
                                            QByteArray("]").repeated(StrictJson::kMaxDepth + 2);
    QTest::addRow("empty") << QByteArray();
}

void TestRpcProtocol::strictReaderRefusesWhatIsNotJson()
{
    QFETCH(QByteArray, text);
    try {
        StrictJson::parse(text);
        QFAIL("read as JSON");
    } catch (const RpcError& error) {
        QCOMPARE(error.code(), int(ParseError));
    }
}

void TestRpcProtocol::strictReaderTakesWhatIsJson_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QJsonValue>("expected");
    QTest::addRow("beyond a double") << QByteArray("1e400")
                                     << QJsonValue(std::numeric_limits<double>::infinity());
    QTest::addRow("below a double") << QByteArray("-1E400")
                                    << QJsonValue(-std::numeric_limits<double>::infinity());
    QTest::addRow("subnormal") << QByteArray("5E-342") << QJsonValue(0.0);
    QTest::addRow("smallest subnormal")
        << QByteArray("4.9406564584124654e-324") << QJsonValue(std::numeric_limits<double>::denorm_min());
    QTest::addRow("negative zero") << QByteArray("-0") << QJsonValue(-0.0);
    QTest::addRow("exponent with sign") << QByteArray("1.5E+2") << QJsonValue(150.0);
    QTest::addRow("escapes") << QByteArray(R"("a\"\\\/\b\f\n\r\t\u00e9")") << QJsonValue("a\"\\/\b\f\n\r\té");
    QTest::addRow("surrogate pair") << QByteArray(R"("\ud83d\ude00")")
                                    << QJsonValue(QString::fromUtf8("\xf0\x9f\x98\x80"));
    QTest::addRow("UTF-8 as it stands")
        << QByteArray("\"Lanche da manh\xc3\xa3\"") << QJsonValue("Lanche da manhã");
    QTest::addRow("blanks around") << QByteArray(" \t\r\n[ 1 , { } ]\n")
                                   << QJsonValue(QJsonArray{1, QJsonObject()});
    QTest::addRow("repeated name, the last holds")
        << QByteArray(R"({"a":1,"a":2})") << QJsonValue(QJsonObject{{"a", 2}});
    QTest::addRow("bare literal") << QByteArray("null") << QJsonValue(QJsonValue::Null);
    QTest::addRow("nested to the limit") << QByteArray("[").repeated(StrictJson::kMaxDepth + 1) +
                                                QByteArray("]").repeated(StrictJson::kMaxDepth + 1)
                                         << QJsonValue(QJsonArray());
}

void TestRpcProtocol::strictReaderTakesWhatIsJson()
{
    QFETCH(QByteArray, text);
    QFETCH(QJsonValue, expected);
    const QJsonValue value = StrictJson::parse(text);
    if (QByteArray(QTest::currentDataTag()).startsWith("nested")) {
        QJsonValue inner = value;
        for (int depth = 0; depth < StrictJson::kMaxDepth; ++depth)
            inner = inner.toArray().at(0);
        QCOMPARE(inner, expected);
        return;
    }
    QCOMPARE(value, expected);
    if (value.isDouble())
        QCOMPARE(std::signbit(value.toDouble()), std::signbit(expected.toDouble()));
}

void TestRpcProtocol::valueOutOfRangeIsAnArgumentFault()
{
    // 1e400 is JSON: the request reads, and only the method can say the argument is wrong.
    QJsonValue id;
    const RpcRequest request =
        RpcRequest::parse(R"({"jsonrpc":"2.0","id":1e400,"method":"a.b","params":[1e400, 5E-342]})", id);
    QCOMPARE(request.rawId, QByteArray("1e400"));
    QCOMPARE(request.args.size(), 2);
    QVERIFY(std::isinf(request.args.at(0).toDouble()));
}

void TestRpcProtocol::badRequestsAreRefusedWithTheirCode()
{
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    QJsonValue id;
    try {
        RpcRequest::parse(line, id);
        QFAIL("parsed");
    } catch (const RpcError& error) {
        QCOMPARE(error.code(), code);
    }
}

void TestRpcProtocol::refusalKnowsTheRequestId()
{
    QJsonValue id;
    try {
        RpcRequest::parse(R"({"jsonrpc":"1.0","id":"call-9","method":"a.b","params":[]})", id);
        QFAIL("parsed");
    } catch (const RpcError&) {
        QCOMPARE(id.toString(), QString("call-9"));
    }
    // The answer to such a refusal names the same id, so the caller can match it.
    const RpcResponse answer = RpcResponse::parse(RpcResponse::failure(id, InvalidParams, "bad").toLine());
    QCOMPARE(answer.id.toString(), QString("call-9"));
}

void TestRpcProtocol::idIsEchoedAsWritten_data()
{
    QTest::addColumn<QByteArray>("idText");
    QTest::addRow("beyond a double's precision") << QByteArray("12345678901234567890");
    QTest::addRow("negative and long") << QByteArray("-98765432109876543210");
    QTest::addRow("with fraction") << QByteArray("1.50");
    QTest::addRow("with exponent") << QByteArray("1e3");
    QTest::addRow("text with escapes") << QByteArray(R"("a\"b\u00e9")");
    QTest::addRow("null") << QByteArray("null");
}

void TestRpcProtocol::idIsEchoedAsWritten()
{
    QFETCH(QByteArray, idText);
    // The id stands among other members, nested ones named "id" too, which are not the request's.
    const QByteArray line =
        R"({"params":["id"],"trace":{"id":2}, "id" : )" + idText + R"( ,"jsonrpc":"2.0","method":"a.b"})";
    QJsonValue id;
    const RpcRequest request = RpcRequest::parse(line, id);
    QCOMPARE(request.rawId, idText);
    const QByteArray answer = RpcResponse::success(request.id, true).answering(request.rawId).toLine();
    QVERIFY2(answer.contains(R"("id":)" + idText + ','), answer.constData());
    QVERIFY(RpcResponse::parse(answer).value.toBool());
}

void TestRpcProtocol::batchIsCutIntoItsCalls()
{
    const RpcBatch single = RpcBatch::split(R"({"jsonrpc":"2.0","id":1,"method":"a.b"})");
    QVERIFY(!single.isBatch);
    QCOMPARE(single.calls.size(), 1);
    const RpcBatch batch = RpcBatch::split(R"( [ {"id":"[1,2]","m":[{}]} , 1,"x" ,[],null ] )");
    QVERIFY(batch.isBatch);
    QCOMPARE(batch.calls, (QList<QByteArray>{R"({"id":"[1,2]","m":[{}]})", "1", R"("x")", "[]", "null"}));
    QVERIFY_THROWS_EXCEPTION(RpcError, RpcBatch::split(" [ ] "));
    const QByteArray largest = '[' + QByteArray("1,").repeated(RpcBatch::kMaxCalls - 1) + "1]";
    QCOMPARE(RpcBatch::split(largest).calls.size(), RpcBatch::kMaxCalls);
    QVERIFY_THROWS_EXCEPTION(RpcError, RpcBatch::split("[1," + largest.mid(1)));
    try {
        RpcBatch::split(R"([{"jsonrpc":"2.0","method":"a.b"},)");
        QFAIL("split");
    } catch (const RpcError& error) {
        QCOMPARE(error.code(), int(ParseError));
    }
}

void TestRpcProtocol::valueTypesAreNamedAsOnTheWire()
{
    QCOMPARE(typeName(QVariant(qlonglong(3))), QString("integer"));
    QCOMPARE(typeName(QVariant(QDateTime::currentDateTime())), QString("date-time"));
    QCOMPARE(typeName(QVariant(QVariantList{})), QString("array"));
    QCOMPARE(typeName(QVariant::fromValue(samplePacket())), QString("data packet"));
    QCOMPARE(typeName(QVariant()), QString("null"));
}

void TestRpcProtocol::answerCarriesValueAndByRefValues()
{
    const RpcResponse response =
        RpcResponse::success(3, QVariantList{QString("17"), QString("_001_002")},
                             {{1, QString("0011")}, {2, QString("001_002")}, {3, QString("")}});
    const QByteArray line = response.toLine();
    QCOMPARE(line.count('\n'), 1);
    const RpcResponse back = RpcResponse::parse(line);
    QVERIFY(!back.isError());
    QCOMPARE(back.id.toInt(), 3);
    QCOMPARE(back.value, response.value);
    QCOMPARE(back.refs, response.refs);
}

void TestRpcProtocol::errorAnswerRoundTrip()
{
    const RpcResponse back =
        RpcResponse::parse(RpcResponse::failure(4, MethodNotFound, "no method X").toLine());
    QVERIFY(back.isError());
    QCOMPARE(back.errorCode, int(MethodNotFound));
    QCOMPARE(back.errorMessage, QString("no method X"));
}

void TestRpcProtocol::unsendableAnswerBecomesInternalError()
{
    const RpcResponse back = RpcResponse::parse(RpcResponse::success(5, QVariant(QPoint(1, 1))).toLine());
    QVERIFY(back.isError());
    QCOMPARE(back.errorCode, int(InternalError));
    QCOMPARE(back.id.toInt(), 5);
}

void TestRpcProtocol::malformedAnswersAreRefused_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addRow("not JSON") << QByteArray("{oops");
    QTest::addRow("array") << QByteArray("[1]");
    QTest::addRow("neither result nor error") << lineOf({{"jsonrpc", "2.0"}, {"id", 1}});
    QTest::addRow("result without value")
        << lineOf({{"jsonrpc", "2.0"}, {"id", 1}, {"result", QJsonObject{}}});
    QTest::addRow("bad typed value") << lineOf(
        {{"jsonrpc", "2.0"}, {"id", 1}, {"result", QJsonObject{{"value", QJsonObject{{"date", "x"}}}}}});
    QTest::addRow("by-reference position not a number")
        << lineOf({{"jsonrpc", "2.0"},
                   {"id", 1},
                   {"result", QJsonObject{{"value", 1}, {"refs", QJsonObject{{"one", "x"}}}}}});
}

void TestRpcProtocol::malformedAnswersAreRefused()
{
    QFETCH(QByteArray, line);
    QVERIFY_THROWS_EXCEPTION(RpcError, RpcResponse::parse(line));
}

void TestRpcProtocol::lineBufferCutsLines()
{
    RpcLineBuffer buffer(64);
    buffer.append("{\"a\":1}\r\n");
    QVERIFY(!buffer.hasPartialLine()); // a complete line waiting is not an unfinished one
    buffer.append("\n   \n{\"b\"");
    QCOMPARE(buffer.takeLine().value_or("none"), QByteArray("{\"a\":1}"));
    QVERIFY(!buffer.takeLine()); // blank lines skipped, the rest unfinished
    QVERIFY(buffer.hasPartialLine());
    buffer.append(":2}\n");
    QCOMPARE(buffer.takeLine().value_or("none"), QByteArray("{\"b\":2}"));
    QVERIFY(!buffer.hasPartialLine());
    QVERIFY(!buffer.overflowed());
}

void TestRpcProtocol::lineBufferOverflowsPastTheCap_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("overflows");
    const QByteArray cap(16, 'x');
    QTest::addRow("exactly the cap") << QList<QByteArray>{cap + "\n"} << false;
    QTest::addRow("one byte more, finished") << QList<QByteArray>{cap + "y\n"} << true;
    QTest::addRow("one byte more, unfinished") << QList<QByteArray>{cap + "y"} << true;
    QTest::addRow("grown in small pieces") << QList<QByteArray>{"xxxxxx", "xxxxxx", "xxxxxx"} << true;
    QTest::addRow("many short lines in one chunk")
        << QList<QByteArray>{QByteArray("ab\n").repeated(50)} << false;
}

void TestRpcProtocol::lineBufferOverflowsPastTheCap()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(bool, overflows);
    RpcLineBuffer buffer(16);
    int lines = 0;
    for (const QByteArray& chunk : chunks) {
        buffer.append(chunk);
        while (buffer.takeLine())
            ++lines;
    }
    QCOMPARE(buffer.overflowed(), overflows);
    if (overflows) {
        buffer.append("{}\n");
        QVERIFY(!buffer.takeLine()); // once overflowed, nothing more is read from that connection
    } else {
        QVERIFY(lines > 0);
    }
}

void TestRpcProtocol::lineBufferTakesTheLastLineAtTheEndOfInput()
{
    RpcLineBuffer buffer(64);
    buffer.append("{\"a\":1}\n{\"b\":2}");
    QCOMPARE(buffer.takeLine().value_or("none"), QByteArray("{\"a\":1}"));
    QVERIFY(!buffer.takeLine());
    buffer.finish();
    QCOMPARE(buffer.takeLine().value_or("none"), QByteArray("{\"b\":2}"));
    QVERIFY(buffer.isEmpty());
    buffer.finish(); // nothing left: no blank line is made up
    QVERIFY(!buffer.takeLine());
}

QTEST_GUILESS_MAIN(TestRpcProtocol)
#include "tst_rpcprotocol.moc"
