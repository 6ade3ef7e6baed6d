#pragma once
// A dialog service that answers each typed question with what the test set beforehand, in types:
// no script words are read. A question the test gave no answer for fails the test.

#include "DialogService.h"
#include "KavException.h"

#include <QPrinter>

class FakeDialogService : public Kav::DialogService
{
public:
    std::function<std::optional<int>(const Kav::RowQuestion&)> rowAnswer;
    std::function<std::optional<QStringList>(const Kav::KeysQuestion&)> keysAnswer;
    std::function<std::optional<Kav::PageChoice>(const Kav::PageQuestion&)> pageAnswer;
    std::optional<QString> printFile; // a PDF file; nullopt cancels

    std::optional<int> chooseRow(const Kav::RowQuestion& question) override
    {
        return answered(rowAnswer, "row")(question);
    }
    std::optional<QStringList> chooseKeys(const Kav::KeysQuestion& question) override
    {
        return answered(keysAnswer, "keys")(question);
    }
    std::optional<Kav::PageChoice> choosePage(const Kav::PageQuestion& question) override
    {
        return answered(pageAnswer, "page")(question);
    }
    bool edit(const Kav::EditQuestion&) override { throw unexpected("edit"); }
    std::optional<QString> askText(QWidget*, const QString&, const QString&) override
    {
        throw unexpected("text");
    }
    bool choosePrinter(QPrinter& printer, QWidget*, const QString&) override
    {
        if (!printFile)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*printFile);
        return true;
    }
    std::optional<QString> runWindow(QDialog&, Kav::DialogKind, const std::function<bool()>&) override
    {
        throw unexpected("window");
    }
    void refuseAnswer(const QString& reason) override { throw Kav::Exception(reason); }
    Progress progress(QWidget*, const QString&) override
    {
        return [](const QString&, int, int) { return true; };
    }

protected:
    void present(MessageKind, const QString&) override {}
    bool answerQuestion(const QString&) override { throw unexpected("confirmation"); }
    QString chooseFile(FilePurpose, QWidget*, const QString&, const QString&, const QString&) override
    {
        throw unexpected("file");
    }

private:
    static Kav::Exception unexpected(const char* kind)
    {
        return Kav::Exception(QStringLiteral("unexpected %1 question").arg(QLatin1String(kind)));
    }
    template <class Answer> static const Answer& answered(const Answer& answer, const char* kind)
    {
        if (!answer)
            throw unexpected(kind);
        return answer;
    }
};
