#pragma once
// The progress window of a long report, with its cancel button. It appears only when the work
// lasts long enough to notice, and never in automated mode.

#include <memory>
#include <QString>

class QProgressDialog;
class QWidget;

namespace Qr {

class ReportProgress
{
public:
    ReportProgress(QWidget* parent, const QString& title);
    ~ReportProgress();

    // Shows the step; false once the user pressed cancel.
    bool operator()(const QString& step, int done, int total);

private:
    QWidget* m_parent;
    QString m_title;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace Qr
