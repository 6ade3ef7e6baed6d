#include "LookupListDialog.h"

#include "WindowTitleRoom.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kLookupListMinimumWidth = 420;
constexpr int kLookupListMinimumHeight = 300;
} // namespace

LookupListDialog::LookupListDialog(const QString& title, const Kav::ListRows& rows, QWidget* parent)
    : QDialog(parent), m_table(new QTableWidget(this)), m_search(new QLabel(this))
{
    setWindowTitle(title);
    setMinimumSize(kLookupListMinimumWidth, kLookupListMinimumHeight);
    Kav::WindowTitleRoom::keepTitleWhole(*this);
    Kav::fillListTable(m_table, rows);
    m_table->installEventFilter(this);
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(0, 0);
    // The search runs on the column of the cursor: a click on a header moves it there.
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_table->setCurrentCell(std::max(0, m_table->currentRow()), column);
        m_typed.clear();
        showTyped();
    });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancelar"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_table->rowCount() > 0);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(m_search);
    layout->addWidget(buttons);
    showTyped();
    m_table->setFocus();
}

int LookupListDialog::currentRow() const
{
    return m_table->rowCount() > 0 ? m_table->currentRow() : -1;
}

bool LookupListDialog::searchFor(const QString& text)
{
    const int column = std::max(0, m_table->currentColumn());
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* item = m_table->item(row, column);
        if (item && item->text().startsWith(text, Qt::CaseInsensitive)) {
            m_table->setCurrentCell(row, column);
            return true;
        }
    }
    return false;
}

void LookupListDialog::showTyped()
{
    m_search->setText(tr("Pesquisa: %1").arg(m_typed));
}

bool LookupListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_table || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentRow() >= 0)
            accept();
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    case Qt::Key_Backspace:
        m_typed.chop(1);
        if (!m_typed.isEmpty())
            searchFor(m_typed);
        showTyped();
        return true;
    default:
        break;
    }
    const QString text = key->text();
    if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier)) {
        // A character that leads nowhere is dropped, so the cursor stays on the best match.
        if (searchFor(m_typed + text))
            m_typed += text;
        showTyped();
        return true;
    }
    // Moving by hand starts a new search.
    m_typed.clear();
    showTyped();
    return QDialog::eventFilter(watched, event);
}
