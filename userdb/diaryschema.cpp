#include "userdb/diaryschema.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

using Tokens = QStringList;

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c.unicode() > 127;
}

bool isWord(const QString& token)
{
    return !token.isEmpty() && (isWordChar(token.front()) || token.front() == QLatin1Char('"'));
}

// The end of the quoted text that starts at `from` with `close` as its closing mark, a doubled
// mark standing for one; the text's end when it is not closed.
qsizetype quoteEnd(const QString& sql, qsizetype from, QChar close)
{
    qsizetype at = from + 1;
    while (at < sql.size()) {
        if (sql.at(at) == close && (at + 1 >= sql.size() || sql.at(at + 1) != close))
            return at + 1;
        at += sql.at(at) == close ? 2 : 1;
    }
    return sql.size();
}

// A quoted name as the bare word it stands for when it is one, so that food_diary and
// "food_diary" read alike; otherwise in double quotes.
QString quotedName(const QString& sql, qsizetype from, qsizetype end)
{
    const QChar open = sql.at(from);
    const QChar close = open == QLatin1Char('[') ? QLatin1Char(']') : open;
    QString name = sql.mid(from + 1, end - from - 2);
    if (close != QLatin1Char(']'))
        name.replace(QString(2, close), QString(close));
    const bool bare = !name.isEmpty() && !name.front().isDigit() && std::all_of(name.cbegin(), name.cend(), isWordChar);
    return bare ? name : QLatin1Char('"') + name + QLatin1Char('"');
}

// The tokens of an SQL text, without spaces and comments. A word or name is one token, a text
// literal one token with its quotes, every other character a token of its own.
Tokens tokensOf(const QString& sql)
{
    Tokens tokens;
    qsizetype at = 0;
    while (at < sql.size()) {
        const QChar c = sql.at(at);
        const QStringView rest = QStringView(sql).mid(at);
        if (c.isSpace()) {
            ++at;
        } else if (rest.startsWith(QLatin1String("--"))) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), at);
            at = end < 0 ? sql.size() : end + 1;
        } else if (rest.startsWith(QLatin1String("/*"))) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), at + 2);
            at = end < 0 ? sql.size() : end + 2;
        } else if (c == QLatin1Char('\'')) {
            const qsizetype end = quoteEnd(sql, at, c);
            tokens.append(sql.mid(at, end - at));
            at = end;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const qsizetype end = quoteEnd(sql, at, c == QLatin1Char('[') ? QLatin1Char(']') : c);
            tokens.append(quotedName(sql, at, end));
            at = end;
        } else if (isWordChar(c)) {
            qsizetype end = at;
            while (end < sql.size() && isWordChar(sql.at(end)))
                ++end;
            tokens.append(sql.mid(at, end - at));
            at = end;
        } else {
            tokens.append(QString(c));
            ++at;
        }
    }
    return tokens;
}

// The tokens as compared: words in lower case, text literals as they are.
QString keyOf(const Tokens& tokens)
{
    QStringList words;
    for (const QString& token : tokens)
        words.append(token.startsWith(QLatin1Char('\'')) ? token : token.toLower());
    return words.join(QLatin1Char(' '));
}

// The creation text's tokens without an IF NOT EXISTS, which changes nothing of what it makes.
Tokens creationTokens(const QString& sql)
{
    Tokens tokens = tokensOf(sql);
    for (qsizetype at = 0; at + 2 < tokens.size() && at < 6; ++at) {
        if (keyOf(tokens.mid(at, 3)) == QLatin1String("if not exists")) {
            tokens.remove(at, 3);
            break;
        }
    }
    return tokens;
}

// Where `words` (in lower case) stand in `tokens` from `from` on; -1 when they do not.
qsizetype findWords(const Tokens& tokens, const Tokens& words, qsizetype from = 0)
{
    for (qsizetype at = from; at + words.size() <= tokens.size(); ++at) {
        if (keyOf(tokens.mid(at, words.size())) == words.join(QLatin1Char(' ')))
            return at;
    }
    return -1;
}

// A table's creation text: each definition between its outer parentheses (a column's or a
// table constraint's), and what follows them (WITHOUT ROWID, say).
struct TableText
{
    QList<Tokens> items;
    QString tail;
};

