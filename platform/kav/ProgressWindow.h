#pragma once
// The progress window of long work, with its cancel button. It appears only when the work
// lasts long enough to notice.

#include <memory>
#include <QString>

class QProgressDialog;
class QWidget;

namespace Kav {

class ProgressWindow
{
public:
    ProgressWindow(QWidget* parent, const QString& title);
    ~ProgressWindow();

    // Shows the step; false once the user pressed cancel.
    bool show(const QString& step, int done, int total);

private:
    QWidget* m_parent;
    QString m_title;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace Kav
