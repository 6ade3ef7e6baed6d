#pragma once
// Says beside a list's lookup button what the user chose with "Lista": how many items, and in
// its tooltip which codes. Hidden while the list is not in use or nothing was chosen.

#include <QLabel>

class TMessages;

class ListChoiceLabel : public QLabel
{
    Q_OBJECT
public:
    // Placed right of `lookupButton`, in the same group box; its words come from `catalogue`.
    ListChoiceLabel(QWidget* lookupButton, const TMessages& catalogue);

    // `codes` joined by "_" as the lists keep them; `inUse` tells whether "Lista" is chosen.
    void showChoice(bool inUse, const QString& codes);

private:
    const TMessages& m_catalogue;
};
