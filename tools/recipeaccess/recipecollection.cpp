#include "tools/recipeaccess/recipecollection.h"

#include "catalogue/stringmatcherutf.h"

#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <memory>

namespace {

constexpr int FIELD_COUNT = 13;

} // namespace

bool RecipeCollection::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QTextStream in(&file);
    int lineNumber = 0;
    QString line;
    while (in.readLineInto(&line)) {
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        CollectionRecipe recipe;
        if (!_parseLine(line, &recipe)) {
            *error = QStringLiteral("%1:%2: expected %3 fields separated by '|'")
                         .arg(path).arg(lineNumber).arg(FIELD_COUNT);
            return false;
        }
        _recipes.push_back(recipe);
    }
    return true;
}

bool RecipeCollection::_parseLine(const QString& line, CollectionRecipe* recipe) const
{
    const QStringList fields = line.split(QLatin1Char('|'));
    if (fields.size() != FIELD_COUNT)
        return false;
    bool idOk = false;
    bool servingsOk = false;
    recipe->id = fields[0].toInt(&idOk);
    recipe->name = fields[1];
    recipe->servings = fields[2].toInt(&servingsOk);
    if (!idOk || !servingsOk || recipe->name.isEmpty())
        return false;
    for (size_t nut = 0; nut < recipe->nutrients.size(); ++nut) {
        const QString& field = fields[int(nut) + 3];
        if (field.isEmpty())
            continue;
        bool ok = false;
        recipe->nutrients[nut] = field.toDouble(&ok);
        if (!ok)
            return false;
    }
    return true;
}

const CollectionRecipe* RecipeCollection::find(qint32 id) const
{
    for (const CollectionRecipe& recipe : _recipes) {
        if (recipe.id == id)
            return &recipe;
    }
    return nullptr;
}

std::vector<const CollectionRecipe*> RecipeCollection::search(const QString& text) const
{
    std::vector<QString> words;
    getWordsIntoVector(words, text);
    std::vector<std::unique_ptr<StringMatcherUtf>> matchers;
    for (const QString& word : words)
        matchers.push_back(std::make_unique<StringMatcherUtf>(word, StringMatcherUtf::Encoding::Utf8));
    std::vector<const CollectionRecipe*> found;
    for (const CollectionRecipe& recipe : _recipes) {
        const QByteArray name = recipe.name.toUtf8();
        const auto holds = [&name](const std::unique_ptr<StringMatcherUtf>& matcher) {
            return (*matcher)(name.constData(), int(name.size()));
        };
        if (!matchers.empty() && std::all_of(matchers.begin(), matchers.end(), holds))
            found.push_back(&recipe);
    }
    return found;
}
