#pragma once
// The lookup button beside a code box: it lists the rows of its data source in a modal list and
// leaves the data set on the row the user picks, between its before- and after-lookup events.

#include <QPointer>
#include <QToolButton>

class TDataSet;

class TBtnPesquisa : public QToolButton
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnClick OnBeforePesq OnAfterPesq")
    // The control whose F9 opens the lookup too.
    Q_PROPERTY(QObject* Associate READ associate WRITE setAssociate)
    Q_PROPERTY(QString Title READ title WRITE setTitle)
    // A TDataSource; its data set is the one listed.
    Q_PROPERTY(QObject* DataSource READ dataSource WRITE setDataSource)
    // Shown, instead of the list, when the data set has no rows.
    Q_PROPERTY(QString EmptyError READ emptyError WRITE setEmptyError)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
public:
    explicit TBtnPesquisa(QWidget* parent = nullptr);

    QObject* associate() const { return m_associate; }
    void setAssociate(QObject* control);
    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    QObject* dataSource() const { return m_dataSource; }
    void setDataSource(QObject* dataSource) { m_dataSource = dataSource; }
    const QString& emptyError() const { return m_emptyError; }
    void setEmptyError(const QString& text) { m_emptyError = text; }

    // What a click does, inside the handler dispatcher: the bound "OnClick" handler when there
    // is one (it then does the whole job), otherwise the lookup.
    Q_INVOKABLE void Execute();

    // The lookup itself: "OnBeforePesq" (an error, or its flag set false, ends the lookup), the
    // data set opened when closed, its EmptyError shown instead of an empty list, the list,
    // and after a pick the picked row made current and "OnAfterPesq". Errors go to the caller.
    // Returns whether a row was picked.
    //
    // The list is a question to the dialog service, which may also answer it by a field's value
    // (hidden fields included).
    bool Pesquisa();

    // Leads the user back to this lookup after a failed check: the focus goes to the associated
    // control when it can take it, otherwise to the button itself, which then keeps it (Space
    // opens the lookup) until the user moves on.
    Q_INVOKABLE void SetFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TDataSet* listedDataSet() const;
    // The record number of the row the user picks; 0 when none is.
    int chooseRecNo(TDataSet* dataSet);

    QPointer<QObject> m_associate;
    QPointer<QObject> m_dataSource;
    QString m_title;
    QString m_emptyError;
};
