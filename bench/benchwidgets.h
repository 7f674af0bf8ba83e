#pragma once

// The whole main() of a benchmark of screens.

#include "bench/benchrun.h"

#include <QApplication>
#include <QTemporaryDir>

namespace BenchRun {

// Runs a benchmark of screens from start to end: a home folder of its own, widgets offscreen
// and quiet logging, then `setUp(home)`; the benchmarks the command line names run only when it
// succeeds, and `tearDown()` follows them. The process's exit status.
template <typename SetUp, typename TearDown>
int runWithWidgets(int argc, char** argv, SetUp setUp, TearDown tearDown)
{
    QTemporaryDir home;
    if (!useHomeOffscreen(home))
        return 1;
    QApplication app(argc, argv);
    hideDebugMessages();
    if (!setUp(home))
        return 1;
    runBenchmarks(argc, argv);
    tearDown();
    return 0;
}

} // namespace BenchRun
