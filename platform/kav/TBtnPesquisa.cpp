#include "TBtnPesquisa.h"

#include "ClientContext.h"
#include "DialogService.h"
#include "Events.h"
#include "KavException.h"
#include "ListRows.h"
#include "SearchGlyph.h"
#include "TDataSource.h"
#include "TField.h"

#include <QKeyEvent>

namespace {
constexpr int kButtonSide = 21;
constexpr int kLookupGlyphSide = 15;
const QString kNoRows = QStringLiteral("Nenhum registro encontrado.");

// The first listed row whose field reads `value` (hidden fields included).
std::optional<int> rowWhere(TDataSet* dataSet, const Kav::ListRows& rows, const QString& fieldName,
                            const QString& value)
{
    const TField* field = dataSet->FieldByName(fieldName);
    const int current = dataSet->RecNo();
    std::optional<int> found;
    for (int row = 0; row < rows.recNos.size() && !found; ++row) {
        dataSet->setRecNo(rows.recNos.at(row));
        if (field->AsString().trimmed() == value.trimmed())
            found = row;
    }
    dataSet->setRecNo(current);
    return found;
}
} // namespace

TBtnPesquisa::TBtnPesquisa(QWidget* parent) : QToolButton(parent)
{
    setFixedSize(kButtonSide, kButtonSide);
    setIcon(Kav::searchGlyph(kLookupGlyphSide));
    setIconSize(QSize(kLookupGlyphSide, kLookupGlyphSide));
    setAutoRaise(true);
    // Pressing it must not take the focus from the code box: that box's leave check would run
    // before the lookup.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QToolButton::clicked, this, [this] { Kav::runFromQt([this] { Execute(); }); });
}

void TBtnPesquisa::setAssociate(QObject* control)
{
    if (m_associate)
        m_associate->removeEventFilter(this);
    m_associate = control;
    if (m_associate)
        m_associate->installEventFilter(this);
}

void TBtnPesquisa::Execute()
{
    Kav::runHandler([this] {
        if (!Kav::fireEvent(this, "OnClick", Q_ARG(QObject*, this)))
            Pesquisa();
    });
}

TDataSet* TBtnPesquisa::listedDataSet() const
{
    const auto* source = qobject_cast<TDataSource*>(m_dataSource.data());
    if (!source || !source->DataSet())
        throw Kav::Exception(
            QStringLiteral("O botão de pesquisa %1 não tem um conjunto de dados.").arg(objectName()));
    return source->DataSet();
}

bool TBtnPesquisa::Pesquisa()
{
    bool proceed = true;
    Kav::fireEvent(this, "OnBeforePesq", Q_ARG(QObject*, this), Q_ARG(bool&, proceed));
    if (!proceed)
        return false;

    TDataSet* dataSet = listedDataSet();
    if (!dataSet->Active())
        dataSet->Open();
    if (dataSet->IsEmpty()) {
        Kav::dialogs().showError(m_emptyError.isEmpty() ? kNoRows : m_emptyError);
        return false;
    }
    const int recNo = chooseRecNo(dataSet);
    if (recNo == 0)
        return false;
    dataSet->setRecNo(recNo);
    Kav::fireEvent(this, "OnAfterPesq", Q_ARG(QObject*, this));
    return true;
}

int TBtnPesquisa::chooseRecNo(TDataSet* dataSet)
{
    Kav::RowQuestion question;
    question.parent = window();
    question.title = m_title;
    question.rows = Kav::readListRows(dataSet);
    question.rowWhere = [dataSet, &rows = question.rows](const QString& fieldName, const QString& value) {
        return rowWhere(dataSet, rows, fieldName, value);
    };
    const std::optional<int> row = Kav::dialogs().chooseRow(question);
    return row ? question.rows.recNos.at(*row) : 0;
}

void TBtnPesquisa::SetFocus()
{
    auto* control = qobject_cast<QWidget*>(m_associate.data());
    if (control && control->isEnabled() && control->isVisible() && control->focusPolicy() != Qt::NoFocus) {
        control->setFocus(Qt::OtherFocusReason);
        return;
    }
    setFocusPolicy(Qt::StrongFocus);
    setFocus(Qt::OtherFocusReason);
}

void TBtnPesquisa::focusOutEvent(QFocusEvent* event)
{
    // Focusable only while SetFocus put the user here.
    setFocusPolicy(Qt::NoFocus);
    QToolButton::focusOutEvent(event);
}

bool TBtnPesquisa::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_associate && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F9 && isEnabled()) {
        Kav::runFromQt([this] { Execute(); });
        return true;
    }
    return QToolButton::eventFilter(watched, event);
}
