#include "tools/staticdbwriter/tool/exercisetablereader.h"

#include "tools/staticdbwriter/exerciserecord.h"

#include <QFile>

#include <map>
#include <vector>

namespace {

struct Activity {
    quint32 code = 0;
    double met = 0.0;
    QString category;
    QString name;
};

std::optional<Activity> parseLine(const QString& line)
{
    const QStringList fields = line.split(QLatin1Char('|'));
    if (fields.size() != 4)
        return std::nullopt;
    Activity activity;
    bool codeOk = false;
    bool metOk = false;
    activity.code = fields[0].trimmed().toUInt(&codeOk);
    activity.met = fields[1].trimmed().toDouble(&metOk);
    activity.category = fields[2].simplified();
    activity.name = fields[3].simplified();
    if (!codeOk || !metOk || activity.code == 0 || activity.code > 0xFFFF || !(activity.met > 0.0)
        || activity.category.isEmpty() || activity.name.isEmpty())
        return std::nullopt;
    return activity;
}

} // namespace

std::optional<CatalogueNode> ExerciseTableReader::read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    CatalogueNode root = CatalogueNode::makeCategory(0, "Exercises");
    std::map<quint32, size_t> categoryIndex;
    std::vector<Activity> activities;
    for (int lineNumber = 1; !file.atEnd(); ++lineNumber) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const std::optional<Activity> activity = parseLine(line);
        if (!activity) {
            *error = QStringLiteral("%1:%2: expected \"code|MET|category|name\"").arg(path).arg(lineNumber);
            return std::nullopt;
        }
        activities.push_back(*activity);
    }
    quint32 weight = quint32(activities.size());
    for (const Activity& activity : activities) {
        const quint32 categoryId = CATEGORY_ID_BASE + activity.code / 1000;
        auto [found, added] = categoryIndex.try_emplace(categoryId, root.children.size());
        if (added)
            root.children.push_back(CatalogueNode::makeCategory(categoryId, activity.category.toLatin1()));
        CatalogueNode& category = root.children[found->second];
        if (category.name != activity.category.toLatin1()) {
            *error = QStringLiteral("%1: activity %2 names its category \"%3\", not \"%4\"")
                         .arg(path).arg(activity.code).arg(activity.category, QString::fromLatin1(category.name));
            return std::nullopt;
        }
        ExerciseRecord record;
        record.burnRate = burnRate(activity.met);
        category.children.push_back(CatalogueNode::makeItem(activity.code, activity.name.toLatin1(),
                                                            weight--, record.encode()));
    }
    return root;
}
