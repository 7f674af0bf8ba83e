#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

class StoreResult;

// The exception of the data layer: a statement or a schema change that failed,
// with a message the user can act on.
class BXException : public std::exception
{
public:
    explicit BXException(const QString& message);
    explicit BXException(const char* message);
    ~BXException() override;
    // A statement's failure, told with what stopped it (a table the diary lacks, say).
    static BXException ofStatement(const QString& failure, const StoreResult& outcome);
    // The diary has no table of that name.
    static BXException lackingTable(const QString& table);

    // The message as ASCII text (characters outside ASCII become '?').
    const char* what() const noexcept override;
    const QString& message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_ascii;
};
