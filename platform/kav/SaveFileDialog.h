#pragma once
// Qt's save dialog that settles the file's ending from the chosen file type before it accepts,
// so that its own "replace?" question sees the file that will be written, and refuses names
// that cannot be a file with a message, leaving the dialog open. Choosing another file type
// changes the ending of the name shown.

#include <QFileDialog>

namespace Kav {

class SaveFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    SaveFileDialog(QWidget* parent, const QString& caption, const QString& folder, const QString& filter);

public slots:
    void accept() override;

private:
    // A name that ends as another offered type takes the ending of the type just chosen.
    void followChosenType(const QString& filter);
    // The name typed, with the ending added where it lacks one.
    void completeTypedName(const QString& path, const QString& settled);
};

} // namespace Kav
