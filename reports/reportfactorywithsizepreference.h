#pragma once

#include "reports/reportfactory.h"

#include <QSize>

#include <vector>

// A factory whose report can be laid out on screen at several page sizes.
class ReportFactoryWithSizePreference : public ReportFactory
{
public:
    // Appends the page sizes in pixels at which the report can be laid out, preferred first.
    virtual void getSizes(std::vector<QSize>& sizes) const = 0;
};
