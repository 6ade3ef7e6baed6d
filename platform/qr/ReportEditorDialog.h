#pragma once
// The layout editor: title, query, declared parameters and the bands (as the layout file writes
// them), checked whole before it is accepted, with a trial preview of the edited layout.

#include "ReportLayout.h"

#include <functional>
#include <QDialog>

namespace Kav {
class ClientContext;
}
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace Qr {

class ReportEditorDialog : public QDialog
{
    Q_OBJECT
public:
    // `context`: the session whose reports folder holds the standard layouts, and the dialog
    // service its questions and faults go through.
    ReportEditorDialog(Kav::ClientContext& context, const ReportLayout& layout, const QString& fileName,
                       QWidget* parent = nullptr);

    // Runs the edited layout in a preview (set by the report dialog).
    void setTrialPreview(std::function<void(const ReportLayout&)> preview)
    {
        m_trialPreview = std::move(preview);
    }

    // The layout as edited, checked as a layout file is; Kav::Exception naming the fault (for the
    // bands, the line of the bands text).
    ReportLayout editedLayout() const;

    void setTitleText(const QString& title);
    void setQueryText(const QString& query);
    void setBandsText(const QString& bands);
    QString bandsText() const;
    // Declares each parameter the query uses and the table lacks; returns how many were added.
    int declareQueryParameters();
    void addParameter(const QString& name, TFieldType type);

    // Whether anything differs from the layout the editor opened with.
    bool hasChanges() const;
    // The standard layout this file is a user's copy of; empty when it is none.
    QString standardLayoutPath() const;
    // The standard layout's path when the editor holds it as restored and unchanged since: saving
    // then goes back to the standard (the user's copy is removed, so later updates of the
    // standard reach this user), it does not write a copy of it. Empty otherwise.
    QString restoredStandardPath() const;

public slots:
    // Accepts when the layout checks out; otherwise shows the fault and stays open.
    void save();
    void trialPreview();
    // Escape, Cancel and the close button: changes are thrown away only once the user agrees.
    void reject() override;
    // Puts the standard layout back in the editor (saving it then removes the user's copy).
    void restoreStandard();

private:
    void showLayout(const ReportLayout& layout);
    bool differsFrom(const ReportLayout& layout) const;
    void removeSelectedParameter();
    QList<ParameterDeclaration> declaredParameters() const;

    Kav::ClientContext& m_context;
    ReportLayout m_original;
    // The layout last put in the editor (the opened one or the restored standard): what the
    // editor does not show (page setup, font, column blocks, data export) comes from it.
    ReportLayout m_shown;
    QString m_fileName;
    QString m_restoredFrom; // the standard layout put back in the editor, if it was
    QLineEdit* m_title;
    QPlainTextEdit* m_query;
    QTableWidget* m_parameters;
    QPlainTextEdit* m_bands;
    std::function<void(const ReportLayout&)> m_trialPreview;
};

} // namespace Qr