TableText tableText(const Tokens& tokens)
{
    TableText text;
    const qsizetype open = tokens.indexOf(QStringLiteral("("));
    qsizetype close = tokens.size();
    int depth = 0;
    Tokens item;
    for (qsizetype at = std::max<qsizetype>(open, 0); open >= 0 && at < tokens.size(); ++at) {
        const QString& token = tokens.at(at);
        if (token == QLatin1String("(") && depth++ == 0)
            continue;
        if (token == QLatin1String(")") && --depth == 0) {
            close = at;
            break;
        }
        if (token == QLatin1String(",") && depth == 1) {
            text.items.append(std::exchange(item, {}));
            continue;
        }
        item.append(token);
    }
    if (!item.isEmpty())
        text.items.append(item);
    text.tail = keyOf(open < 0 ? tokens : tokens.mid(close + 1));
    return text;
}

bool isTableConstraint(const Tokens& item)
{
    static const QStringList Starts{QStringLiteral("constraint"), QStringLiteral("primary"),
                                    QStringLiteral("unique"), QStringLiteral("check"),
                                    QStringLiteral("foreign")};
    return !item.isEmpty() && Starts.contains(item.front().toLower());
}

// What a column's definition may hold beside its name and type, with how a difference is told:
// %1 the column, %2 the table.
struct Feature
{
    QStringList words;
    const char* lacking;
    const char* foreign;
};

