#include "TfrmNutriCard.h"

#include "CallWait.h"
#include "Colors.h"
#include "Consiste.h"
#include "ConsisteServ.h"
#include "Kavenso.h"
#include "KavException.h"
#include "ListChoiceLabel.h"
#include "NutriCardData.h"
#include "NutriCardServer.h"
#include "Pesqlista.h"
#include "PreparedReportData.h"
#include "Qrddlgs.h"
#include "RdmNutriCardContract.h"
#include "Showavi.h"
#include "TADOIBQuery.h"
#include "TBevel.h"
#include "TBtnPesquisa.h"
#include "TButtonFlat.h"
#include "TCheckBox.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TDBPicture.h"
#include "TEdit.h"
#include "TField.h"
#include "TGroupBox.h"
#include "TLabel.h"
#include "TMaskEdit.h"
#include "TMessages.h"
#include "TNetConnection.h"
#include "TPanel.h"
#include "TParameter.h"
#include "TParams.h"
#include "TRadioButton.h"

#include <QRegularExpression>
#include <string_view>

// The layout's connection names the server object the screen's calls are declared for.
static_assert(std::string_view(RdmNutriCardContract::kServerName) ==
                  KavLayout::TfrmNutriCardComponents::netNutriCardServerName,
              "netNutriCard's ServerName in the layout is not the server of the remote methods");

