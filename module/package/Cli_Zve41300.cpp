#include "Cli_Zve41300.h"

#include "FormFactory.h"
#include "KavException.h"
#include "TfrmNutriCard.h"

#include <QApplication>
#include <QScopeGuard>

namespace Cli_Zve41300 {

Kav::ClientContext* hostContext = nullptr;
TfrmNutriCard* frmNutriCard = nullptr;
bool boIdCriado = false;
QString ListaServPesq;
QString ListaServ;
QString ListaNutr;
QString ListaTPrato;
QString NrSequNutr;
QString ListaNutrRel;

const NutriCardUnit unit{frmNutriCard, boIdCriado,  ListaServPesq, ListaServ,
                         ListaNutr,    ListaTPrato, NrSequNutr,    ListaNutrRel};

namespace {

// The hour-glass while the form is made, back to normal on every way out.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

Kav::ClientContext& givenContext()
{
    if (!hostContext)
        throw Kav::Exception(
            QStringLiteral("A tela Nutrientes do Cardápio foi chamada sem o contexto do cliente."));
    return *hostContext;
}

} // namespace

void CriaNutriCard()
{
    CriaNutriCard([] { Frm::createForm(frmNutriCard, givenContext(), unit); });
}

void CriaNutriCard(const std::function<void()>& createForm)
{
    const WaitCursor waiting;
    if (!boIdCriado) {
        // The flag says whether a form exists, on every way out of the creation: a form that
        // refused to start closed itself (the next call tries again), and one whose first
        // activation failed stays open as the one instance (its next activation tries again).
        const auto settle = qScopeGuard([] { boIdCriado = frmNutriCard != nullptr; });
        createForm();
    }
    if (frmNutriCard) {
        frmNutriCard->Show();
        frmNutriCard->ShowNormal();
    }
}

} // namespace Cli_Zve41300