const Feature Features[] = {
    {{"primary", "key"},
     QT_TRANSLATE_NOOP("DiarySchema", "the PRIMARY KEY of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "a PRIMARY KEY on the column %1 of the table %2")},
    {{"unique"}, QT_TRANSLATE_NOOP("DiarySchema", "the UNIQUE constraint of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "a UNIQUE constraint on the column %1 of the table %2")},
    {{"not", "null"}, QT_TRANSLATE_NOOP("DiarySchema", "the NOT NULL constraint of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "the NOT NULL column %1 of the table %2")},
    {{"check", "("}, QT_TRANSLATE_NOOP("DiarySchema", "the CHECK constraint of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "a CHECK constraint on the column %1 of the table %2")},
    {{"collate"}, QT_TRANSLATE_NOOP("DiarySchema", "the collation of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "a collation on the column %1 of the table %2")},
    {{"default"}, QT_TRANSLATE_NOOP("DiarySchema", "the default value of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "a default value of the column %1 of the table %2")},
    {{"references"}, QT_TRANSLATE_NOOP("DiarySchema", "the foreign key of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "a foreign key on the column %1 of the table %2")},
    {{"as", "("}, QT_TRANSLATE_NOOP("DiarySchema", "the generated value of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "the generated column %1 of the table %2")},
    {{"autoincrement"}, QT_TRANSLATE_NOOP("DiarySchema", "the AUTOINCREMENT of the column %1 of the table %2"),
     QT_TRANSLATE_NOOP("DiarySchema", "an AUTOINCREMENT on the column %1 of the table %2")},
};

// Whether the column's definition holds the feature (past the column's name).
bool holds(const Tokens& column, const Feature& feature)
{
    return findWords(column, feature.words, 1) >= 0;
}

bool isPlainColumn(const Tokens& column)
{
    return std::none_of(std::begin(Features), std::end(Features),
                        [&](const Feature& feature) { return holds(column, feature); });
}

// How a table constraint is called, from its first words.
QString constraintKind(const Tokens& item)
{
    const Tokens kind = keyOf(item.mid(0, 1)) == QLatin1String("constraint") ? item.mid(2) : item;
    const QString first = keyOf(kind.mid(0, 1));
    if (first == QLatin1String("primary")) {
        QStringList columns;
        for (const QString& token : kind.mid(2))
            if (isWord(token))
                columns.append(token);
        return DiarySchema::tr("PRIMARY KEY (%1)").arg(columns.join(QStringLiteral(", ")));
    }
    if (first == QLatin1String("unique"))
        return DiarySchema::tr("UNIQUE constraint");
    if (first == QLatin1String("check"))
        return DiarySchema::tr("CHECK constraint");
    if (first == QLatin1String("foreign"))
        return DiarySchema::tr("foreign key");
    return DiarySchema::tr("constraint");
}

// The definitions of the columns, by name in lower case, and the table constraints.
struct Definitions
{
    QMap<QString, Tokens> columns;
    QMap<QString, Tokens> constraints;
};

Definitions definitionsOf(const TableText& text)
{
    Definitions definitions;
    for (const Tokens& item : text.items)
        (isTableConstraint(item) ? definitions.constraints[keyOf(item)]
                                 : definitions.columns[keyOf(item.mid(0, 1))]) = item;
    return definitions;
}

// Where a column's definition turns from its name and type to its constraints.
qsizetype constraintsStart(const Tokens& column)
{
    static const QStringList Starts{QStringLiteral("constraint"), QStringLiteral("primary"),
                                    QStringLiteral("not"),        QStringLiteral("null"),
                                    QStringLiteral("unique"),     QStringLiteral("check"),
                                    QStringLiteral("default"),    QStringLiteral("collate"),
                                    QStringLiteral("references"), QStringLiteral("generated"),
                                    QStringLiteral("as")};
    qsizetype at = 1;
    while (at < column.size() && !Starts.contains(column.at(at).toLower()))
        ++at;
    return at;
}

// The type a column's definition declares, as compared.
QString declaredType(const Tokens& column)
{
    return keyOf(column.mid(1, constraintsStart(column) - 1));
}

// A table's declaration as an earlier format may have written it alike: the type of each column
// but a key's left out (a key's type decides which column is the row's id) and the columns in
// any order, for the upgrades of earlier builds added each with its type as then declared, or none.
QString declarationBesideTypes(const QString& sql)
{
    const TableText text = tableText(creationTokens(sql));
    QStringList items;
    for (const Tokens& item : text.items) {
        const bool keepsType = isTableConstraint(item) || findWords(item, {QStringLiteral("primary"), QStringLiteral("key")}, 1) >= 0;
        items.append(keyOf(keepsType ? item : item.mid(0, 1) + item.mid(constraintsStart(item))));
    }
    items.sort();
    items.append(text.tail);
    return items.join(QLatin1Char('\n'));
}

// The names of a table's columns, in lower case.
QStringList columnNames(const QString& sql)
{
    return definitionsOf(tableText(creationTokens(sql))).columns.keys();
}

// How many keys of a table's declaration SQLite keeps in an index of its own: each PRIMARY KEY
// and UNIQUE constraint, but a key of one INTEGER column, which is the rows' own id.
int automaticIndexCount(const QString& sql)
{
    const Definitions definitions = definitionsOf(tableText(creationTokens(sql)));
    const auto isRowId = [&definitions](const Tokens& key) {
        return key.size() == 1 && declaredType(definitions.columns.value(keyOf(key))) == QLatin1String("integer");
    };
    int count = 0;
    for (const Tokens& column : definitions.columns) {
        count += findWords(column, {QStringLiteral("unique")}, 1) >= 0 ? 1 : 0;
        if (findWords(column, {QStringLiteral("primary"), QStringLiteral("key")}, 1) >= 0)
            count += isRowId(column.mid(0, 1)) ? 0 : 1;
    }
    for (const Tokens& constraint : definitions.constraints) {
        const Tokens kind = keyOf(constraint.mid(0, 1)) == QLatin1String("constraint") ? constraint.mid(2) : constraint;
        if (keyOf(kind.mid(0, 1)) == QLatin1String("unique"))
            ++count;
        else if (const QList<Tokens> key = tableText(kind).items; keyOf(kind.mid(0, 1)) == QLatin1String("primary"))
            count += key.size() == 1 && isRowId(key.front().mid(0, 1)) ? 0 : 1;
    }
    return count;
}

// The tables SQLite makes itself (for AUTOINCREMENT and for ANALYZE), as it declares them.
const char* const SqliteTables[] = {
    "CREATE TABLE sqlite_sequence(name,seq)",
    "CREATE TABLE sqlite_stat1(tbl,idx,stat)",
    "CREATE TABLE sqlite_stat2(tbl,idx,sampleno,sample)",
    "CREATE TABLE sqlite_stat3(tbl,idx,neq,nlt,ndlt,sample)",
    "CREATE TABLE sqlite_stat4(tbl,idx,neq,nlt,ndlt,sample)",
};

// Whether the object is a table that SQLite makes itself, told by its name and how SQLite
// declares it.
bool isSqliteTable(const DiarySchema::Object& object)
{
    if (object.type != QLatin1String("table") || !object.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
        return false;
    return std::any_of(std::begin(SqliteTables), std::end(SqliteTables), [&object](const char* sql) {
        const Tokens own = creationTokens(QString::fromLatin1(sql));
        return keyOf(own.mid(2, 1)) == object.name.toLower() && keyOf(creationTokens(object.sql)) == keyOf(own);
    });
}

// Whether the object is the index that SQLite makes itself for a key that its table (of
// `tables`, by name in lower case) declares: it has no creation text.
bool isAutomaticIndex(const DiarySchema::Object& object, const QMap<QString, DiarySchema::Object>& tables)
{
    if (object.type != QLatin1String("index") || !object.sql.isEmpty())
        return false;
    const auto table = tables.constFind(object.table.toLower());
    const QString prefix = QStringLiteral("sqlite_autoindex_") + object.table.toLower() + QLatin1Char('_');
    bool number = false;
    const int key = object.name.toLower().startsWith(prefix) ? object.name.mid(prefix.size()).toInt(&number) : 0;
    return table != tables.cend() && number && key >= 1 && key <= automaticIndexCount(table->sql);
}

// The column's definitions differ: what each holds that the other does not, or else that it is
// declared otherwise.
void columnDifferences(const Tokens& held, const Tokens& own, const QString& table, DiarySchema::Differences& found)
{
    const QString column = held.front();
    bool named = false;
    for (const Feature& feature : Features) {
        if (holds(held, feature) == holds(own, feature))
            continue;
        named = true;
        (holds(own, feature) ? found.lacking : found.foreign)
            .append(DiarySchema::tr(holds(own, feature) ? feature.lacking : feature.foreign).arg(column, table));
    }
    if (!named)
        found.foreign.append(DiarySchema::tr("the column %1 of the table %2 declared as \"%3\" where this "
                                             "program declares \"%4\"")
                                 .arg(column, table, held.join(QLatin1Char(' ')), own.join(QLatin1Char(' '))));
}

// An index that names bare columns of its table (`columns`, in lower case), each at most with
// its order: it neither refuses, computes, sorts by a collation nor leaves rows out.
bool isPlainIndex(const Tokens& tokens, const QStringList& columns)
{
    const TableText text = tableText(tokens);
    if (keyOf(tokens.mid(1, 1)) == QLatin1String("unique") || !text.tail.isEmpty() || text.items.isEmpty())
        return false;
    return std::all_of(text.items.cbegin(), text.items.cend(), [&columns](const Tokens& item) {
        const QString order = keyOf(item.mid(1));
        return columns.contains(keyOf(item.mid(0, 1)))
            && (order.isEmpty() || order == QLatin1String("asc") || order == QLatin1String("desc"));
    });
}

QString indexName(const DiarySchema::Object& index, const Tokens& tokens, const QStringList& columns)
{
    if (keyOf(tokens.mid(1, 1)) == QLatin1String("unique"))
        return DiarySchema::tr("the unique index %1 on the table %2").arg(index.name, index.table);
    if (const qsizetype collate = findWords(tokens, {QStringLiteral("collate")}); collate >= 0)
        return DiarySchema::tr("the index %1 on the table %2, which sorts by the collation %3")
            .arg(index.name, index.table, tokens.value(collate + 1));
    if (!isPlainIndex(tokens, columns))
        return DiarySchema::tr("the index %1 on the table %2 over an expression or a part of its rows")
            .arg(index.name, index.table);
    return DiarySchema::tr("the index %1 on the table %2").arg(index.name, index.table);
}

QString objectName(const DiarySchema::Object& object)
{
    if (object.type == QLatin1String("trigger"))
        return DiarySchema::tr("the trigger %1 on the table %2").arg(object.name, object.table);
    if (object.type == QLatin1String("view"))
        return DiarySchema::tr("the view %1").arg(object.name);
    return DiarySchema::tr("the %1 %2").arg(object.type, object.name);
}

// Whether the creation texts read alike; most often they are the same text.
bool isSameText(const DiarySchema::Object& one, const DiarySchema::Object& other)
{
    return one.sql == other.sql || keyOf(creationTokens(one.sql)) == keyOf(creationTokens(other.sql));
}

} // namespace

DiarySchema DiarySchema::fromRows(const QList<QStringList>& rows)
{
    DiarySchema schema;
    for (const QStringList& row : rows) {
        const Object object{row.value(0).toLower(), row.value(1), row.value(2), row.value(3)};
        if (!isSqliteTable(object))
            schema.m_objects[object.type].insert(object.name.toLower(), object);
    }
    return schema;
}

DiarySchema DiarySchema::withIndexes(std::span<const char* const> statements) const
{
    DiarySchema schema = *this;
    for (const char* statement : statements) {
        // As SQLite keeps it, which leaves the IF NOT EXISTS out.
        const QString sql = QString::fromUtf8(statement).replace(QLatin1String(" IF NOT EXISTS"), QString());
        const Tokens tokens = creationTokens(sql);
        const qsizetype on = findWords(tokens, {QStringLiteral("on")});
        if (on < 1 || on + 1 >= tokens.size())
            continue;
        const Object index{QStringLiteral("index"), tokens.at(on - 1), tokens.at(on + 1), sql};
        if (!schema.m_objects[index.type].contains(index.name.toLower()))
            schema.m_objects[index.type].insert(index.name.toLower(), index);
    }
    return schema;
}

DiarySchema::Differences DiarySchema::differencesFrom(const DiarySchema& own, Format format) const
{
    const bool newerFormat = format == Format::Newer;
    Differences found;
    const QMap<QString, Object> tables = m_objects.value(QStringLiteral("table"));
    for (const Object& table : own.m_objects.value(QStringLiteral("table"))) {
        const auto held = tables.constFind(table.name.toLower());
        if (held == tables.cend())
            found.lacking.append(tr("the table %1").arg(table.name));
        else if (!isSameText(*held, table))
            _tableDifferences(*held, table, format, found);
    }
    for (auto type = m_objects.cbegin(); type != m_objects.cend(); ++type) {
        const QMap<QString, Object> owned = own.m_objects.value(type.key());
        for (const Object& object : type.value()) {
            const auto same = owned.constFind(object.name.toLower());
            if ((same != owned.cend() && (type.key() == QLatin1String("table") || isSameText(*same, object)))
                || isAutomaticIndex(object, tables))
                continue;
            const Tokens tokens = creationTokens(object.sql);
            if (type.key() == QLatin1String("table")) {
                if (!newerFormat)
                    found.foreign.append(tr("the table %1").arg(object.name));
            } else if (type.key() == QLatin1String("index")) {
                if (same != owned.cend())
                    found.foreign.append(tr("the index %1 on the table %2, made otherwise than this program "
                                            "makes it").arg(object.name, object.table));
                else if (const QStringList columns = columnNames(tables.value(object.table.toLower()).sql);
                         !newerFormat || !isPlainIndex(tokens, columns))
                    found.foreign.append(indexName(object, tokens, columns));
            } else {
                found.foreign.append(objectName(object));
            }
        }
    }
    return found;
}

void DiarySchema::_tableDifferences(const Object& held, const Object& own, Format format,
                                    Differences& found) const
{
    const bool newerFormat = format == Format::Newer;
    const TableText heldText = tableText(creationTokens(held.sql));
    const TableText ownText = tableText(creationTokens(own.sql));
    const Definitions heldDefinitions = definitionsOf(heldText);
    const Definitions ownDefinitions = definitionsOf(ownText);
    for (const Tokens& column : ownDefinitions.columns) {
        const Tokens heldColumn = heldDefinitions.columns.value(keyOf(column.mid(0, 1)));
        if (heldColumn.isEmpty())
            found.lacking.append(tr("the column %1 of the table %2").arg(column.front(), own.name));
        else if (keyOf(heldColumn) != keyOf(column))
            columnDifferences(heldColumn, column, own.name, found);
    }
    for (const Tokens& column : heldDefinitions.columns) {
        if (ownDefinitions.columns.contains(keyOf(column.mid(0, 1))) || (newerFormat && isPlainColumn(column)))
            continue;
        const auto feature = std::find_if(std::begin(Features), std::end(Features),
                                          [&](const Feature& feature) { return holds(column, feature); });
        found.foreign.append((feature == std::end(Features) ? tr("the column %1 of the table %2") : tr(feature->foreign))
                                 .arg(column.front(), own.name));
    }
    for (auto constraint = ownDefinitions.constraints.cbegin(); constraint != ownDefinitions.constraints.cend(); ++constraint) {
        if (!heldDefinitions.constraints.contains(constraint.key()))
            found.lacking.append(tr("the %1 of the table %2").arg(constraintKind(constraint.value()), own.name));
    }
    for (auto constraint = heldDefinitions.constraints.cbegin(); constraint != heldDefinitions.constraints.cend(); ++constraint) {
        if (!ownDefinitions.constraints.contains(constraint.key()))
            found.foreign.append(tr("a %1 on the table %2").arg(constraintKind(constraint.value()), own.name));
    }
    if (heldText.tail != ownText.tail)
        found.foreign.append(tr("the table %1 made \"%2\"").arg(own.name, heldText.tail.toUpper()));
}

QList<DiarySchema::Rebuild> DiarySchema::rebuildsTo(const DiarySchema& own) const
{
    QList<Rebuild> rebuilds;
    const QMap<QString, Object> tables = m_objects.value(QStringLiteral("table"));
    const QMap<QString, Object> ownIndexes = own.m_objects.value(QStringLiteral("index"));
    for (const Object& table : own.m_objects.value(QStringLiteral("table"))) {
        const auto held = tables.constFind(table.name.toLower());
        if (held == tables.cend() || isSameText(*held, table))
            continue;
        const QStringList ownColumns = columnNames(table.sql);
        Rebuild rebuild{table.name, table.sql, {}, {}};
        for (const Tokens& column : definitionsOf(tableText(creationTokens(held->sql))).columns)
            rebuild.columns.append(column.front());
        if (!std::all_of(rebuild.columns.cbegin(), rebuild.columns.cend(),
                         [&ownColumns](const QString& column) { return ownColumns.contains(column.toLower()); }))
            continue;
        for (const Object& index : ownIndexes) {
            if (index.table.compare(table.name, Qt::CaseInsensitive) == 0 && !index.sql.isEmpty())
                rebuild.indexes.append(index.sql);
        }
        for (const Object& index : m_objects.value(QStringLiteral("index"))) {
            if (index.table.compare(table.name, Qt::CaseInsensitive) == 0 && !index.sql.isEmpty()
                && !ownIndexes.contains(index.name.toLower()))
                rebuild.indexes.append(index.sql);
        }
        rebuilds.append(rebuild);
    }
    return rebuilds;
}

DiarySchema DiarySchema::rebuiltTo(const DiarySchema& own) const
{
    DiarySchema schema = *this;
    QMap<QString, Object>& tables = schema.m_objects[QStringLiteral("table")];
    QMap<QString, Object>& indexes = schema.m_objects[QStringLiteral("index")];
    const auto ofTable = [](const Object& index, const QString& table) {
        return index.table.compare(table, Qt::CaseInsensitive) == 0;
    };
    for (const Rebuild& rebuild : rebuildsTo(own)) {
        Object& table = tables[rebuild.table.toLower()];
        if (declarationBesideTypes(table.sql) != declarationBesideTypes(rebuild.sql))
            continue;
        table.sql = rebuild.sql;
        // The keys SQLite indexes itself are those of the table made anew.
        indexes.removeIf([&](const auto& index) { return index.value().sql.isEmpty() && ofTable(index.value(), rebuild.table); });
        for (const Object& index : own.m_objects.value(QStringLiteral("index"))) {
            if (ofTable(index, rebuild.table))
                indexes.insert(index.name.toLower(), index);
        }
    }
    return schema;
}

QStringList DiarySchema::triggers() const
{
    QStringList named;
    for (const Object& trigger : m_objects.value(QStringLiteral("trigger")))
        named.append(objectName(trigger));
    return named;
}
