#pragma once
// A text box that takes only what its edit mask allows (">aaaa;0; ": four letters or digits,
// upper case, literals not kept, blank shown as a space); its Text holds neither blanks nor,
// unless the mask keeps them, literals.

#include "EditMask.h"
#include "TEdit.h"

class TMaskEdit : public TEdit
{
    Q_OBJECT
    Q_PROPERTY(QString EditMask READ editMask WRITE setEditMask)
    Q_PROPERTY(QString Text READ Text WRITE setText)
    Q_PROPERTY(QString EditText READ displayText)
public:
    explicit TMaskEdit(QWidget* parent = nullptr);

    QString editMask() const { return m_mask.source(); }
    void setEditMask(const QString& mask);
    const EditMask& mask() const { return m_mask; }

    // The text as the mask reads it.
    QString Text() const;

private:
    EditMask m_mask;
};
