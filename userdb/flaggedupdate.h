#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>

// An UPDATE of one user's row for a date that sets the flagged columns, each value bound.
class FlaggedUpdate
{
public:
    // `sql` sets a first column already ("UPDATE t SET c = ?"), to `first`.
    FlaggedUpdate(const QString& sql, const QVariant& first);

    void set(bool flagged, const char* column, const QVariant& value);
    bool exec(qint64 user, const char* date) const;

private:
    QString m_sql;
    QVariantList m_values;
};
