#include "ScriptKey.h"
#include "ScriptParser.h"

#include <QtTest>

using namespace Kav::Host;

Q_DECLARE_METATYPE(ScriptVerb)

class ScriptParserTest : public QObject
{
    Q_OBJECT
private slots:
    void wordsSplitOnBlanksQuotesAndEscapes_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("words");
        QTest::addRow("blanks and tabs")
            << "type  medCdFilial\t0010" << QStringList{"type", "medCdFilial", "0010"};
        QTest::addRow("quotes group blanks")
            << "expect message \"Tipo de cardápio inválido.\""
            << QStringList{"expect", "message", "Tipo de cardápio inválido."};
        QTest::addRow("empty quotes make an empty word")
            << "expect text edtNmFilial \"\"" << QStringList{"expect", "text", "edtNmFilial", ""};
        QTest::addRow("escaped quote")
            << "type edtX \"a \\\"b\\\" c\"" << QStringList{"type", "edtX", "a \"b\" c"};
        QTest::addRow("escaped backslash")
            << "answer file \"C:\\\\tmp\"" << QStringList{"answer", "file", "C:\\tmp"};
        QTest::addRow("escape outside quotes") << "type edtX a\\\"b" << QStringList{"type", "edtX", "a\"b"};
        QTest::addRow("quotes join a word")
            << "type edtX ab\"c d\"e" << QStringList{"type", "edtX", "abc de"};
        QTest::addRow("comment line") << "# opens the screen" << QStringList{};
        QTest::addRow("indented comment") << "   #   note" << QStringList{};
        QTest::addRow("hash inside a line is a word")
            << "select cbbReportNames #2" << QStringList{"select", "cbbReportNames", "#2"};
        QTest::addRow("blank line") << "   " << QStringList{};
    }
    void wordsSplitOnBlanksQuotesAndEscapes()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, words);
        QString error;
        const auto split = ScriptParser::splitWords(line, &error);
        QVERIFY2(split, qPrintable(error));
        QCOMPARE(*split, words);
    }

    void badQuotingIsRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("errorContains");
        QTest::addRow("unterminated quote") << "expect message \"Sem fim"
                                            << "unterminated";
        QTest::addRow("unknown escape") << "type edtX a\\nb"
                                        << "unknown escape";
        QTest::addRow("backslash at the end") << "type edtX ab\\"
                                              << "unknown escape";
    }
    void badQuotingIsRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, errorContains);
        QString error;
        QVERIFY(!ScriptParser::splitWords(line, &error));
        QVERIFY2(error.contains(errorContains), qPrintable(error));
    }

    void commandsTakeTheirWords_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<ScriptVerb>("verb");
        QTest::addColumn<QStringList>("args");
        QTest::addRow("key") << "key Ctrl+Shift+I" << ScriptVerb::Key << QStringList{"Ctrl+Shift+I"};
        QTest::addRow("answer lookup field")
            << "answer lookup CDTIPOCARD=0000000002" << ScriptVerb::AnswerLookup
            << QStringList{"CDTIPOCARD=0000000002"};
        QTest::addRow("answer list keys")
            << "answer list 001 003" << ScriptVerb::AnswerList << QStringList{"001", "003"};
        QTest::addRow("answer list none")
            << "answer list none" << ScriptVerb::AnswerList << QStringList{"none"};
        QTest::addRow("answer preview steps")
            << "answer preview PgDn Shift+Space WheelDown zoom=largura page=2 fits=largura grab=p.png close"
            << ScriptVerb::AnswerPreview
            << QStringList{"PgDn",   "Shift+Space",  "WheelDown",  "zoom=largura",
                           "page=2", "fits=largura", "grab=p.png", "close"};
        QTest::addRow("expect message")
            << "expect message \"Texto.\"" << ScriptVerb::ExpectMessage << QStringList{"Texto."};
        QTest::addRow("expect messages none")
            << "expect messages none" << ScriptVerb::ExpectNoMessages << QStringList{"none"};
        QTest::addRow("expect text") << "expect text medCdFilial \"\"" << ScriptVerb::ExpectText
                                     << QStringList{"medCdFilial", ""};
        QTest::addRow("expect color") << "expect color medCdFilial clBtnFace" << ScriptVerb::ExpectColor
                                      << QStringList{"medCdFilial", "clBtnFace"};
    }
    void commandsTakeTheirWords()
    {
        QFETCH(QString, line);
        QFETCH(ScriptVerb, verb);
        QFETCH(QStringList, args);
        const auto result = ScriptParser::parse(line);
        QVERIFY2(!result.error, qPrintable(result.error ? result.error->message : QString()));
        QCOMPARE(result.commands.size(), 1);
        QCOMPARE(result.commands[0].verb, verb);
        QCOMPARE(result.commands[0].args, args);
    }

    void badLinesNameTheirLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("errorContains");
        QTest::addRow("unknown command") << "tpye medX 1"
                                         << "unknown command";
        QTest::addRow("unknown expectation") << "expect colour medX clWindow"
                                             << "unknown command";
        QTest::addRow("answer alone") << "answer"
                                      << "unknown command";
        QTest::addRow("text not quoted") << "expect message Tipo de cardápio"
                                         << "wrong number of words";
        QTest::addRow("type without text") << "type medX"
                                           << "wrong number of words";
        QTest::addRow("close with a word") << "close now"
                                           << "wrong number of words";
        QTest::addRow("unknown key") << "key Ctrl+Foo"
                                     << "unknown key";
        QTest::addRow("two keys") << "key Tab,Tab"
                                  << "unknown key";
        QTest::addRow("wait not a number") << "wait soon"
                                           << "milliseconds";
        QTest::addRow("wait negative") << "wait -5"
                                       << "milliseconds";
        QTest::addRow("lookup row zero") << "answer lookup 0"
                                         << "row from 1";
        QTest::addRow("lookup nonsense") << "answer lookup first"
                                         << "row from 1";
        QTest::addRow("list none with keys") << "answer list 001 none"
                                             << "stand alone";
        QTest::addRow("preview not close") << "answer preview print"
                                           << "close";
        QTest::addRow("preview unknown step") << "answer preview Jump close"
                                              << "no preview step";
        QTest::addRow("preview close before its steps") << "answer preview close PgDn"
                                                        << "end with close";
        QTest::addRow("question maybe") << "answer question maybe"
                                        << "yes or no";
        QTest::addRow("enabled true") << "expect enabled sbtPrint true"
                                      << "yes or no";
        QTest::addRow("unknown colour") << "expect color medX clPink"
                                        << "unknown colour";
        QTest::addRow("form shut") << "expect form frmNutriCard shut"
                                   << "open or closed";
        QTest::addRow("messages some") << "expect messages some"
                                       << "expect messages none";
    }
    void badLinesNameTheirLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, errorContains);
        // Blank and comment lines count: the bad line is the fourth.
        const auto result = ScriptParser::parse("# header\n\nopen Pkg_Zve41300\n" + line + "\nclose\n");
        QVERIFY(result.error);
        QCOMPARE(result.error->line, 4);
        QVERIFY2(result.error->message.contains(errorContains), qPrintable(result.error->message));
    }

    void commandsKeepTheirLineNumbers()
    {
        const auto result = ScriptParser::parse("open P\r\n\r\n# c\r\n  click sbtSair  \r\nwait 0");
        QVERIFY(!result.error);
        QCOMPARE(result.commands.size(), 3);
        QCOMPARE(result.commands[0].line, 1);
        QCOMPARE(result.commands[1].line, 4);
        QCOMPARE(result.commands[1].source, QStringLiteral("click sbtSair"));
        QCOMPARE(result.commands[2].line, 5);
    }

    void keysNameKeyAndModifiers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addRow("Tab") << "Tab" << int(Qt::Key_Tab) << int(Qt::NoModifier);
        QTest::addRow("Shift+Tab") << "Shift+Tab" << int(Qt::Key_Tab) << int(Qt::ShiftModifier);
        QTest::addRow("Enter is the main Enter key") << "Enter" << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::addRow("Escape") << "Escape" << int(Qt::Key_Escape) << int(Qt::NoModifier);
        QTest::addRow("F9") << "F9" << int(Qt::Key_F9) << int(Qt::NoModifier);
        QTest::addRow("Ctrl+P") << "Ctrl+P" << int(Qt::Key_P) << int(Qt::ControlModifier);
        QTest::addRow("Ctrl+Shift+I")
            << "Ctrl+Shift+I" << int(Qt::Key_I) << int(Qt::ControlModifier | Qt::ShiftModifier);
        QTest::addRow("a letter") << "a" << int(Qt::Key_A) << int(Qt::NoModifier);
    }
    void keysNameKeyAndModifiers()
    {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        const auto parsed = ScriptKey::parse(text);
        QVERIFY(parsed);
        QCOMPARE(int(parsed->key), key);
        QCOMPARE(int(parsed->modifiers), modifiers);
    }
};

QTEST_MAIN(ScriptParserTest)
#include "tst_scriptparser.moc"
