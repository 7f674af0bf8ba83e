#pragma once

#include <QVariant>

#include <limits>

// The highest id of a row that the program gives: SQLite gives a new row the highest id plus
// one, so a row of the id above this one leaves the table no next id.
constexpr qint64 HighestRowId = std::numeric_limits<qint64>::max() - 1;

// The ids the program gives, by what they name, and the one rule every stored id is read by:
// a whole number as SQLite stores one, within the range of its kind. Anything else (NULL, a
// real, a text, a number past the range) names nothing: 1.5 never reads as 2, nor '1x' as 1.
class StoredId
{
public:
    enum class Kind {
        Row,       // an entry, a saved meal: 1 to HighestRowId
        Device,    // a sync device: 0 to HighestRowId
        User,      // a user: 0 to the last user a household holds
        Owner,     // the owner of a saved meal or its lines: a user, or -1 for one shared
        Catalogue, // a catalogue item or category: 0 to the end of the catalogue's id space
        CustomCategory, // a user's or the household's own category, a root among them
        CustomItem,     // a user's or the household's own food or exercise
    };
    struct Range
    {
        qint64 first;
        qint64 last;
    };
    static Range range(Kind kind);
    // Whether a number is an id of the kind.
    static bool within(qint64 id, Kind kind);
    // The id the value holds, or -1, the id of nothing.
    static qint64 read(const QVariant& value, Kind kind);
    static bool holds(const QVariant& value, Kind kind);
    // An SQL condition true where `column` holds a value that is no id of the kind (NULL
    // aside), with two places to bind the range's ends to, first and last.
    static QString unheldSql(const QString& column);
};
