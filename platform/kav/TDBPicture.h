#pragma once
// A code picture from the database: the edit mask of one kind of hierarchical code (kind 1: the
// dish code) and how many levels that code has.

#include <QString>

class TDBPicture
{
public:
    TDBPicture(int kind, const QString& mask, int levels) : m_kind(kind), m_mask(mask), m_levels(levels) {}

    int kind() const { return m_kind; }
    const QString& GetMascara() const { return m_mask; }
    int GetTtNiveis() const { return m_levels; }

    // Refreshed in place, so the pointers screens hold stay valid.
    void assign(const QString& mask, int levels)
    {
        m_mask = mask;
        m_levels = levels;
    }

private:
    int m_kind;
    QString m_mask;
    int m_levels;
};
