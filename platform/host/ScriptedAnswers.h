#pragma once
// Reads the words of an answer given beforehand into the typed answer of its question. Every
// kind takes "cancel" (nullopt, or false); an answer that does not fit its question throws
// Kav::Exception saying in Portuguese what was wrong.
//
//   row      N (from 1) | FIELD=VALUE (the first row whose field reads VALUE)
//   keys     KEY KEY ... (exactly these, each a row's key) | none
//   page     PAPER portrait|landscape LEFT TOP RIGHT BOTTOM (margins in mm)
//   confirm  yes | no
//   edit     save | preview (the trial preview, then cancelled)
//   text     the text itself
//   file     a path

#include "DialogQuestions.h"

namespace Kav::ScriptedAnswers {

inline const QString kCancel = QStringLiteral("cancel");

std::optional<int> row(const QString& answer, const RowQuestion& question);
std::optional<QStringList> keys(const QString& answer, const KeysQuestion& question);
std::optional<PageChoice> page(const QString& answer, const PageQuestion& question);
bool confirmed(const QString& answer, const QString& question);

enum class EditAnswer { Save, TryOut, Cancel };
EditAnswer edit(const QString& answer, const EditQuestion& question);

// Text and file answers take any words but "cancel".
std::optional<QString> text(const QString& answer);

} // namespace Kav::ScriptedAnswers
