#pragma once
// The state of the unit Cli_Zve41300 that its form works with, as references to the unit's own
// variables (the package exports them under the unit's names, and says there what each holds):
// the one form instance and the created flag, which the form clears when it goes, and the
// selection texts its handlers share. The package hands it to every form it creates, so the form
// needs nothing of the package.

#include <QString>

class TfrmNutriCard;

struct NutriCardUnit
{
    TfrmNutriCard*& frmNutriCard;
    bool& boIdCriado;
    QString& ListaServPesq;
    QString& ListaServ;
    QString& ListaNutr;
    QString& ListaTPrato;
    QString& NrSequNutr;
    QString& ListaNutrRel;
};
