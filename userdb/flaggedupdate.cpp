#include "userdb/flaggedupdate.h"

#include "userdb/bxsqlquery.h"

FlaggedUpdate::FlaggedUpdate(const QString& sql, const QVariant& first) : m_sql(sql), m_values{first} {}

void FlaggedUpdate::set(bool flagged, const char* column, const QVariant& value)
{
    if (!flagged)
        return;
    m_sql += QStringLiteral(",%1 = ?").arg(QLatin1String(column));
    m_values.append(value);
}

bool FlaggedUpdate::exec(qint64 user, const char* date) const
{
    BXSqlQuery query(m_sql + QStringLiteral(" WHERE user_id = ? AND date = ?"));
    for (int i = 0; i < m_values.size(); ++i)
        query.bindValue(i, m_values.at(i));
    query.bindValue(int(m_values.size()), user);
    query.bindValue(int(m_values.size()) + 1, date);
    return query.exec();
}
