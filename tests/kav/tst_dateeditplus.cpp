#include "Consiste.h"
#include "TDateEditPlus.h"

#include <QtTest>

class TstDateEditPlus : public QObject
{
    Q_OBJECT
private slots:
    void showsDateAndWeekDayName_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("weekDay");
        QTest::addRow("friday") << QDate(2024, 3, 15) << "15/03/2024"
                                << "Sexta";
        QTest::addRow("saturday") << QDate(2024, 3, 16) << "16/03/2024"
                                  << "Sábado";
        QTest::addRow("sunday, first of the names") << QDate(2024, 3, 17) << "17/03/2024"
                                                    << "Domingo";
        QTest::addRow("monday, leap day") << QDate(2016, 2, 29) << "29/02/2016"
                                          << "Segunda";
    }
    void showsDateAndWeekDayName()
    {
        QFETCH(QDate, date);
        QFETCH(QString, text);
        QFETCH(QString, weekDay);
        TDateEditPlus edit;
        edit.SetDate(QDateTime(date, QTime(0, 0)));
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.weekDayName(), weekDay);
        QCOMPARE(edit.GetDate().date(), date);
    }

    void clearedEditIsEmpty_data()
    {
        QTest::addColumn<bool>("byNullDate");
        QTest::addRow("Clear") << false;
        QTest::addRow("SetDate with a null date") << true;
    }
    void clearedEditIsEmpty()
    {
        QFETCH(bool, byNullDate);
        TDateEditPlus edit;
        edit.SetDate(QDateTime(QDate(2024, 1, 10), QTime(0, 0)));
        QVERIFY(!Consiste::EmptyString(edit.text()));
        if (byNullDate)
            edit.SetDate(QDateTime());
        else
            edit.Clear();
        QVERIFY(Consiste::EmptyString(edit.text()));
        QVERIFY(edit.GetDate().isNull());
        QVERIFY(edit.weekDayName().isEmpty());
    }

    void saveTimeKeepsOrDropsTheTime_data()
    {
        QTest::addColumn<bool>("saveTime");
        QTest::addColumn<QTime>("expected");
        QTest::addRow("kept") << true << QTime(14, 30);
        QTest::addRow("dropped") << false << QTime(0, 0);
    }
    void saveTimeKeepsOrDropsTheTime()
    {
        QFETCH(bool, saveTime);
        QFETCH(QTime, expected);
        TDateEditPlus edit;
        edit.setSaveTime(saveTime);
        edit.SetDate(QDateTime(QDate(2024, 5, 2), QTime(14, 30)));
        QCOMPARE(edit.GetDate(), QDateTime(QDate(2024, 5, 2), expected));
    }

    void typedTextIsReadAsADate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::addRow("full form") << "05/06/2024"
                                   << "05/06/2024" << QDate(2024, 6, 5);
        QTest::addRow("single digits") << "5/6/2024"
                                       << "05/06/2024" << QDate(2024, 6, 5);
        QTest::addRow("bare digits") << "05062024"
                                     << "05/06/2024" << QDate(2024, 6, 5);
        QTest::addRow("no such day stays as typed") << "31/02/2024"
                                                    << "31/02/2024" << QDate();
        QTest::addRow("letters refused") << "ab"
                                         << "" << QDate();
    }
    void typedTextIsReadAsADate()
    {
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        TDateEditPlus edit;
        QTest::keyClicks(&edit, typed);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), text);
        QCOMPARE(edit.GetDate().date(), date);
    }

    void validDateDrawnInItsColourEvenDisabled()
    {
        TDateEditPlus edit;
        edit.setValidDateColor(Qt::darkGreen);
        edit.setEnabled(false);
        edit.SetDate(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
        QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Text), QColor(Qt::darkGreen));
        edit.setText("99/99/9999");
        QVERIFY(edit.palette().color(QPalette::Active, QPalette::Text) != QColor(Qt::darkGreen));
    }

    void shortNameListShowsNoName()
    {
        TDateEditPlus edit;
        edit.setNomeSemana({"Dom"});
        edit.SetDate(QDateTime(QDate(2024, 3, 17), QTime(0, 0)));
        QCOMPARE(edit.weekDayName(), QString("Dom"));
        edit.SetDate(QDateTime(QDate(2024, 3, 18), QTime(0, 0)));
        QVERIFY(edit.weekDayName().isEmpty());
        edit.resize(300, 24);
        edit.show();
        QVERIFY(!edit.grab().isNull()); // paints without a name to show
    }
};

QTEST_MAIN(TstDateEditPlus)
#include "tst_dateeditplus.moc"
