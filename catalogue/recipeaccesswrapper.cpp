#include "catalogue/recipeaccesswrapper.h"

#include "catalogue/blockingprocess.h"
#include "catalogue/proxyrecipeaccess.h"
#include "catalogue/recipechannel.h"
#include "catalogue/recipetext.h"
#include "core/bxsettings.h"
#include "core/regularfile.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

constexpr int MAX_ACCESS_LINE = 65536;
const QString LOAD_TAG = QStringLiteral("!load!");

} // namespace

RecipeAccessWrapper::RecipeAccessWrapper()
{
    const QStringList commands = _getPotentialLibs();
    for (const QString& command : commands) {
        _connect(command);
        if (_root)
            break;
    }
}

RecipeAccessWrapper::~RecipeAccessWrapper()
{
    if (!_root)
        return;
    _root->Release();
    _channel->close();
    _channel.reset();
    _process.reset();
}

void RecipeAccessWrapper::_connect(const QString& command)
{
    auto process = std::make_unique<BlockingProcess>(command);
    if (!process->isOpen())
        return;
    auto channel = std::make_unique<RecipeChannel>(process.get());
    quint32 rootId = 0;
    if (!channel->handshake(&rootId)) {
        qWarning("RecipeAccessWrapper: %s did not answer as a recipe access program",
                 qPrintable(command));
        return;
    }
    _process = std::move(process);
    _channel = std::move(channel);
    _root = new ProxyRecipeAccess(_channel.get(), rootId);
}

QString RecipeAccessWrapper::recipeFolder()
{
    return BXSettings::getRecipeDir();
}

QStringList RecipeAccessWrapper::_getPotentialLibs()
{
    const QString folder = recipeFolder();
    const QStringList entries = QDir(folder).entryList(QDir::Dirs | QDir::Hidden,
                                                       QDir::Name | QDir::IgnoreCase);
    QStringList commands;
    for (const QString& entry : entries)
        _readAccessFile(folder + QLatin1Char('/') + entry + QStringLiteral("/access.txt"), &commands);
    return commands;
}

void RecipeAccessWrapper::_readAccessFile(const QString& path, QStringList* commands)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return;
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line, MAX_ACCESS_LINE)) {
        if (!line.startsWith(LOAD_TAG))
            continue;
        const qsizetype end = line.indexOf(QLatin1Char('!'), LOAD_TAG.size());
        if (end > LOAD_TAG.size())
            commands->append(line.mid(LOAD_TAG.size(), end - LOAD_TAG.size()));
    }
}

bool RecipeAccessWrapper::isOk() const
{
    return _root && _channel->isAlive();
}

IRecipeResults* RecipeAccessWrapper::search(const QString& text)
{
    if (!_root)
        return nullptr;
    char16_t* units = RecipeText::alloc(text);
    // Out of memory, the search finds nothing.
    if (!units)
        return nullptr;
    IRecipeResults* results = nullptr;
    _root->DoSearch(units, &results);
    RecipeText::free(units);
    return results;
}

IRecipe* RecipeAccessWrapper::getRecipe(int id)
{
    if (!_root)
        return nullptr;
    IRecipe* recipe = nullptr;
    _root->GetRecipe(id, &recipe);
    return recipe;
}