namespace {
const QString kScreenLayout = QStringLiteral(":/zve41300/TfrmNutriCard.kfm");

// Widths of the codes as the database stores them.
constexpr int kTipoCardWidth = 10;
constexpr int kFilialWidth = 4;
// A refusal of Kavenso::ModuFili starts with a code of this many characters.
constexpr int kModuFiliPrefix = 5;
// A longer key of prepared data is the server's error text.
constexpr int kMaxKeyLength = 10;
// The virtual-key code of F9.
constexpr quint16 kVkF9 = 120;
// ListaNutrRel: codes of three characters, each followed by one separator. Every code the server
// returned is bound to P_NUTRIENTE1, 2 and on; a layout's columns take the first ones and the
// report engine prints the rest in further blocks of those columns.
constexpr int kNutrientCodeLength = 3;
constexpr int kNutrientStride = kNutrientCodeLength + 1;
const QString kNutrientParameter = QStringLiteral("P_NUTRIENTE%1");

const QString kSim = QStringLiteral("S");
const QString kNao = QStringLiteral("N");
const QString kMatriz = QStringLiteral("M");
const QString kFilialLicenciada = QStringLiteral("F");
const QString kTodos = QStringLiteral("T");
const QString kNenhum = QStringLiteral("X");
const QString kSemFilialNdpCal = QStringLiteral("XXXX");
const QChar kDialogTextSeparator = QLatin1Char('|');

// Runs `check`; when it fails, `control` gets the focus and the failure goes on unchanged.
template <class Check> void focusOnFailure(QWidget* control, Check&& check)
{
    try {
        check();
    } catch (...) {
        if (control->isEnabled())
            control->setFocus(Qt::OtherFocusReason);
        throw;
    }
}

// A code box written by code: only a text that differs is a change (and fires OnChange).
void writeCode(TMaskEdit* edit, const QString& text)
{
    if (edit->Text() != text)
        edit->setText(text);
}

// The current row's text of `field`; empty while the data set is closed.
QString currentText(TDataSet* dataSet, const QString& field)
{
    return dataSet->Active() ? dataSet->FieldByName(field)->AsString() : QString();
}

// The codes of `field` over every row of `dataSet`, in its order, joined by "_".
QString joinCodes(TDataSet* dataSet, const QString& field)
{
    QStringList codes;
    for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
        codes << dataSet->FieldByName(field)->AsString();
    return codes.join(Pesqlista::kSeparator);
}

void setParamValue(TParams& params, const QString& name, const QVariant& value)
{
    if (Qrddlgs::ExistParam(params, name))
        params.ParamByName(name).setValue(value);
}

void setParamText(TParams& params, const QString& name, const QString& text)
{
    if (Qrddlgs::ExistParam(params, name))
        params.ParamByName(name).setAsString(text);
}

// The n-th code of the list (from 0) goes to P_NUTRIENTEn+1: declared parameters past the last
// code receive an empty text, codes past the declared parameters a parameter of their own.
void bindNutrientCodes(TParams& params, const QString& codes)
{
    static const QRegularExpression numbered(QStringLiteral("^P_NUTRIENTE([1-9][0-9]*)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto codeAt = [&](int column) { return codes.mid(column * kNutrientStride, kNutrientCodeLength); };
    for (int i = 0; i < params.Count(); ++i)
        if (const QRegularExpressionMatch match = numbered.match(params.Items(i).Name()); match.hasMatch())
            params.Items(i).setAsString(codeAt(match.captured(1).toInt() - 1));
    for (int column = 0; !codeAt(column).isEmpty(); ++column) {
        const QString name = kNutrientParameter.arg(column + 1);
        if (!Qrddlgs::ExistParam(params, name))
            params.Add(name, Qr::TFieldType::ftString).setAsString(codeAt(column));
    }
}

// Both parameters of a pair, or neither when the layout lacks one of them.
void setParamPair(TParams& params, const QString& first, const QVariant& firstValue, const QString& second,
                  const QVariant& secondValue)
{
    if (!Qrddlgs::ExistParam(params, first) || !Qrddlgs::ExistParam(params, second))
        return;
    params.ParamByName(first).setValue(firstValue);
    params.ParamByName(second).setValue(secondValue);
}

bool isTextAnswer(const QVariant& answer)
{
    const int type = answer.typeId();
    return type == QMetaType::QString || type == QMetaType::QByteArray;
}
} // namespace

TfrmNutriCard::TfrmNutriCard(Kav::ClientContext& context, const NutriCardUnit& unit, QWidget* parent)
    : TfrmDadosGerRel(context, parent), m_unit(unit)
{}

TfrmNutriCard::~TfrmNutriCard()
{
    // However the form goes (the host closing with it open included), the unit never keeps a
    // pointer to a form that no longer exists.
    if (m_unit.frmNutriCard == this) {
        m_unit.frmNutriCard = nullptr;
        m_unit.boIdCriado = false;
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
    TfrmNutriCardComponents::setupBindings(*this);
    m_servChoice = new ListChoiceLabel(sbtServico, *msgPadrao);
    m_nutrChoice = new ListChoiceLabel(sbtNutriente, *msgPadrao);
    m_tpratoChoice = new ListChoiceLabel(btpTipoPrat, *msgPadrao);
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
    Kavenso::AtualizaLocalCache({QStringLiteral("FILIAL")});
    qryFilial->Close();
    qryFilial->ParamByName(QStringLiteral("P_CDFILIAL"))->setAsString(Kavenso::FiliProc());
    qryFilial->Open();
    // A branch the query does not find reads as empty fields, and so as linked to no central.
    if (currentText(qryFilial, QStringLiteral("IDFILCENTZVE")) == kSim) {
        acceptCentral(currentText(qryFilial, QStringLiteral("CDFILIAL")),
                      currentText(qryFilial, QStringLiteral("NMFILIAL")));
    } else if (Consiste::EmptyString(currentText(qryFilial, QStringLiteral("CDFILCENTZVE")))) {
        Consiste::MensErro(msgPadrao->Msg(QStringLiteral("N_Filial_Centr")), false);
        Close();
    } else {
        acceptCentral(currentText(qryFilial, QStringLiteral("CDFILCENTZVE")),
                      currentText(qryFilial, QStringLiteral("NMFILCENTZVE")));
    }
}

void TfrmNutriCard::acceptCentral(const QString& code, const QString& name)
{
    const QString answer = Kavenso::ModuFili(code, true);
    if (answer == kMatriz || answer == kFilialLicenciada) {
        medCdFilial->setText(code);
        edtNmFilial->setText(name);
        return;
    }
    Consiste::MensErro(answer.mid(kModuFiliPrefix), false);
    // The form being created closes itself; creation then ends normally and nothing is shown.
    Close();
}

void TfrmNutriCard::FormActivate(QObject* Sender)
{
    TfrmDadosGerRel::FormActivate(Sender);
    if (!boPrimeiraAtivacao)
        return;
    const Showavi::Guard busy(window(), Showavi::kProcessando);
    netNutriCard->setConnected(true);
    qryParamGeral->Open();
    depIniPeriodo->Clear();
    depFinPeriodo->Clear();
    qryPrato->FieldByName(QStringLiteral("CDPRATO"))->setEditMask(Kavenso::DBPict(Kavenso::kPictPrato));
    m_unit.ListaNutr.clear();
    m_unit.ListaServ.clear();
    m_unit.ListaServPesq.clear();
    m_unit.ListaTPrato.clear();
    showListChoices();
    boPrimeiraAtivacao = false;
    medCdTipoCard->setFocus(Qt::OtherFocusReason);
    applyPrintOptions();
}

void TfrmNutriCard::FormClose(QObject* Sender, TCloseAction& Action)
{
    netNutriCard->setConnected(false);
    // Only the unit's own instance is forgotten: closing any other form of this class must not
    // make the unit lose the live one and open a second.
    const bool isTheInstance = m_unit.frmNutriCard == this;
    if (isTheInstance)
        m_unit.boIdCriado = false;
    TfrmDadosGerRel::FormClose(Sender, Action);
    if (isTheInstance)
        m_unit.frmNutriCard = nullptr;
}

void TfrmNutriCard::netNutriCardBeforeConnect(QObject*)
{
    netNutriCard->setHost(Kavenso::WebURL());
    netNutriCard->setPort(Kavenso::WebPort());
}

void TfrmNutriCard::raiseMessage(const QString& key) const
{
    Consiste::MensErro(msgPadrao->Msg(key), true);
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

// ---- menu type

void TfrmNutriCard::Vd_TipoCard(bool Obrigatorio)
{
    focusOnFailure(medCdTipoCard, [&] {
        const QString code = Consiste::Ajusta(medCdTipoCard->Text(), kTipoCardWidth);
        const bool empty = Consiste::EmptyString(code);
        // Written back before any query, empty or not; a changed text clears what depended on
        // the code.
        writeCode(medCdTipoCard, code);
        if (empty) {
            if (Obrigatorio)
                raiseMessage(QStringLiteral("TpCard_Inf"));
            return;
        }
        qryTipoCard->Close();
        qryTipoCard->ParamByName(QStringLiteral("P_CDFILCENTZVE"))->setAsString(medCdFilial->Text());
        qryTipoCard->ParamByName(QStringLiteral("P_CDTIPOCARD"))->setAsString(medCdTipoCard->Text());
        qryTipoCard->Open();
        if (qryTipoCard->IsEmpty())
            raiseMessage(QStringLiteral("TpCard_NCad"));
        // The name stays on screen when the type is then refused as inactive.
        edtNmTipoCard->setText(currentText(qryTipoCard, QStringLiteral("NMTIPOCARD")));
        if (currentText(qryTipoCard, QStringLiteral("IDTPCARDATIV")) == kNao)
            raiseMessage(QStringLiteral("TipoCard_Inativ"));
    });
}

void TfrmNutriCard::medCdTipoCardExit(QObject*)
{
    Vd_TipoCard(false);
}

void TfrmNutriCard::medCdTipoCardChange(QObject*)
{
    edtNmTipoCard->clear();
    depIniPeriodo->Clear();
    depFinPeriodo->Clear();
    edtDsCardZVE->clear();
}

void TfrmNutriCard::btpTipoCardBeforePesq(QObject*, bool&)
{
    // Every menu type of the central branch, inactive ones included.
    qryTipoCard->Close();
    qryTipoCard->ParamByName(QStringLiteral("P_CDFILCENTZVE"))->setAsString(medCdFilial->Text());
    qryTipoCard->ParamByName(QStringLiteral("P_CDTIPOCARD"))->setAsString(QString());
    qryTipoCard->Open();
}

void TfrmNutriCard::btpTipoCardAfterPesq(QObject*)
{
    // The code first: its change clears the name, which is then written.
    writeCode(medCdTipoCard, currentText(qryTipoCard, QStringLiteral("CDTIPOCARD")));
    edtNmTipoCard->setText(currentText(qryTipoCard, QStringLiteral("NMTIPOCARD")));
}

// ---- period

void TfrmNutriCard::btpPeriodoBeforePesq(QObject*, bool&)
{
    Vd_TipoCard(false);
    const QVariant answer = server().GetPesqPeriodoCard(medCdFilial->Text(), medCdTipoCard->Text());
    cdsPeriodo->setData(Consiste::CheckResultServ(answer, true, 0));
    if (cdsPeriodo->IsEmpty())
        raiseMessage(QStringLiteral("N_HA_CARD_CAD"));
}

void TfrmNutriCard::btpPeriodoAfterPesq(QObject*)
{
    depIniPeriodo->SetDate(cdsPeriodo->FieldByName(QStringLiteral("DTINICARDZVE"))->AsDateTime());
    depFinPeriodo->SetDate(cdsPeriodo->FieldByName(QStringLiteral("DTFINCARDZVE"))->AsDateTime());
    edtDsCardZVE->setText(currentText(cdsPeriodo, QStringLiteral("DSCARDZVE")));
}

void TfrmNutriCard::Vd_Data()
{
    try {
        if (Consiste::EmptyString(depIniPeriodo->text()) && Consiste::EmptyString(depFinPeriodo->text()))
            raiseMessage(QStringLiteral("Periodo_Inf"));
    } catch (...) {
        // The dates cannot be typed: the way to fix them is the period lookup.
        btpPeriodo->SetFocus();
        throw;
    }
}

// ---- service, nutrient and dish-type lists

void TfrmNutriCard::rbtListaServClick(QObject*)
{
    sbtServico->setEnabled(rbtListaServ->isChecked());
    showListChoices();
}

QString TfrmNutriCard::reportPeriod() const
{
    if (Consiste::EmptyString(depIniPeriodo->text()) || Consiste::EmptyString(depFinPeriodo->text()))
        return {};
    const QString format = QStringLiteral("dd-MM-yyyy");
    return QStringLiteral("%1 a %2").arg(depIniPeriodo->GetDate().toString(format),
                                         depFinPeriodo->GetDate().toString(format));
}

void TfrmNutriCard::showListChoices()
{
    m_servChoice->showChoice(rbtListaServ->isChecked(), m_unit.ListaServPesq);
    m_nutrChoice->showChoice(rbtListaNutr->isChecked(), m_unit.ListaNutr);
    m_tpratoChoice->showChoice(rbtListaTPrato->isChecked(), m_unit.ListaTPrato);
}

void TfrmNutriCard::rbtListaServKeyDown(QObject* Sender, quint16& Key, Qt::KeyboardModifiers)
{
    if (Key == kVkF9)
        sbtServicoClick(Sender);
}

void TfrmNutriCard::loadServices()
{
    const QVariant answer = server().GetServico(medCdFilial->Text(), medCdTipoCard->Text());
    cdsServico->setData(Consiste::CheckResultServ(answer, true, 0));
}

void TfrmNutriCard::sbtServicoClick(QObject*)
{
    loadServices();
    const QString texto = msgPadrao->Msg(QStringLiteral("SERVICO")) + kDialogTextSeparator +
                          msgPadrao->Msg(QStringLiteral("Serv_cad"));
    Pesqlista::PesquisaLista(dtsServico, QStringLiteral("CDSERVFILI"), texto, false, m_unit.ListaServPesq);
    showListChoices();
}

void TfrmNutriCard::rbtListaNutrClick(QObject*)
{
    sbtNutriente->setEnabled(rbtListaNutr->isChecked());
    // A "Lista" choice always starts from an empty list.
    m_unit.ListaNutr.clear();
    showListChoices();
}

void TfrmNutriCard::rbtListaNutrKeyDown(QObject* Sender, quint16& Key, Qt::KeyboardModifiers)
{
    if (Key == kVkF9)
        sbtNutrienteClick(Sender);
}

void TfrmNutriCard::sbtNutrienteClick(QObject*)
{
    qryNutriente->Close();
    qryNutriente->Open();
    Pesqlista::PesquisaLista(dtsNutriente, QStringLiteral("CDNUTRIENTE"),
                             msgPadrao->Msg(QStringLiteral("NUTRIENTE")), false, m_unit.ListaNutr,
                             msgPadrao->Msg(QStringLiteral("Nutr_Blocos")));
    showListChoices();
}

void TfrmNutriCard::rbtTodoTPratoClick(QObject*)
{
    btpTipoPrat->setEnabled(rbtListaTPrato->isChecked());
    showListChoices();
}

void TfrmNutriCard::rbtListaTPratoClick(QObject* Sender)
{
    rbtTodoTPratoClick(Sender);
}

void TfrmNutriCard::btpTipoPratClick(QObject*)
{
    qryTipoPrat->Close();
    qryTipoPrat->Open();
    const QString texto = msgPadrao->Msg(QStringLiteral("TipoPrato")) + kDialogTextSeparator +
                          msgPadrao->Msg(QStringLiteral("TPrato_NCad"));
    Pesqlista::PesquisaLista(dtsTipoPrat, QStringLiteral("CDTIPOPRAT"), texto, false, m_unit.ListaTPrato);
    showListChoices();
}

void TfrmNutriCard::MontaListaServ()
{
    m_unit.ListaServ = m_unit.ListaServPesq;
    if (rbtTodosServ->isChecked()) {
        loadServices();
        m_unit.ListaServ = joinCodes(cdsServico, QStringLiteral("CDSERVFILI"));
    }
    if (rbtTodosNutr->isChecked()) {
        qryNutriente->Close();
        qryNutriente->Open();
        m_unit.ListaNutr = joinCodes(qryNutriente, QStringLiteral("CDNUTRIENTE"));
    }
    // Dish types are not completed: the report receives "all" by its parameters.
}

void TfrmNutriCard::Vd_ListaServ(bool Obrigatorio)
{
    focusOnFailure(rbtListaServ, [&] {
        if (Obrigatorio && rbtListaServ->isChecked() && Consiste::EmptyString(m_unit.ListaServ))
            raiseMessage(QStringLiteral("SERV_DEVE"));
    });
    // "Todos" found no service: the user cannot pick one, the menu type has none.
    focusOnFailure(medCdTipoCard, [&] {
        if (Obrigatorio && rbtTodosServ->isChecked() && Consiste::EmptyString(m_unit.ListaServ))
            raiseMessage(QStringLiteral("TpCard_NServ"));
    });
}

void TfrmNutriCard::Vd_ListaNutr(bool Obrigatorio)
{
    focusOnFailure(rbtListaNutr, [&] {
        if (Obrigatorio && rbtListaNutr->isChecked() && Consiste::EmptyString(m_unit.ListaNutr))
            raiseMessage(QStringLiteral("NUTR_DEVE"));
    });
}

void TfrmNutriCard::Vd_ListaTPrato()
{
    focusOnFailure(rbtListaTPrato, [&] {
        if (rbtListaTPrato->isChecked() && Consiste::EmptyString(m_unit.ListaTPrato)) {
            rbtListaTPrato->setFocus(Qt::OtherFocusReason);
            raiseMessage(QStringLiteral("TPrato_Inf"));
        }
    });
}

void TfrmNutriCard::openDishes()
{
    qryPrato->Close();
    qryPrato->ParamByName(QStringLiteral("P_CDFILIAL"))->setAsString(medCdFilial->Text());
    qryPrato->ParamByName(QStringLiteral("P_CDNVPRATO"))
        ->setValue(QString::number(Kavenso::DBPictObj(Kavenso::kPictPrato)->GetTtNiveis()));
    qryPrato->Open();
}

void TfrmNutriCard::btpPrat1BeforePesq(QObject*, bool&)
{
    openDishes();
}

void TfrmNutriCard::btpPrat2BeforePesq(QObject*, bool&)
{
    openDishes();
}

// ---- specific aggregated branch

void TfrmNutriCard::chbEspecificoClick(QObject*)
{
    const bool checked = chbEspecifico->isChecked();
    lblFiliAgre->setEnabled(checked);
    medCdFiliAgre->setEnabled(checked);
    btpFiliAgre->setEnabled(checked);
    Kav::setColor(medCdFiliAgre,
                  Consiste::iif(checked, QStringLiteral("clInfoBk"), QStringLiteral("clBtnFace")).toString());
    if (checked) {
        medCdFiliAgre->setFocus(Qt::OtherFocusReason);
    } else {
        medCdFiliAgre->clear();
        edtNmFiliAgre->clear();
    }
}

void TfrmNutriCard::btpFiliAgreBeforePesq(QObject*, bool&)
{
    // Left closed: the lookup opens it.
    qryFilAgre->Close();
    qryFilAgre->ParamByName(QStringLiteral("P_CDFILCENTZVE"))->setAsString(medCdFilial->Text());
    qryFilAgre->ParamByName(QStringLiteral("P_CDTIPOCARD"))->setAsString(medCdTipoCard->Text());
    qryFilAgre->ParamByName(QStringLiteral("P_CDFILIAL"))->Clear();
}

void TfrmNutriCard::btpFiliAgreAfterPesq(QObject*)
{
    medCdFiliAgre->setText(currentText(qryFilAgre, QStringLiteral("CDFILIAL")));
    edtNmFiliAgre->setText(currentText(qryFilAgre, QStringLiteral("NMFILIAL")));
}

void TfrmNutriCard::Vd_FilialAgre(bool Obrigatorio)
{
    if (!chbEspecifico->isChecked())
        return;
    focusOnFailure(medCdFiliAgre, [&] {
        if (Consiste::EmptyString(medCdFiliAgre->Text())) {
            if (Obrigatorio)
                raiseMessage(QStringLiteral("FILI_AGRE_DEVE"));
            return;
        }
        writeCode(medCdFiliAgre, Consiste::Ajusta(medCdFiliAgre->Text(), kFilialWidth));

        qryFilial->Close();
        qryFilial->ParamByName(QStringLiteral("P_CDFILIAL"))->setAsString(medCdFiliAgre->Text());
        qryFilial->Open();
        if (qryFilial->IsEmpty())
            raiseMessage(QStringLiteral("FILI_NAO_CAD"));
        const QString central = currentText(qryFilial, QStringLiteral("CDFILCENTZVE"));
        if (currentText(qryFilial, QStringLiteral("IDFILCENTZVE")) == kNao) {
            if (Consiste::EmptyString(central))
                raiseMessage(QStringLiteral("Fil_N_Central"));
            if (central != medCdFilial->Text())
                raiseMessage(QStringLiteral("FiliAgre_cad"));
        } else if (Consiste::EmptyString(central)) {
            // Not compared with the central branch: the next query filters by it.
            raiseMessage(QStringLiteral("FiliAgre_cad"));
        }

        qryFilAgre->Close();
        qryFilAgre->ParamByName(QStringLiteral("P_CDFILCENTZVE"))->setAsString(medCdFilial->Text());
        qryFilAgre->ParamByName(QStringLiteral("P_CDTIPOCARD"))->setAsString(medCdTipoCard->Text());
        qryFilAgre->ParamByName(QStringLiteral("P_CDFILIAL"))->setAsString(medCdFiliAgre->Text());
        qryFilAgre->Open();
        if (qryFilAgre->IsEmpty())
            raiseMessage(QStringLiteral("Fil_N_TpCard"));
        edtNmFiliAgre->setText(currentText(qryFilAgre, QStringLiteral("NMFILIAL")));
    });
}

void TfrmNutriCard::grbEspecificoExit(QObject*)
{
    Vd_FilialAgre(false);
}

// ---- output commands. Each checks the criteria and has the report data prepared before it
// hands over to the base command.

void TfrmNutriCard::prepareOutput(ListCheckOrder order)
{
    Vd_FilialAgre(true);
    const Showavi::Guard busy(window(), Showavi::kProcessando);
    Vd_TipoCard(true);
    Vd_Data();
    MontaListaServ();
    if (order == ListCheckOrder::A) {
        Vd_ListaServ(true);
        Vd_ListaNutr(true);
        Vd_ListaTPrato();
    } else {
        Vd_ListaTPrato();
        Vd_ListaServ(true);
        Vd_ListaNutr(true);
    }
    PrepImp();
    PreparedReportData::requirePresent(m_unit.NrSequNutr, msgPadrao->Msg(QStringLiteral("Dados_Prep_NEnc")));
}

void TfrmNutriCard::PrepImp()
{
    // The branch is a copy: what the server writes back into it is dropped.
    QString filialRel = chbEspecifico->isChecked() ? medCdFiliAgre->Text() : medCdFilial->Text();
    QString tipoRel = QStringLiteral("NL");
    if (isChosenLayout(QStringLiteral("04")) || isChosenLayout(QStringLiteral("05")))
        tipoRel[0] = QLatin1Char('S');
    else if (isChosenLayout(QStringLiteral("07")))
        tipoRel[0] = QLatin1Char('D');
    if (rbtTodosNutr->isChecked())
        tipoRel[1] = QLatin1Char('T');

    const QVariant answer = server().CriaNutriCard(
        medCdFilial->Text(), filialRel, m_unit.ListaNutr, m_unit.ListaServ, depIniPeriodo->GetDate(),
        depFinPeriodo->GetDate(), false, false, chbNDPCal->isChecked(), medCdTipoCard->Text(), tipoRel);
    if (isTextAnswer(answer))
        throw Kav::Exception(answer.toString());
    const QVariantList values = answer.toList();
    if (values.size() != 2)
        throw Kav::Exception(msgPadrao->Msg(QStringLiteral("Prepara_Resp_Inesp")));
    m_unit.NrSequNutr = values.at(0).toString();
    m_preparedDataDeleted = false;
    m_unit.ListaNutrRel = values.at(1).toString();
    if (m_unit.NrSequNutr.size() > kMaxKeyLength)
        Consiste::MensErro(m_unit.NrSequNutr, true);
}

NutriCardServer TfrmNutriCard::server() const
{
    return NutriCardServer(netNutriCard, [this](const QString& key) { return msgPadrao->Msg(key); });
}

void TfrmNutriCard::deletePreparedData()
{
    if (m_preparedDataDeleted)
        return;
    m_preparedDataDeleted = true;
    const QString answer = server().DelNutriCard(m_unit.NrSequNutr).toString();
    if (!Consiste::EmptyString(answer))
        Consiste::MensErro(answer, true);
}

bool TfrmNutriCard::runOutput(ListCheckOrder order, const std::function<void()>& output)
{
    // The counter and "Cancelar" of the preparation go on while its data are read and laid out.
    const Kav::CallAnswerHandling answer;
    prepareOutput(order);
    output();
    // Stopped before any output: nobody will read the prepared rows.
    if (answer.cancelled())
        deletePreparedData();
    return answer.cancelled();
}

// Printed or not (the print dialog cancelled, the question about missing columns declined),
// nobody reads a print's or a preview's prepared data after its command.
void TfrmNutriCard::sbtPrintClick(QObject* Sender)
{
    runOutput(ListCheckOrder::A, [&] { TfrmDadosGerRel::sbtPrintClick(Sender); });
    deletePreparedData();
}

void TfrmNutriCard::sbtPreviewClick(QObject* Sender)
{
    runOutput(ListCheckOrder::B, [&] { TfrmDadosGerRel::sbtPreviewClick(Sender); });
    deletePreparedData();
}

void TfrmNutriCard::sbtSalvarComoClick(QObject* Sender)
{
    runOutput(ListCheckOrder::A, [&] { TfrmDadosGerRel::sbtSalvarComoClick(Sender); });
}

void TfrmNutriCard::sbtReportEditClick(QObject* Sender)
{
    runOutput(ListCheckOrder::A, [&] { TfrmDadosGerRel::sbtReportEditClick(Sender); });
}

void TfrmNutriCard::mnuSalvarTextoClick(QObject* Sender)
{
    // The menu item is reached on its own (the save-as button's context menu), not from inside
    // a save-as command: without a preparation of its own it would save the data of an earlier
    // command, already deleted after a print or a preview.
    if (!runOutput(ListCheckOrder::A, [&] { TfrmDadosGerRel::mnuSalvarTextoClick(Sender); }))
        deletePreparedData();
}

void TfrmNutriCard::rpddPadraoQRPAfterPrint(QObject*)
{
    deletePreparedData();
}

void TfrmNutriCard::rpddPadraoQRPAfterPreview(QObject*)
{
    deletePreparedData();
}

// ---- report query parameters: every criterion the chosen layout's query declares

void TfrmNutriCard::rpddPadraoBeforeGetQueryParams(TParams& Params, bool&)
{
    setParamValue(Params, QStringLiteral("P_CDFILCENTZVE"), medCdFilial->Text());
    setParamValue(Params, QStringLiteral("P_NMFILCENTZVE"), edtNmFilial->text());
    // The aggregated branch as it stands, also when "Específico" is not checked.
    setParamValue(Params, QStringLiteral("P_CDFILIAGRE"), medCdFiliAgre->Text());
    setParamValue(Params, QStringLiteral("P_NMFILIAGRE"), edtNmFiliAgre->text());
    setParamValue(Params, QStringLiteral("P_CDSERVFILI"), m_unit.ListaServ);
    setParamValue(Params, QStringLiteral("P_CDFILAUXPRAT"),
                  currentText(qryVdPrato, QStringLiteral("CDFILAUXPRAT")));
    setParamValue(Params, QStringLiteral("P_NRCARDZVE"),
                  currentText(cdsPeriodo, QStringLiteral("NRCARDZVE")));
    setParamValue(Params, QStringLiteral("P_CDTIPOCARD"), medCdTipoCard->Text());
    setParamValue(Params, QStringLiteral("P_NMTIPOCARD"), edtNmTipoCard->text());
    setParamValue(Params, QStringLiteral("P_NRSEQUNUTR"), m_unit.NrSequNutr);
    setParamValue(Params, QStringLiteral("P_DTINICIAL"), depIniPeriodo->GetDate());
    setParamValue(Params, QStringLiteral("P_DTFINAL"), depFinPeriodo->GetDate());
    setParamText(Params, QStringLiteral("P_DTPERIINI"), depIniPeriodo->text());
    setParamText(Params, QStringLiteral("P_DTPERIFIN"), depFinPeriodo->text());
    setParamValue(Params, QStringLiteral("P_NDPCAL"), chbNDPCal->isChecked() ? kSim : kNao);
    setParamValue(Params, QStringLiteral("P_FILNDPCAL"),
                  chbNDPCal->isChecked() ? medCdFilial->Text() : kSemFilialNdpCal);
    if (rbtTodoTPrato->isChecked())
        setParamPair(Params, QStringLiteral("P_LISTATPRATO"), kNenhum, QStringLiteral("P_TODOSTPRATO"),
                     kTodos);
    else
        setParamPair(Params, QStringLiteral("P_LISTATPRATO"), m_unit.ListaTPrato,
                     QStringLiteral("P_TODOSTPRATO"), kNenhum);
    if (chbOpcao->isChecked())
        setParamPair(Params, QStringLiteral("P_OPCAO"), kNenhum, QStringLiteral("P_TODASOPCAO"), kTodos);
    else
        setParamPair(Params, QStringLiteral("P_OPCAO"), kNao, QStringLiteral("P_TODASOPCAO"), kNenhum);
    // For good: a later run finds the list without its leading separator.
    if (m_unit.ListaNutrRel.startsWith(Pesqlista::kSeparator))
        m_unit.ListaNutrRel.remove(0, 1);
    bindNutrientCodes(Params, m_unit.ListaNutrRel);
}
