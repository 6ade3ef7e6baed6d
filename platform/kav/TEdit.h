#pragma once
// A one-line text box firing OnChange whenever its text changes, by the user or by code.

#include <QLineEdit>

class TEdit : public QLineEdit
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnChange OnClick OnEnter OnExit OnKeyDown OnKeyPress")
    Q_PROPERTY(QString Text READ text WRITE setText)
    Q_PROPERTY(int MaxLength READ maxLength WRITE setMaxLength)
    Q_PROPERTY(bool ReadOnly READ isReadOnly WRITE setReadOnly)
public:
    explicit TEdit(QWidget* parent = nullptr);

    // Written by code, the text fires OnChange, and that handler's error reaches the writer
    // (QLineEdit's own setText and clear would leave it kept until the writing handler ends).
    void setText(const QString& text);
    void clear();

    // 0 means no limit.
    void setMaxLength(int length);
    int maxLength() const { return m_maxLength; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_maxLength = 0;
};
