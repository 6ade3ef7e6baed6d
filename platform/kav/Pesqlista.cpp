#include "Pesqlista.h"

#include "CheckListDialog.h"
#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"
#include "ListRows.h"
#include "TDataSource.h"

#include <QApplication>
#include <QSet>

namespace Pesqlista {

namespace {
const QChar kEmptyTextMark = QLatin1Char('|');
const QString kPesqlistaCancel = QStringLiteral("cancel");
const QString kNone = QStringLiteral("none");

// The rows' keys named by an automated answer, in the rows' order.
std::optional<QStringList> answeredKeys(const QString& answer, const Kav::ListRows& rows,
                                        const QString& title)
{
    if (answer == kPesqlistaCancel)
        return std::nullopt;
    if (answer == kNone)
        return QStringList();
    QSet<QString> wanted;
    for (const QString& key : answer.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        wanted.insert(key);
    QSet<QString> known;
    QStringList keys;
    for (const QString& key : rows.keys) {
        known.insert(key.trimmed());
        if (wanted.contains(key.trimmed()))
            keys.append(key);
    }
    for (const QString& key : std::as_const(wanted)) {
        if (!known.contains(key))
            throw Kav::Exception(QStringLiteral("A lista \"%1\" não tem o código %2.").arg(title, key));
    }
    return keys;
}
} // namespace

bool PesquisaLista(TDataSource* dataSource, const QString& keyField, const QString& texto, bool marcarTodos,
                   QString& list)
{
    return PesquisaLista(dataSource, keyField, texto, marcarTodos, list, QString());
}

bool PesquisaLista(TDataSource* dataSource, const QString& keyField, const QString& texto, bool marcarTodos,
                   QString& list, const QString& note)
{
    if (!dataSource || !dataSource->DataSet())
        throw Kav::Exception(QStringLiteral("A lista \"%1\" não tem um conjunto de dados.").arg(texto));
    TDataSet* dataSet = dataSource->DataSet();
    const qsizetype mark = texto.indexOf(kEmptyTextMark);
    const QString title = mark < 0 ? texto : texto.left(mark);
    if (!dataSet->Active())
        dataSet->Open();
    if (dataSet->IsEmpty() && mark >= 0) {
        Kav::dialogs().showError(texto.mid(mark + 1));
        return false;
    }

    const Kav::ListRows rows = Kav::readListRows(dataSet, keyField);
    std::optional<QStringList> chosen;
    if (const auto answer = Kav::dialogs().takeAnswer(Kav::DialogKind::List, title)) {
        chosen = answeredKeys(*answer, rows, title);
    } else {
        const QStringList current = list.split(kSeparator, Qt::SkipEmptyParts);
        QSet<QString> checked(current.cbegin(), current.cend());
        if (current.isEmpty() && marcarTodos)
            checked = QSet<QString>(rows.keys.cbegin(), rows.keys.cend());
        CheckListDialog dialog(title, rows, checked, QApplication::activeWindow());
        dialog.setNote(note);
        if (dialog.exec() == QDialog::Accepted)
            chosen = dialog.checkedKeys();
    }
    if (!chosen)
        return false;
    // A code listed twice by the data set is written once.
    chosen->removeDuplicates();
    list = chosen->join(kSeparator);
    return true;
}

} // namespace Pesqlista
