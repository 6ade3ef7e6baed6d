#pragma once
// A report layout as a .QR2 file holds it: title, page setup, font, the query with the parameters
// it declares, the fixed bands and the groups (outermost first), and the comments among them.

#include "ColumnBlocks.h"
#include "LayoutComment.h"
#include "PageSetup.h"
#include "ReportBand.h"
#include "ReportGroup.h"
#include "ReportList.h"
#include "TParams.h"

#include <optional>
#include <QList>
#include <QString>

namespace Qr {

struct ParameterDeclaration
{
    QString name;
    TFieldType type = TFieldType::ftUnknown;

    bool operator==(const ParameterDeclaration&) const = default;
};

struct ReportLayout
{
    static constexpr double DefaultFontSize = 8.0;

    QString title;
    PageSetup page;
    QString fontFamily = QStringLiteral("DejaVu Sans");
    double fontSize = DefaultFontSize;
    QString query;
    QList<ParameterDeclaration> parameters;

    std::optional<ReportBand> titleBand;
    std::optional<ReportBand> pageHeader;
    std::optional<ReportBand> columnHeader;
    std::optional<ReportBand> detail;
    std::optional<ReportBand> summary;
    std::optional<ReportBand> pageFooter;
    QList<ReportGroup> groups;
    QList<ReportList> lists; // printed after the summary, in this order
    std::optional<ColumnBlocks> columnBlocks;
    // The rows a CSV file receives instead of the printed lines (<data-export>); empty: none.
    QString exportQuery;
    // The file's comments, written back where they stood.
    LayoutComments comments;

    // A fresh parameter collection: one parameter per declaration, with its declared type.
    TParams createParams() const;
    // Every band of the report's own query, in the order they are written to the file (the lists'
    // bands read their own rows and are not among them).
    QList<const ReportBand*> bands() const;
    // Whether a list reads the parameters of the column blocks: then it is read and printed with
    // each block, under that block's column headings; otherwise once, after the last block.
    bool listFollowsBlocks(const ReportList& list) const;
};

} // namespace Qr
