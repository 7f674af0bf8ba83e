#include "userdb/diaryversion.h"

#include "userdb/bxexception.h"
#include "userdb/bxsqlquery.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

const int UpgradableVersions[] = {DiaryVersion::OldestUpgradable, 205, 206, 300, 301, 302, 303, 304,
                                  305, 306, 307, 308, 309, 310, 411};

// The formats that start-up opens, as it is or upgraded, written as runs of consecutive
// versions: "204 to 206, 300 to 310, 411 to 499".
QString readableVersions()
{
    std::vector<int> versions(std::begin(UpgradableVersions), std::end(UpgradableVersions));
    for (int version = DiaryVersion::Current;
         version <= DiaryVersion::LastCompatible; ++version)
        versions.push_back(version);
    std::sort(versions.begin(), versions.end());
    versions.erase(std::unique(versions.begin(), versions.end()), versions.end());
    QStringList runs;
    for (std::size_t first = 0; first < versions.size();) {
        std::size_t last = first;
        while (last + 1 < versions.size() && versions[last + 1] == versions[last] + 1)
            ++last;
        runs.append(first == last ? QString::number(versions[first])
                                  : DiaryVersion::tr("%1 to %2").arg(versions[first]).arg(versions[last]));
        first = last + 1;
    }
    return runs.join(QStringLiteral(", "));
}

} // namespace

bool DiaryVersion::isCurrent(int version)
{
    return version >= DiaryVersion::Current
        && version <= DiaryVersion::LastCompatible;
}

bool DiaryVersion::isUpgradable(int version)
{
    return std::find(std::begin(UpgradableVersions), std::end(UpgradableVersions), version)
        != std::end(UpgradableVersions);
}

bool DiaryVersion::isOpenable(int version)
{
    return isCurrent(version) || isUpgradable(version);
}

std::string DiaryVersion::unsupported(int version)
{
    return tr("Your database is not supported by this software.\n"
                       "\tDatabase format: %1\n\tFormats this software reads: %2")
        .arg(version)
        .arg(readableVersions())
        .toStdString();
}

std::optional<QVariant> DiaryVersion::stored(StoreResult* stopped)
{
    BXSqlQuery statement("SELECT itemvalue FROM userdata_meta WHERE itemkey = 'schema_version'");
    const std::optional<bool> found = statement.first();
    *stopped = statement.outcome();
    return found.value_or(false) ? std::optional<QVariant>(statement.value(0)) : std::nullopt;
}

std::optional<int> DiaryVersion::of(const QVariant& stored)
{
    bool number = false;
    const int version = stored.toString().trimmed().toInt(&number);
    return number ? std::optional<int>(version) : std::nullopt;
}

int DiaryVersion::read()
{
    StoreResult stopped;
    const std::optional<QVariant> version = stored(&stopped);
    if (!stopped)
        throw BXException::ofStatement(QStringLiteral("Cannot read the database schema version"),
                                       stopped);
    const std::optional<int> number = of(version.value_or(QVariant()));
    if (!number)
        throw BXException("The database has no schema version that is a number");
    return *number;
}
