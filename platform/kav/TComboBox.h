#pragma once
// A list to choose from, editable or not (Style); OnChange fires when the user chooses an
// item, not when code sets ItemIndex.

#include <QComboBox>

class TComboBox : public QComboBox
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnChange OnClick OnEnter OnExit OnKeyDown OnKeyPress")
    Q_PROPERTY(ComboStyle Style READ comboStyle WRITE setComboStyle)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(int ItemIndex READ currentIndex WRITE setCurrentIndex)
    Q_PROPERTY(QString Text READ currentText WRITE setEditText)
    Q_PROPERTY(int DropDownCount READ maxVisibleItems WRITE setMaxVisibleItems)
    Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)
public:
    enum ComboStyle { csDropDown, csDropDownList, csSimple };
    Q_ENUM(ComboStyle)

    explicit TComboBox(QWidget* parent = nullptr);

    ComboStyle comboStyle() const { return m_style; }
    void setComboStyle(ComboStyle style);
    QStringList items() const;
    void setItems(const QStringList& items);
    // Rows are as high as the font needs; the design value is kept for reading back.
    int itemHeight() const { return m_itemHeight; }
    void setItemHeight(int height) { m_itemHeight = height; }

    // Chooses an item as the user would: OnChange fires.
    Q_INVOKABLE void selectAsUser(int index);

private:
    ComboStyle m_style = csDropDown;
    int m_itemHeight = 0;
};
