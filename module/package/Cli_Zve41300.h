#pragma once
// The unit of the screen "Nutrientes do Cardápio": its one form instance, the created flag, the
// form factory, and the selection texts the form's handlers share (codes joined by "_").

#include "NutriCardUnit.h"

#include <functional>
#include <QString>
#include <QtGlobal>

namespace Kav {
class ClientContext;
}

namespace Cli_Zve41300 {

// The client context of the host that last called the package (AttachClientContext), in which
// the form is created; null until a host gave one.
extern Kav::ClientContext* hostContext;

// The form, or null. Stored before the form's creation handler runs; cleared by its close.
extern Q_DECL_EXPORT TfrmNutriCard* frmNutriCard;
// The factory has created a form that exists.
extern Q_DECL_EXPORT bool boIdCriado;

extern QString ListaServPesq; // services picked in the service dialog
extern QString ListaServ;     // services the report covers
extern QString ListaNutr;     // nutrients, picked or all
extern QString ListaTPrato;   // dish types picked
extern QString NrSequNutr;    // key of the data prepared for the last output command
extern QString ListaNutrRel;  // nutrient codes of the report's columns, as the server returns them

// The state above, as the unit hands it to the forms it creates.
extern Q_DECL_EXPORT const NutriCardUnit unit;

// Creates the form once, in the host's context, and shows it; later calls show the same form
// again at its normal size. Errors of the creation pass to the caller (a Kav::Exception when no
// host gave a context).
Q_DECL_EXPORT void CriaNutriCard();
// The same with another create-form operation, which must store the form in frmNutriCard before
// the form's creation handler runs (tests give it a form class of their own).
void CriaNutriCard(const std::function<void()>& createForm);

} // namespace Cli_Zve41300

// Package plumbing: the host hands the package its client context before calling an entry.
extern "C" Q_DECL_EXPORT void AttachClientContext(Kav::ClientContext* context);

// The package's entry, called by the host by this plain name. Nothing raised gets out: errors
// are shown by the host's dialogs.
extern "C" Q_DECL_EXPORT void IniProc();
