#pragma once
// The form of the screen "Nutrientes do Cardápio": the base report form with the screen's
// criteria (central branch, menu type, period, dish types, services, nutrients, specific
// aggregated branch, print options), built from TfrmNutriCard.kfm and the screen's data layout.
// Its handlers are published by name; those of the base form's events override the base
// handlers and call them themselves. Its component members are generated from the two layouts
// (KavLayout::TfrmNutriCardComponents).

#include "NutriCardUnit.h"
#include "TfrmDadosGerRel.h"
#include "TfrmNutriCardBindings.h"
#include "TParams.h"

#include <functional>

class ListChoiceLabel;
class NutriCardServer;
class TfrmNutriCard : public TfrmDadosGerRel, public KavLayout::TfrmNutriCardComponents
{
    Q_OBJECT
public:
    // `context` is the client the form works for; `unit` is the state of the unit that creates
    // the form: the form records itself there as the unit's instance, and keeps the selection
    // texts there.
    TfrmNutriCard(Kav::ClientContext& context, const NutriCardUnit& unit, QWidget* parent = nullptr);
    ~TfrmNutriCard() override;

    // The print-option rule: "Imprime Opção" enabled, and "Imprime NDPCal" as enabled as it.
    // Checked states are the user's.
    void applyPrintOptions();

    // Its handlers, declared from its layouts (FormCreate, medCdTipoCardExit,
    // btpPeriodoBeforePesq(Sender, Proceed), rpddPadraoBeforeGetQueryParams(Params, Cancel)...):
    // those of the base form's events override the base handlers, which they call themselves.
    KAVLAYOUT_TfrmNutriCard_HANDLERS;

    // Published for dish lookups; no control of the layout binds them.
    Q_INVOKABLE void btpPrat1BeforePesq(QObject* Sender, bool& Proceed);
    Q_INVOKABLE void btpPrat2BeforePesq(QObject* Sender, bool& Proceed);

    // Checks of the criteria. Each returns when its criterion holds, and otherwise shows its
    // catalogue message, puts the focus where the user must fix it and ends the running
    // command (Kav::SilentAbort). With Obrigatorio false an empty criterion passes.
    void Vd_TipoCard(bool Obrigatorio);
    void Vd_Data();
    void Vd_ListaServ(bool Obrigatorio);
    void Vd_ListaNutr(bool Obrigatorio);
    void Vd_ListaTPrato();
    void Vd_FilialAgre(bool Obrigatorio);
    // Completes the "Todos" lists of services and nutrients for an output command.
    void MontaListaServ();
    // Has the server prepare the report data for the criteria on screen; sets NrSequNutr and
    // ListaNutrRel.
    void PrepImp();

protected:
    QStringList layoutFiles() const override;
    void bindComponents() override;
    QString reportPeriod() const override;

private:
    // The order of the three list checks: A for print, save as and report edit, B for preview.
    enum class ListCheckOrder { A, B };

    // The criteria part of every output command: checks, lists and preparation, with the busy
    // animation shown from the menu-type check to the end of the preparation.
    void prepareOutput(ListCheckOrder order);
    // Prepares, then runs `output` on the prepared data under the preparation's wait panel;
    // true when the user cancelled meanwhile (the prepared data are deleted then).
    bool runOutput(ListCheckOrder order, const std::function<void()>& output);
    // Asks the server to delete the data prepared under NrSequNutr, once per preparation.
    void deletePreparedData();
    // The application server's object for this screen, its calls worded from the catalogue.
    NutriCardServer server() const;
    // The central branch the logged-in branch works for, when the support library accepts it;
    // otherwise its refusal is shown and the form closes.
    void acceptCentral(const QString& code, const QString& name);
    // The services of the central branch for the menu type, fetched anew into cdsServico.
    void loadServices();
    // qryPrato opened on the shared dishes and the central branch's own, of the dish code's
    // last level.
    void openDishes();
    // Shows the catalogue text of `key` and ends the running command.
    void raiseMessage(const QString& key) const;
    // Beside each "Lista", what the user chose in it.
    void showListChoices();

    const NutriCardUnit m_unit;
    // True once the data prepared under NrSequNutr were deleted: a print from the preview deletes
    // them before the preview's own end does.
    bool m_preparedDataDeleted = true;
    // True from creation until the first activation has done its work.
    bool boPrimeiraAtivacao = false;
    ListChoiceLabel* m_servChoice = nullptr;
    ListChoiceLabel* m_nutrChoice = nullptr;
    ListChoiceLabel* m_tpratoChoice = nullptr;
};
