// Data sets, fields and data sources, exercised through the client data set (no database).

#include "KavException.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TDateField.h"
#include "TFloatField.h"
#include "TIntegerField.h"
#include "TStringField.h"

#include <QSignalSpy>
#include <QtTest>

using Kav::DataPacket;
using Kav::FieldDef;

namespace {

DataPacket periodPacket()
{
    DataPacket packet;
    packet.fields = {{"NRCARDZVE", FieldDef::Type::String, 10},
                     {"DTINICARDZVE", FieldDef::Type::String, 10},
                     {"DSCARDZVE", FieldDef::Type::String, 100},
                     {"EXTRA", FieldDef::Type::Integer, 0}};
    packet.rows = {{"0000000001", "2025-02-03", "Fevereiro", 1},
                   {"0000000002", "2025-03-03", "Março", 2},
                   {"0000000003", "2025-04-01", QVariant(), 3}};
    return packet;
}

TStringField* addString(TDataSet* dataSet, const QString& name, int size)
{
    auto* field = new TStringField(dataSet);
    field->setObjectName(dataSet->objectName() + name);
    field->setFieldName(name);
    field->setSize(size);
    return field;
}

// cdsPeriodo as a form stores it: persistent fields declared in a different order than the packet.
struct PeriodSet
{
    TClientDataSet cds;
    TStringField* description;
    TDateField* start;
    TStringField* number;

    PeriodSet()
    {
        cds.setObjectName("cdsPeriodo");
        description = addString(&cds, "DSCARDZVE", 100);
        start = new TDateField(&cds);
        start->setFieldName("dtinicardzve"); // names match whatever their case
        number = addString(&cds, "NRCARDZVE", 10);
        number->setVisible(false);
    }
};

} // namespace

class TstDataSet : public QObject
{
    Q_OBJECT

private slots:
    void persistentFieldsBindByNameInCreationOrder()
    {
        PeriodSet set;
        set.cds.setData(periodPacket());
        QVERIFY(set.cds.Active());
        const QList<TField*> fields = set.cds.Fields();
        QCOMPARE(fields, (QList<TField*>{set.description, set.start, set.number}));
        QVERIFY(!set.cds.FindField("EXTRA")); // a column without a persistent field stays hidden
        QCOMPARE(set.cds.FieldByName("nrcardzve")->AsString(), QString("0000000001"));
        QCOMPARE(set.start->AsDateTime(), QDate(2025, 2, 3).startOfDay());
        QCOMPARE(set.start->AsString(), QString("03/02/2025"));
        QCOMPARE(set.cds.visibleFields(), (QList<TField*>{set.description, set.start}));
    }

    void navigationKeepsTheLastRowAtEof()
    {
        PeriodSet set;
        set.cds.setData(periodPacket());
        QVERIFY(set.cds.Bof());
        QVERIFY(!set.cds.Eof());
        QStringList seen;
        for (set.cds.First(); !set.cds.Eof(); set.cds.Next())
            seen << set.number->AsString();
        QCOMPARE(seen, (QStringList{"0000000001", "0000000002", "0000000003"}));
        QCOMPARE(set.cds.RecNo(), 3);
        QVERIFY(set.description->IsNull()); // row 3 has no description
        QCOMPARE(set.description->AsString(), QString());
        set.cds.Prior();
        QCOMPARE(set.description->AsString(), QString("Março"));
        QVERIFY(!set.cds.Eof());
        set.cds.setRecNo(1);
        QCOMPARE(set.number->AsString(), QString("0000000001"));
        set.cds.Last();
        QVERIFY(set.cds.Eof());
        QCOMPARE(set.cds.RecNo(), 3);
    }

