#include "TfrmNutriCard.h"

#include "Cli_Zve41300.h"
#include "Kavenso.h"
#include "NutriCardData.h"
#include "TADOIBQuery.h"
#include "TBevel.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TCheckBox.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TEdit.h"
#include "TGroupBox.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TNetConnection.h"
#include "TPanel.h"
#include "TRadioButton.h"

namespace {
const QString kScreenLayout = QStringLiteral(":/zve41300/TfrmNutriCard.kfm");
} // namespace

TfrmNutriCard::TfrmNutriCard(QWidget* parent) : TfrmDadosGerRel(parent) {}

TfrmNutriCard::~TfrmNutriCard()
{
    // However the form goes (the host closing with it open included), the module never keeps
    // a pointer to a form that no longer exists.
    if (Cli_Zve41300::frmNutriCard == this) {
        Cli_Zve41300::frmNutriCard = nullptr;
        Cli_Zve41300::boIdCriado = false;
    }
}

QStringList TfrmNutriCard::layoutFiles() const
{
    // The data layout goes first: the screen's lookup buttons name its data sources.
    return TfrmDadosGerRel::layoutFiles() << NutriCardData::layoutFile() << kScreenLayout;
}

void TfrmNutriCard::bindComponents()
{
    TfrmDadosGerRel::bindComponents();
    bind(bvlFilial, "bvlFilial");
    bind(panFiltro, "panFiltro");
    bind(lblFilial, "lblFilial");
    bind(medCdFilial, "medCdFilial");
    bind(sbtFilial, "sbtFilial");
    bind(edtNmFilial, "edtNmFilial");
    bind(lblTipoCard, "lblTipoCard");
    bind(medCdTipoCard, "medCdTipoCard");
    bind(btpTipoCard, "btpTipoCard");
    bind(edtNmTipoCard, "edtNmTipoCard");
    bind(grbPeriodo, "grbPeriodo");
    bind(Label4, "Label4");
    bind(Label5, "Label5");
    bind(depIniPeriodo, "depIniPeriodo");
    bind(depFinPeriodo, "depFinPeriodo");
    bind(btpPeriodo, "btpPeriodo");
    bind(grbDescCard, "grbDescCard");
    bind(edtDsCardZVE, "edtDsCardZVE");
    bind(grbTipoPrat, "grbTipoPrat");
    bind(rbtTodoTPrato, "rbtTodoTPrato");
    bind(rbtListaTPrato, "rbtListaTPrato");
    bind(btpTipoPrat, "btpTipoPrat");
    bind(grbServico, "grbServico");
    bind(rbtTodosServ, "rbtTodosServ");
    bind(rbtListaServ, "rbtListaServ");
    bind(sbtServico, "sbtServico");
    bind(grbNutriente, "grbNutriente");
    bind(rbtTodosNutr, "rbtTodosNutr");
    bind(rbtListaNutr, "rbtListaNutr");
    bind(sbtNutriente, "sbtNutriente");
    bind(grbEspecifico, "grbEspecifico");
    bind(chbEspecifico, "chbEspecifico");
    bind(lblFiliAgre, "lblFiliAgre");
    bind(medCdFiliAgre, "medCdFiliAgre");
    bind(btpFiliAgre, "btpFiliAgre");
    bind(edtNmFiliAgre, "edtNmFiliAgre");
    bind(chbOpcao, "chbOpcao");
    bind(chbNDPCal, "chbNDPCal");
    bind(netNutriCard, "netNutriCard");
    bind(qryFilial, "qryFilial");
    bind(qryPesqFilial, "qryPesqFilial");
    bind(qryTipoCard, "qryTipoCard");
    bind(dtsTipoCard, "dtsTipoCard");
    bind(cdsPeriodo, "cdsPeriodo");
    bind(dtsPeriodo, "dtsPeriodo");
    bind(cdsServico, "cdsServico");
    bind(dtsServico, "dtsServico");
    bind(qryNutriente, "qryNutriente");
    bind(dtsNutriente, "dtsNutriente");
    bind(qryTipoPrat, "qryTipoPrat");
    bind(dtsTipoPrat, "dtsTipoPrat");
    bind(qryFilAgre, "qryFilAgre");
    bind(dtsFilAgre, "dtsFilAgre");
    bind(qryPrato, "qryPrato");
    bind(dtsPrato, "dtsPrato");
    bind(qryVdPrato, "qryVdPrato");
    bind(dtsVdPrato, "dtsVdPrato");
    bind(qryParamGeral, "qryParamGeral");
}

