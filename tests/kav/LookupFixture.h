#pragma once
// A client data set of four codes with a hidden column, and a form-like handler object that
// records what the lookup and list events saw.

#include "DataPacket.h"
#include "KavException.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TStringField.h"

#include <QObject>
#include <QStringList>

class LookupFixture : public QObject
{
    Q_OBJECT
public:
    // Rows: 001 Arroz, 002 Feijão, 003 Batata, 010 Beterraba; hidden OCULTO a1..a4.
    explicit LookupFixture(QObject* parent = nullptr) : QObject(parent)
    {
        dataSet = new TClientDataSet(this);
        dataSet->setObjectName("cdsTeste");
        addField("CODIGO", "Código", true);
        addField("NOME", "Nome", true);
        addField("OCULTO", "Oculto", false);
        source = new TDataSource(this);
        source->setDataSet(dataSet);
        fill({{"001", "Arroz", "a1"},
              {"002", "Feijão", "a2"},
              {"003", "Batata", "a3"},
              {"010", "Beterraba", "a4"}});
    }

    void fill(const QList<QStringList>& rows)
    {
        Kav::DataPacket packet;
        for (const char* name : {"CODIGO", "NOME", "OCULTO"})
            packet.fields.append({QString::fromLatin1(name), Kav::FieldDef::Type::String, 20});
        for (const QStringList& row : rows)
            packet.rows.append({row[0], row[1], row[2]});
        dataSet->setData(packet);
    }

    QString currentCode() const { return dataSet->FieldByName("CODIGO")->AsString(); }

    TClientDataSet* dataSet = nullptr;
    TDataSource* source = nullptr;

    // What the handlers do and saw.
    QString failBefore;        // raised by the before-handler when not empty
    bool cancelBefore = false; // written into the before-handler's flag as "do not go on"
    QStringList calls;         // "before", "after:<code of the current row>", "click"

    Q_INVOKABLE void BeforePesq(QObject*, bool& proceed)
    {
        calls.append("before");
        if (!failBefore.isEmpty())
            throw Kav::Exception(failBefore);
        if (cancelBefore)
            proceed = false;
    }
    Q_INVOKABLE void AfterPesq(QObject*) { calls.append("after:" + currentCode()); }
    Q_INVOKABLE void Click(QObject*) { calls.append("click"); }

private:
    void addField(const QString& name, const QString& label, bool visible)
    {
        auto* field = new TStringField(dataSet);
        field->setObjectName(dataSet->objectName() + name);
        field->setFieldName(name);
        field->setDisplayLabel(label);
        field->setSize(20);
        field->setVisible(visible);
    }
};
