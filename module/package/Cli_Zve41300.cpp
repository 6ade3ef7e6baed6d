#include "Cli_Zve41300.h"

#include "FormFactory.h"
#include "TfrmNutriCard.h"

#include <QApplication>

namespace Cli_Zve41300 {

TfrmNutriCard* frmNutriCard = nullptr;
bool boIdCriado = false;
QString ListaServPesq;
QString ListaServ;
QString ListaNutr;
QString ListaTPrato;
QString NrSequNutr;
QString ListaNutrRel;

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

} // namespace

void CriaNutriCard()
{
    CriaNutriCard([] { Frm::createForm(frmNutriCard); });
}

void CriaNutriCard(const std::function<void()>& createForm)
{
    const WaitCursor waiting;
    if (!boIdCriado) {
        createForm();
        // A form that refused to start closed itself while being created: the flag stays down
        // so that the next call tries again.
        boIdCriado = frmNutriCard != nullptr;
    }
    if (frmNutriCard) {
        frmNutriCard->Show();
        frmNutriCard->ShowNormal();
    }
}

} // namespace Cli_Zve41300
