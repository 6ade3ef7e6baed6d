#include "TComboBox.h"

#include "ControlEvents.h"

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    connect(this, &QComboBox::activated, this, [this] { Kav::fireNotify(this, "OnChange"); });
}

void TComboBox::setComboStyle(ComboStyle style)
{
    m_style = style;
    setEditable(style != csDropDownList);
}

QStringList TComboBox::items() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list << itemText(i);
    return list;
}

void TComboBox::setItems(const QStringList& items)
{
    clear();
    addItems(items);
    setCurrentIndex(-1); // new items leave nothing chosen
}

void TComboBox::selectAsUser(int index)
{
    setCurrentIndex(index);
    emit activated(index);
}
