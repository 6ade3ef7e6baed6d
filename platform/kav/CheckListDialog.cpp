#include "CheckListDialog.h"

#include "WindowTitleRoom.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kCheckListMinimumWidth = 420;
constexpr int kCheckListMinimumHeight = 320;
} // namespace

CheckListDialog::CheckListDialog(const QString& title, const Kav::ListRows& rows,
                                 const QSet<QString>& checked, QWidget* parent)
    : QDialog(parent), m_table(new QTableWidget(this)), m_keys(rows.keys),
      m_checkColumn(std::max(rows.markColumn(), 0)), m_note(new QLabel(this))
{
    setWindowTitle(title);
    setMinimumSize(kCheckListMinimumWidth, kCheckListMinimumHeight);
    Kav::WindowTitleRoom::keepTitleWhole(*this);
    Kav::fillListTable(m_table, rows);
    const bool markColumn = rows.markColumn() >= 0;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem* item = checkItem(row);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(checked.contains(m_keys.value(row)) ? Qt::Checked : Qt::Unchecked);
        if (markColumn)
            item->setText(QString());
    }
    if (markColumn)
        showMarkAsCheckColumn();
    m_table->installEventFilter(this);
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(0, 0);

    auto* selectAll = new QPushButton(tr("Marcar todos"), this);
    auto* clearAll = new QPushButton(tr("Desmarcar todos"), this);
    selectAll->setObjectName("selectAll");
    clearAll->setObjectName("clearAll");
    connect(selectAll, &QPushButton::clicked, this, [this] { setAllChecked(true); });
    connect(clearAll, &QPushButton::clicked, this, [this] { setAllChecked(false); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* marks = new QHBoxLayout;
    marks->addWidget(selectAll);
    marks->addWidget(clearAll);
    marks->addStretch();
    m_note->setObjectName(QStringLiteral("lblNota"));
    m_note->setWordWrap(true);
    m_note->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_note);
    layout->addLayout(marks);
    layout->addWidget(buttons);
    m_table->setFocus();
}

// The mark's own texts and label (a data set's code for it, such as "4") mean nothing beside the
// check box that shows it.
void CheckListDialog::showMarkAsCheckColumn()
{
    QTableWidgetItem* header = m_table->horizontalHeaderItem(m_checkColumn);
    header->setText(QString());
    header->setToolTip(tr("Marcado"));
    m_table->resizeColumnToContents(m_checkColumn);
}

QTableWidgetItem* CheckListDialog::checkItem(int row) const
{
    return m_table->item(row, m_checkColumn);
}

int CheckListDialog::checkColumn() const
{
    return m_checkColumn;
}

QStringList CheckListDialog::checkedKeys() const
{
    QStringList keys;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        if (checkItem(row)->checkState() == Qt::Checked)
            keys.append(m_keys.value(row));
    }
    return keys;
}

void CheckListDialog::setNote(const QString& note)
{
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

QString CheckListDialog::note() const
{
    return m_note->text();
}

void CheckListDialog::setAllChecked(bool checked)
{
    for (int row = 0; row < m_table->rowCount(); ++row)
        checkItem(row)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CheckListDialog::toggleCurrent()
{
    const int row = m_table->currentRow();
    if (row < 0)
        return;
    QTableWidgetItem* item = checkItem(row);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

bool CheckListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space) {
            toggleCurrent();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
