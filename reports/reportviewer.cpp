#include "reports/reportviewer.h"

QDate ReportViewer::_date;
