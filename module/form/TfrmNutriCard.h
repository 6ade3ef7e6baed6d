#pragma once
// The form of the screen "Nutrientes do Cardápio": the base report form with the screen's
// criteria (central branch, menu type, period, dish types, services, nutrients, specific
// aggregated branch, print options), built from TfrmNutriCard.kfm and the screen's data layout.
// Its handlers are published by name; those of the base form's events replace the base
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
    // `unit` is the state of the unit that creates the form: the form records itself there as the
    // unit's instance, and keeps the selection texts there.
    explicit TfrmNutriCard(const NutriCardUnit& unit, QWidget* parent = nullptr);
    ~TfrmNutriCard() override;

    // The print-option rule: "Imprime Opção" enabled, and "Imprime NDPCal" as enabled as it.
    // Checked states are the user's.
    void applyPrintOptions();

    // Events of the base form's layout.
    Q_INVOKABLE void FormCreate(QObject* Sender);
    Q_INVOKABLE void FormActivate(QObject* Sender);
    Q_INVOKABLE void FormClose(QObject* Sender, TCloseAction& Action);
    Q_INVOKABLE void FormKeyDown(QObject* Sender, quint16& Key, Qt::KeyboardModifiers Shift);
    Q_INVOKABLE void FormKeyPress(QObject* Sender, QChar& Key);
    Q_INVOKABLE void sbtPrintClick(QObject* Sender);
    Q_INVOKABLE void sbtPreviewClick(QObject* Sender);
    Q_INVOKABLE void sbtSalvarComoClick(QObject* Sender);
    Q_INVOKABLE void sbtReportEditClick(QObject* Sender);
    Q_INVOKABLE void mnuSalvarTextoClick(QObject* Sender);

    // Events of the screen's layout.
    Q_INVOKABLE void cbbReportNamesChange(QObject* Sender);
    Q_INVOKABLE void medCdTipoCardChange(QObject* Sender);
    Q_INVOKABLE void medCdTipoCardExit(QObject* Sender);
    Q_INVOKABLE void btpTipoCardBeforePesq(QObject* Sender, bool& Proceed);
    Q_INVOKABLE void btpTipoCardAfterPesq(QObject* Sender);
    Q_INVOKABLE void btpPeriodoBeforePesq(QObject* Sender, bool& Proceed);
    Q_INVOKABLE void btpPeriodoAfterPesq(QObject* Sender);
    Q_INVOKABLE void rbtTodoTPratoClick(QObject* Sender);
    Q_INVOKABLE void rbtListaTPratoClick(QObject* Sender);
    Q_INVOKABLE void btpTipoPratClick(QObject* Sender);
    Q_INVOKABLE void rbtListaServClick(QObject* Sender);
    Q_INVOKABLE void rbtListaServKeyDown(QObject* Sender, quint16& Key, Qt::KeyboardModifiers Shift);
    Q_INVOKABLE void sbtServicoClick(QObject* Sender);
    Q_INVOKABLE void rbtListaNutrClick(QObject* Sender);
    Q_INVOKABLE void rbtListaNutrKeyDown(QObject* Sender, quint16& Key, Qt::KeyboardModifiers Shift);
    Q_INVOKABLE void sbtNutrienteClick(QObject* Sender);
    Q_INVOKABLE void grbEspecificoExit(QObject* Sender);
    Q_INVOKABLE void chbEspecificoClick(QObject* Sender);
    Q_INVOKABLE void btpFiliAgreBeforePesq(QObject* Sender, bool& Proceed);
    Q_INVOKABLE void btpFiliAgreAfterPesq(QObject* Sender);
    Q_INVOKABLE void rpddPadraoBeforeGetQueryParams(TParams& Params, bool& Cancel);
    Q_INVOKABLE void rpddPadraoQRPAfterPrint(QObject* Sender);
    Q_INVOKABLE void rpddPadraoQRPAfterPreview(QObject* Sender);
    Q_INVOKABLE void netNutriCardBeforeConnect(QObject* Sender);
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
    // Asks the server to delete the data prepared under NrSequNutr.
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
    // True from creation until the first activation has done its work.
    bool boPrimeiraAtivacao = false;
    ListChoiceLabel* m_servChoice = nullptr;
    ListChoiceLabel* m_nutrChoice = nullptr;
    ListChoiceLabel* m_tpratoChoice = nullptr;
};
