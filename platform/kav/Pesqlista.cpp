#include "Pesqlista.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "KavException.h"
#include "ListRows.h"
#include "TDataSource.h"

#include <QSet>

namespace Pesqlista {

namespace {
const QChar kEmptyTextMark = QLatin1Char('|');
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

    Kav::KeysQuestion question;
    question.title = title;
    question.rows = Kav::readListRows(dataSet, keyField);
    question.note = note;
    const QStringList current = list.split(kSeparator, Qt::SkipEmptyParts);
    question.checked = QSet<QString>(current.cbegin(), current.cend());
    if (current.isEmpty() && marcarTodos)
        question.checked = QSet<QString>(question.rows.keys.cbegin(), question.rows.keys.cend());
    std::optional<QStringList> chosen = Kav::dialogs().chooseKeys(question);
    if (!chosen)
        return false;
    // A code listed twice by the data set is written once.
    chosen->removeDuplicates();
    list = chosen->join(kSeparator);
    return true;
}

} // namespace Pesqlista
