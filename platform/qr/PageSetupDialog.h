#pragma once
// Asks paper, orientation and margins for a report, through the dialog service (which shows this
// dialog to a person).

#include "PageSetup.h"
#include "ReportLayout.h"

#include <optional>
#include <QDialog>

namespace Kav {
class DialogService;
}
class QComboBox;
class QDoubleSpinBox;

namespace Qr {

class PageSetupDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PageSetupDialog(const PageSetup& setup, QWidget* parent = nullptr);
    PageSetup pageSetup() const;

    // The page setup `dialogs` answers, starting from `current`; nullopt when cancelled.
    static std::optional<PageSetup> ask(Kav::DialogService& dialogs, const PageSetup& current,
                                        QWidget* parent);

    // Asks the page setup of `layout` (read from `fileName`) and answers the layout laid on the
    // new page, or nullopt when cancelled. A setup the layout's bands do not fit is said in
    // words (which orientation, what to do), never as a file and line, and refused through
    // `dialogs` (a person is asked again).
    static std::optional<ReportLayout> askFor(Kav::DialogService& dialogs, const ReportLayout& layout,
                                              const QString& fileName, QWidget* parent);

private:
    QComboBox* m_paper;
    QComboBox* m_orientation;
    QDoubleSpinBox* m_margins[4];
};

} // namespace Qr
