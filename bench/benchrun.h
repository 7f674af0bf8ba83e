#pragma once

// The frame every benchmark's main() shares: a home folder of the run's own, quiet logging,
// the shipped brand, and the benchmark library's run.

#include "core/brandengine.h"
#include "core/bxsettings.h"

#include <QLoggingCategory>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace BenchRun {

// Points HOME and the XDG folders at home, so that everything the run writes stays in it;
// false when the folder could not be made. Call it before the application object.
inline bool useHome(const QTemporaryDir& home)
{
    if (!home.isValid())
        return false;
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    return true;
}

// As useHome(), and widgets draw offscreen unless QT_QPA_PLATFORM names a platform.
inline bool useHomeOffscreen(const QTemporaryDir& home)
{
    if (!useHome(home))
        return false;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

// Keeps debug messages out of the figures.
inline void hideDebugMessages()
{
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
}

// Imports the brand of the resource folder.
inline bool importBrand()
{
    const QByteArray brand = (BXSettings::getResourceDBPath() + QStringLiteral("brand.dat")).toLocal8Bit();
    return BrandEngine::instance()->import(brand.constData());
}

// Runs the benchmarks the command line names (all by default).
inline void runBenchmarks(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

} // namespace BenchRun
