#pragma once
// The report dialog of a report form: loads a .QR2 layout, asks the form for the query's
// parameters (event OnBeforeGetQueryParams) and has Qr::ReportRun run it on the shared database,
// lay the pages out once and send them to the output chosen: printer, preview, or a PDF, text,
// CSV, HTML or workbook file. Its own part is the windows: dialogs, progress, printer, preview.
// The preview shows the first pages while the rest are laid out on a worker thread; printing
// and files wait for the whole report. It also edits layouts and their page setup.
//
// Events (bound by a form's stored layout to its handlers by name):
//   OnBeforeGetQueryParams(TParams& Params, bool& Cancel): before the query runs; each declared
//     parameter not assigned is bound as NULL. Cancel starts false; a handler setting it true
//     ends the command with no output.
//   OnQRPAfterPrint(QObject* Sender): after the pages went to the printer (or its PDF file).
//   OnQRPAfterPreview(QObject* Sender): when the preview window has closed.
//
// The one class of the engine outside namespace Qr: stored layouts, and the form bindings
// generated from them, name it unqualified, as they name the support library's components.

#include "PageModel.h"
#include "ReportLayout.h"
#include "ReportRun.h"
#include "ReportSnapshot.h"

#include <functional>
#include <memory>
#include <optional>
#include <QDateTime>
#include <QObject>

namespace Kav {
class ClientContext;
}
namespace Qr {
class ReportRenderer;
}
class QSqlDatabase;
class QWidget;

class TReportDesignerDialog : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("KavEvents", "OnBeforeGetQueryParams OnQRPAfterPrint OnQRPAfterPreview")
    Q_PROPERTY(QString FileName READ FileName)
    Q_PROPERTY(QString ConnectionName READ ConnectionName WRITE setConnectionName)
    Q_PROPERTY(QString UserReportsDir READ UserReportsDir WRITE setUserReportsDir)

public:
    // Told the step, the work done and the total; false cancels the command.
    using Progress = std::function<bool(const QString& step, int done, int total)>;

    // `context` is the client the dialog works for (its session, database and dialogs): the
    // form's, given by the layout that creates the dialog.
    explicit TReportDesignerDialog(Kav::ClientContext& context, QObject* parent = nullptr);
    ~TReportDesignerDialog() override;

    // Reads and checks a layout file; Kav::Exception naming the file and line of a fault.
    Q_INVOKABLE void LoadFromFile(const QString& fileName);
    void setLayout(const Qr::ReportLayout& layout, const QString& fileName);
    bool HasLayout() const { return m_layout.has_value(); }
    const Qr::ReportLayout& Layout() const;
    QString FileName() const { return m_fileName; }

    // Empty: the shared connection of the client context the dialog was made in.
    QString ConnectionName() const { return m_connectionName; }
    void setConnectionName(const QString& name) { m_connectionName = name; }
    // Where edited layouts are saved; empty: the session's folder for them.
    QString UserReportsDir() const;
    void setUserReportsDir(const QString& dir) { m_userReportsDir = dir; }

    // The window dialogs and the preview belong to; by default the owner when it is a window.
    void setParentWidget(QWidget* parent) { m_parentWidget = parent; }
    QWidget* parentWidget() const;
    // What now() shows in the layout; invalid (the default): the time of the run.
    void setClock(const QDateTime& now) { m_clock = now; }
    // Replaces the progress window (tests).
    void setProgressHandler(Progress progress) { m_progress = std::move(progress); }

    // The parameters as the last run bound them.
    const TParams& Params() const { return m_params; }

    // Raises OnBeforeGetQueryParams and runs the queries: what a layout run reads, its own copy.
    // None when the handler or the user cancelled.
    std::optional<Qr::ReportSnapshot> ReadData();
    // ReadData, then the pages laid out. Null when the handler cancelled.
    std::shared_ptr<const Qr::PageModel> Prepare();

    // Each returns false when nothing was produced (a dialog cancelled, the handler cancelled).
    Q_INVOKABLE bool Print();
    Q_INVOKABLE bool Preview();
    // The output by name ("pdf", "text", "csv", "html"), or by the file's ending when empty.
    Q_INVOKABLE bool SaveToFile(const QString& fileName, const QString& renderer = QString());
    // Asks the file (PDF, text, CSV or HTML by its type) through the dialog service, offering
    // `suggestedName` in the user's home folder when given.
    Q_INVOKABLE bool SaveAs(const QString& suggestedName = QString());
    // The file the last SaveAs wrote.
    QString SavedFileName() const { return m_savedFileName; }
    Q_INVOKABLE bool SaveAsText();

    // The layout editor on the loaded layout; saved to the user's reports folder.
    Q_INVOKABLE bool Edit();
    // A new layout for `reportCode`: asks its title (caption and prompt are the form's texts),
    // then opens the editor; saved under the first free layout code.
    Q_INVOKABLE bool NewReport(const QString& reportCode, const QString& caption, const QString& prompt);
    // Paper, orientation and margins of the loaded layout, kept in the user's copy of it.
    Q_INVOKABLE bool SetupPage();

private:
    // Fills the query's parameters through OnBeforeGetQueryParams; none when the handler cancels.
    std::optional<TParams> askParams();
    // Asks the parameters and sets up the run under the progress window it opens; none when the
    // handler cancelled or the user declined a layout that would leave chosen values out.
    std::optional<Qr::ReportRun> startRun(Progress& progress);
    QString unprintedQuestion(const Qr::UnprintedValues& unprinted) const;

    QSqlDatabase database() const;
    // The printer or the preview on laid-out pages; the preview's print button prints them.
    bool showInWindow(Qr::ReportRenderer& renderer, const Qr::PageModel& model);
    bool printModel(const Qr::PageModel& model);
    QString saveToUserFolder(const Qr::ReportLayout& layout, const QString& fileName);
    // A layout that cannot be read, said without its file's path and line.
    QString layoutFaultMessage(const QString& fileName, const QString& fault) const;
    Progress progressFor(const QString& title);

    std::optional<Qr::ReportLayout> m_layout;
    QString m_fileName;
    QString m_connectionName;
    QString m_userReportsDir;
    QString m_savedFileName;
    QWidget* m_parentWidget = nullptr;
    // The client context the dialog was made for: session, database, dialogs.
    Kav::ClientContext& m_context;
    QDateTime m_clock;
    Progress m_progress;
    TParams m_params;
};
