#pragma once
// The save-file dialog of a form, asked through the dialog service (so tests and scripts answer
// it); keeps the chosen file name.

#include <QObject>
#include <QStringList>

class TSaveDialog : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString DefaultExt MEMBER m_defaultExt)
    Q_PROPERTY(QString FileName MEMBER m_fileName)
    // "Texto|*.txt|PDF|*.pdf": description and pattern pairs.
    Q_PROPERTY(QString Filter MEMBER m_filter)
    Q_PROPERTY(int FilterIndex MEMBER m_filterIndex)
    Q_PROPERTY(QString InitialDir MEMBER m_initialDir)
    Q_PROPERTY(QString Title MEMBER m_title)
    Q_PROPERTY(QStringList Options MEMBER m_options)
    // Where the designer placed the component; no effect at run time.
    Q_PROPERTY(int Left MEMBER m_left)
    Q_PROPERTY(int Top MEMBER m_top)
public:
    explicit TSaveDialog(QObject* parent = nullptr);

    const QString& fileName() const { return m_fileName; }
    // The filter in Qt's "Texto (*.txt);;PDF (*.pdf)" form.
    QString qtFilter() const;

    // Asks for the file (in InitialDir, or where the user last saved); true with FileName set,
    // ending as the chosen filter asks, false when cancelled or refused.
    Q_INVOKABLE bool Execute();

private:
    QString m_defaultExt;
    QString m_fileName;
    QString m_filter;
    int m_filterIndex = 1;
    QString m_initialDir;
    QString m_title;
    QStringList m_options;
    int m_left = 0;
    int m_top = 0;
};