    void setRecNoRefusesRowsThatDoNotExist_data()
    {
        QTest::addColumn<int>("recNo");
        QTest::addRow("zero") << 0;
        QTest::addRow("negative") << -1;
        QTest::addRow("past the last") << 4;
    }
    void setRecNoRefusesRowsThatDoNotExist()
    {
        QFETCH(int, recNo);
        PeriodSet set;
        set.cds.setData(periodPacket());
        set.cds.setRecNo(2);
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, set.cds.setRecNo(recNo));
        QCOMPARE(set.cds.RecNo(), 2);
    }

    void emptyPacketIsEofAndBofWithNullValues()
    {
        PeriodSet set;
        DataPacket packet = periodPacket();
        packet.rows.clear();
        set.cds.setData(packet);
        QVERIFY(set.cds.IsEmpty());
        QVERIFY(set.cds.Eof());
        QVERIFY(set.cds.Bof());
        QCOMPARE(set.cds.RecordCount(), 0);
        QCOMPARE(set.cds.RecNo(), 0);
        QVERIFY(set.number->IsNull());
        set.cds.Next();
        QVERIFY(set.cds.Eof());
    }

    void missingColumnOfAPersistentFieldLeavesItClosed()
    {
        PeriodSet set;
        addString(&set.cds, "DTFINCARDZVE", 10);
        try {
            set.cds.setData(periodPacket());
            QFAIL("a packet without DTFINCARDZVE was accepted");
        } catch (const Kav::Exception& error) {
            QVERIFY2(error.message().contains("DTFINCARDZVE"), qPrintable(error.message()));
            QVERIFY(error.message().contains("cdsPeriodo"));
        }
        QVERIFY(!set.cds.Active());
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, set.number->AsString());
    }

    void malformedPacketRowIsRefused()
    {
        PeriodSet set;
        DataPacket packet = periodPacket();
        packet.rows[1].removeLast();
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, set.cds.setData(packet));
        QVERIFY(!set.cds.Active());
    }

    void newDataReplacesTheRowsAndReturnsToTheFirst()
    {
        PeriodSet set;
        set.cds.setData(periodPacket());
        set.cds.Last();
        QSignalSpy changed(&set.cds, &TDataSet::dataChanged);
        DataPacket packet = periodPacket();
        packet.rows.removeFirst();
        set.cds.setData(packet);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(set.cds.RecordCount(), 2);
        QCOMPARE(set.cds.RecNo(), 1);
        QCOMPARE(set.number->AsString(), QString("0000000002"));
    }

    void dynamicFieldsFollowThePacketAndGoAwayOnClose()
    {
        TClientDataSet cds;
        cds.setObjectName("cdsServico");
        DataPacket packet;
        packet.fields = {{"CDSERVFILI", FieldDef::Type::String, 5},
                         {"NRORDSERV", FieldDef::Type::Integer, 0},
                         {"IDMARCADO", FieldDef::Type::FixedString, 1}};
        packet.rows = {{"00001", 1, "X  "}};
        cds.setData(packet);
        QCOMPARE(cds.Fields().size(), 3);
        QVERIFY(qobject_cast<TIntegerField*>(cds.FieldByName("NRORDSERV")));
        QCOMPARE(cds.FieldByName("CDSERVFILI")->Size(), 5);
        QCOMPARE(cds.FieldByName("CDSERVFILI")->objectName(), QString("cdsServicoCDSERVFILI"));
        QCOMPARE(cds.FieldByName("IDMARCADO")->AsString(), QString("X"));
        cds.Close();
        QVERIFY(cds.Fields().isEmpty());
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, cds.FieldByName("CDSERVFILI"));
    }

    void openWithoutDataUsesTheStoredFields()
    {
        PeriodSet set;
        set.cds.Open();
        QVERIFY(set.cds.Active());
        QVERIFY(set.cds.IsEmpty());
        TClientDataSet bare;
        QVERIFY_THROWS_EXCEPTION(Kav::Exception, bare.Open());
    }

    void fieldDefaults()
    {
        TClientDataSet cds;
        auto* text = new TStringField(&cds);
        text->setFieldName("NMSERVICO");
        QCOMPARE(text->Size(), 20);
        QCOMPARE(text->DisplayWidth(), 20);
        QCOMPARE(text->DisplayLabel(), QString("NMSERVICO"));
        text->setSize(40);
        QCOMPARE(text->DisplayWidth(), 40);
        text->setDisplayWidth(30);
        text->setDisplayLabel("Nome");
        QCOMPARE(text->DisplayWidth(), 30);
        QCOMPARE(text->DisplayLabel(), QString("Nome"));
        QVERIFY(text->Visible());
        QVERIFY(!text->Required());
    }

    void fieldConversions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("raw");
        QTest::addColumn<QString>("asString");
        QTest::addColumn<bool>("valid");
        QTest::addRow("integer from text") << "integer" << QVariant("42") << "42" << true;
        QTest::addRow("integer from double") << "integer" << QVariant(7.0) << "7" << true;
        QTest::addRow("integer from words") << "integer" << QVariant("doze") << "" << false;
        QTest::addRow("float keeps decimals") << "float" << QVariant(2.6) << "2.6" << true;
        QTest::addRow("float from text") << "float" << QVariant("124.5") << "124.5" << true;
        QTest::addRow("float from words") << "float" << QVariant("Tr") << "" << false;
        QTest::addRow("date from ISO text") << "date" << QVariant("2025-12-31") << "31/12/2025" << true;
        QTest::addRow("date drops the time")
            << "date" << QVariant(QDateTime(QDate(2025, 1, 2), QTime(13, 5))) << "02/01/2025" << true;
        QTest::addRow("date from garbage") << "date" << QVariant("31/31/2025") << "" << false;
        QTest::addRow("date-time shows its time")
            << "datetime" << QVariant("2025-01-02T13:05:00") << "02/01/2025 13:05:00" << true;
        QTest::addRow("null stays null") << "float" << QVariant() << "" << true;
    }
    void fieldConversions()
    {
        QFETCH(QString, kind);
        QFETCH(QVariant, raw);
        QFETCH(QString, asString);
        QFETCH(bool, valid);
        TClientDataSet cds;
        TField* field = kind == "integer" ? static_cast<TField*>(new TIntegerField(&cds))
                        : kind == "float" ? static_cast<TField*>(new TFloatField(&cds))
                        : kind == "date"  ? static_cast<TField*>(new TDateField(&cds))
                                          : static_cast<TField*>(new TDateTimeField(&cds));
        field->setFieldName("V");
        DataPacket packet;
        packet.fields = {{"V", FieldDef::Type::String, 40}};
        packet.rows = {{raw}};
        if (!valid) {
            QVERIFY_THROWS_EXCEPTION(Kav::Exception, cds.setData(packet));
            return;
        }
        cds.setData(packet);
        QCOMPARE(field->AsString(), asString);
        QCOMPARE(field->IsNull(), raw.isNull());
    }

    void dataSourceRelaysItsDataSet()
    {
        PeriodSet set;
        TDataSource source;
        QSignalSpy data(&source, &TDataSource::dataChanged);
        QSignalSpy current(&source, &TDataSource::currentChanged);
        source.setDataSet(&set.cds);
        QCOMPARE(data.count(), 1);
        set.cds.setData(periodPacket());
        QCOMPARE(data.count(), 2);
        const int before = current.count();
        set.cds.Next();
        QCOMPARE(current.count(), before + 1);
        set.cds.Close();
        QCOMPARE(data.count(), 3);
        TClientDataSet other;
        source.setDataSet(&other);
        set.cds.Open(); // no longer linked
        QCOMPARE(data.count(), 4);
        QCOMPARE(source.DataSet(), &other);
    }
};

QTEST_MAIN(TstDataSet)
#include "tst_dataset.moc"