void TfrmNutriCard::applyPrintOptions()
{
    chbOpcao->setEnabled(true);
    chbNDPCal->setEnabled(chbOpcao->isEnabled());
}

// ---- life cycle

void TfrmNutriCard::FormCreate(QObject* Sender)
{
    TfrmDadosGerRel::FormCreate(Sender);
    boPrimeiraAtivacao = true;
}

void TfrmNutriCard::FormActivate(QObject* Sender)
{
    TfrmDadosGerRel::FormActivate(Sender);
    if (!boPrimeiraAtivacao)
        return;
    boPrimeiraAtivacao = false;
    applyPrintOptions();
}

void TfrmNutriCard::FormClose(QObject* Sender, TCloseAction& Action)
{
    netNutriCard->setConnected(false);
    Cli_Zve41300::boIdCriado = false;
    TfrmDadosGerRel::FormClose(Sender, Action);
    Cli_Zve41300::frmNutriCard = nullptr;
}

void TfrmNutriCard::netNutriCardBeforeConnect(QObject*)
{
    netNutriCard->setHost(Kavenso::WebURL());
    netNutriCard->setPort(Kavenso::WebPort());
}

// ---- keyboard: the shortcuts press the command buttons themselves

void TfrmNutriCard::FormKeyDown(QObject*, quint16& Key, Qt::KeyboardModifiers Shift)
{
    pressCommandShortcut(Key, Shift);
}

void TfrmNutriCard::FormKeyPress(QObject*, QChar& Key)
{
    pressEscape(Key);
}

void TfrmNutriCard::cbbReportNamesChange(QObject*)
{
    applyPrintOptions();
}

// ---- output commands. Each checks the criteria and has the report data prepared before it
// hands over to the base command; until that is in place they produce nothing.

void TfrmNutriCard::sbtPrintClick(QObject*) {}

void TfrmNutriCard::sbtPreviewClick(QObject*) {}

void TfrmNutriCard::sbtSalvarComoClick(QObject*) {}

void TfrmNutriCard::sbtReportEditClick(QObject*) {}

void TfrmNutriCard::mnuSalvarTextoClick(QObject*) {}

void TfrmNutriCard::rpddPadraoBeforeGetQueryParams(TParams&, bool&) {}

void TfrmNutriCard::rpddPadraoQRPAfterPrint(QObject*) {}

void TfrmNutriCard::rpddPadraoQRPAfterPreview(QObject*) {}

// ---- criteria: menu type, period, lists and the specific aggregated branch. Their checks and
// lookups come with the criteria; until then these events change nothing.

void TfrmNutriCard::medCdTipoCardChange(QObject*) {}

void TfrmNutriCard::medCdTipoCardExit(QObject*) {}

void TfrmNutriCard::btpTipoCardBeforePesq(QObject*, bool&) {}

void TfrmNutriCard::btpTipoCardAfterPesq(QObject*) {}

void TfrmNutriCard::btpPeriodoBeforePesq(QObject*, bool&) {}

void TfrmNutriCard::btpPeriodoAfterPesq(QObject*) {}

void TfrmNutriCard::rbtTodoTPratoClick(QObject*) {}

void TfrmNutriCard::rbtListaTPratoClick(QObject*) {}

void TfrmNutriCard::btpTipoPratClick(QObject*) {}

void TfrmNutriCard::rbtListaServClick(QObject*) {}

void TfrmNutriCard::rbtListaServKeyDown(QObject*, quint16&, Qt::KeyboardModifiers) {}

void TfrmNutriCard::sbtServicoClick(QObject*) {}

void TfrmNutriCard::rbtListaNutrClick(QObject*) {}

void TfrmNutriCard::rbtListaNutrKeyDown(QObject*, quint16&, Qt::KeyboardModifiers) {}

void TfrmNutriCard::sbtNutrienteClick(QObject*) {}

void TfrmNutriCard::grbEspecificoExit(QObject*) {}

void TfrmNutriCard::chbEspecificoClick(QObject*) {}

void TfrmNutriCard::btpFiliAgreBeforePesq(QObject*, bool&) {}

void TfrmNutriCard::btpFiliAgreAfterPesq(QObject*) {}

void TfrmNutriCard::btpPrat1BeforePesq(QObject*, bool&) {}

void TfrmNutriCard::btpPrat2BeforePesq(QObject*, bool&) {}
