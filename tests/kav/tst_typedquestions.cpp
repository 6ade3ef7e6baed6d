// The lookup button and the multi-selection list ask the dialog service typed questions and act
// on typed answers, whoever answers: here a service that reads no script words at all.
#include "ClientContext.h"
#include "FakeDialogService.h"
#include "LookupFixture.h"
#include "Pesqlista.h"
#include "TBtnPesquisa.h"

#include <QtTest>

namespace {
// Rows: 001 Arroz, 002 Feijão, 003 Batata, 010 Beterraba (LookupFixture).
const QStringList kCodes = {"001", "002", "003", "010"};
} // namespace

class TstTypedQuestions : public QObject
{
    Q_OBJECT
private:
    FakeDialogService* fake = nullptr; // owned by context
    std::optional<Kav::ClientContext> context;

private slots:
    void init()
    {
        auto dialogs = std::make_unique<FakeDialogService>();
        fake = dialogs.get();
        context.emplace(std::move(dialogs));
    }
    void cleanup() { context.reset(); }

    // The answer is a row of the list; the data set is left on that row's record.
    void lookupActsOnTheRowAnswered_data()
    {
        QTest::addColumn<int>("row"); // -1: cancelled
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("picked");
        QTest::addRow("first row") << 0 << "001" << true;
        QTest::addRow("last row") << 3 << "010" << true;
        QTest::addRow("cancelled") << -1 << "002" << false;
    }
    void lookupActsOnTheRowAnswered()
    {
        QFETCH(int, row);
        QFETCH(QString, code);
        QFETCH(bool, picked);
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa button(&window);
        button.setTitle("Tipo de Cardápio");
        button.setDataSource(fixture.source);
        fixture.dataSet->Open();
        fixture.dataSet->setRecNo(2);
        Kav::RowQuestion asked;
        fake->rowAnswer = [&](const Kav::RowQuestion& question) -> std::optional<int> {
            asked = question;
            asked.rowWhere = nullptr;
            return row < 0 ? std::nullopt : std::optional<int>(row);
        };
        QCOMPARE(button.Pesquisa(), picked);
        QCOMPARE(fixture.currentCode(), code);
        QCOMPARE(asked.title, QString("Tipo de Cardápio"));
        QCOMPARE(asked.parent, &window);
        QCOMPARE(asked.rows.cells.size(), kCodes.size());
    }

    // A row named by a field's value, the hidden ones included, without moving the data set.
    void lookupFindsRowsByAnyField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("row"); // -1: none
        QTest::addRow("shown field") << "CODIGO"
                                     << "003" << 2;
        QTest::addRow("hidden field") << "OCULTO"
                                      << "a4" << 3;
        QTest::addRow("padded value") << "NOME"
                                      << " Feijão " << 1;
        QTest::addRow("no such value") << "CODIGO"
                                       << "999" << -1;
    }
    void lookupFindsRowsByAnyField()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, row);
        QWidget window;
        LookupFixture fixture;
        TBtnPesquisa button(&window);
        button.setDataSource(fixture.source);
        fixture.dataSet->Open();
        fixture.dataSet->setRecNo(2);
        std::optional<int> found;
        int recNoWhileAsked = 0;
        fake->rowAnswer = [&](const Kav::RowQuestion& question) -> std::optional<int> {
            found = question.rowWhere(field, value);
            recNoWhileAsked = fixture.dataSet->RecNo();
            return std::nullopt;
        };
        QVERIFY(!button.Pesquisa());
        QCOMPARE(found.value_or(-1), row);
        QCOMPARE(recNoWhileAsked, 2);
    }

    // The list opens with the codes already chosen checked (or all of them), and the keys
    // answered are written back joined, each once.
    void listWritesTheKeysAnswered_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("marcarTodos");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<QStringList>("answer"); // {"cancel"}: cancelled
        QTest::addColumn<QString>("written");
        QTest::addRow("chosen before")
            << "001_010" << true << QStringList{"001", "010"} << QStringList{"002", "003"} << "002_003";
        QTest::addRow("empty, all checked") << "" << true << kCodes << QStringList{"010"} << "010";
        QTest::addRow("empty, none checked") << "" << false << QStringList{} << QStringList{} << "";
        QTest::addRow("a key twice") << "" << false << QStringList{} << QStringList{"003", "003"} << "003";
        QTest::addRow("cancelled") << "001" << false << QStringList{"001"} << QStringList{"cancel"} << "001";
    }
    void listWritesTheKeysAnswered()
    {
        QFETCH(QString, list);
        QFETCH(bool, marcarTodos);
        QFETCH(QStringList, checked);
        QFETCH(QStringList, answer);
        QFETCH(QString, written);
        LookupFixture fixture;
        Kav::KeysQuestion asked;
        fake->keysAnswer = [&](const Kav::KeysQuestion& question) -> std::optional<QStringList> {
            asked = question;
            return answer == QStringList{"cancel"} ? std::nullopt : std::optional<QStringList>(answer);
        };
        QString chosen = list;
        const bool cancelled = answer == QStringList{"cancel"};
        QCOMPARE(Pesqlista::PesquisaLista(fixture.source, "CODIGO", "Serviço|Nenhum serviço.", marcarTodos,
                                          chosen, "Até 8 por bloco."),
                 !cancelled);
        QCOMPARE(chosen, written);
        QCOMPARE(asked.title, QString("Serviço"));
        QCOMPARE(asked.note, QString("Até 8 por bloco."));
        QCOMPARE(asked.rows.keys, kCodes);
        QCOMPARE(asked.checked, QSet<QString>(checked.cbegin(), checked.cend()));
    }
};

QTEST_MAIN(TstTypedQuestions)
#include "tst_typedquestions.moc"
