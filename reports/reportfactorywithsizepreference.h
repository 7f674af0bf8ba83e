#pragma once

#include "reports/reportfactory.h"

#include <QSize>

#include <vector>

// A factory whose report can be laid out on screen at several page sizes.
class ReportFactoryWithSizePreference : public ReportFactory
{
public:
    // Adds the pixel sizes this report supports, best one first.
    virtual void getSizes(std::vector<QSize>& sizes) const = 0;
};
