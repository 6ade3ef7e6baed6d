#pragma once
// The lookup button beside a code box: it lists the rows of its data source in a modal list and
// leaves the data set on the row the user picks, between its before- and after-lookup events.

#include <QPointer>
#include <QToolButton>

class TBtnPesquisa : public QToolButton
{
    Q_OBJECT
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

    // The lookup itself: "OnBeforePesq", the list, and "OnAfterPesq" after a pick. Errors go
    // to the caller. Returns whether a row was picked.
    bool Pesquisa();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QObject> m_associate;
    QPointer<QObject> m_dataSource;
    QString m_title;
    QString m_emptyError;
};
