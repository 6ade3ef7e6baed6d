#pragma once
// The four remote methods of "Zve41300.rdmNutriCard" in the screen's own terms, each called on
// the application-server object of the screen's connection, fetched anew for every call.
//
// Answers come back as the server gives them: GetServico and GetPesqPeriodoCard a data packet
// (pass it through Consiste::CheckResultServ), CriaNutriCard a refusal text or the array
// [key of the prepared data, nutrient codes of the report's columns "_001_002..."],
// DelNutriCard an empty text, or an error text. A failed call raises Kav::Exception.

#include "CallWait.h"

#include <functional>
#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QVariant>

class TNetConnection;

class NutriCardServer
{
public:
    // The text of a key of the screen's message catalogue.
    using Wording = std::function<QString(const QString& key)>;

    // `wording` words each call for the wait panel and the messages ("Preparando o relatório");
    // without it the words come from the screen's catalogue file.
    explicit NutriCardServer(TNetConnection* connection, Wording wording = {});

    // The services of a branch for a menu type, in their order of the day.
    QVariant GetServico(const QString& filial, const QString& tipoCard) const;

    // The registered menus (periods) of a central branch and menu type, most recent first.
    QVariant GetPesqPeriodoCard(const QString& filial, const QString& tipoCard) const;

    // Prepares the report data. `filial` (the report's branch), `listaNutr` and `listaServ`
    // travel by reference and receive the server's normalised texts. `reservado1` and
    // `reservado2` are sent as the screen gives them and change nothing on the server. The
    // dates travel as calendar days.
    QVariant CriaNutriCard(const QString& filCentral, QString& filial, QString& listaNutr, QString& listaServ,
                           const QDateTime& dtInicial, const QDateTime& dtFinal, bool reservado1,
                           bool reservado2, bool imprimeNdpCal, const QString& tipoCard,
                           const QString& tipoRel) const;

    // Deletes the data prepared under `nrSequNutr` (by reference); an empty text also when it was
    // already gone.
    QVariant DelNutriCard(QString& nrSequNutr) const;

    // The catalogue keys of a call's two wordings.
    struct ActivityKeys
    {
        const char* doing;
        const char* action;
    };

private:
    Kav::CallActivity activity(const ActivityKeys& keys) const;

    QPointer<TNetConnection> m_connection;
    Wording m_wording;
};
