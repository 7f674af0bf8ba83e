#pragma once

#include "core/dbtypes.h"
#include "core/diaryday.h"
#include "reports/report.h"

#include <QCoreApplication>
#include <QDate>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

struct DiaryReportData;
class QPaintDevice;
class QTextDocument;
class ReportDeviceMetrics;
class WorkProgress;

// Diary printout for one output device: rich-text blocks paginated so that no block is
// split across pages.
class DiaryReport : public Report
{
    Q_DECLARE_TR_FUNCTIONS(DiaryReport)

public:
    // Lays the days out, telling `progress`, when given, how far it is; once that stops, the
    // rest is left out.
    DiaryReport(ReportDeviceMetrics* metrics, const DiaryReportData* data,
                WorkProgress* progress = nullptr);
    ~DiaryReport() override;

    void draw(QPainter* painter, int page) const override;
    // The pages, the empty page left after the last day not counted.
    int getPageCount() const override;

    // The rich text of each page (the last one may be empty).
    const std::vector<QString>& pages() const { return _pages; }
    const std::vector<DBTypes::NutType>& columns() const { return _columns; }

private:
    using FoodList = std::vector<const DBTypes::FoodDiaryItem*>;

    void _readColumns(const QString& columns);
    void _outputDay(const QDate& date, const DBTypes::DiaryDay& day, bool summaryOnly);
    QString _dailySummary(const QDate& date, const DBTypes::DiaryDay& day) const;
    QString _energyTable(const QDate& date, const DBTypes::DiaryDay& day) const;
    QString _nutrientTable(const DBTypes::DiaryDay& day) const;
    QString _foodGroup(const QString& title, const FoodList& foods) const;
    QString _exerciseGroup(const DBTypes::DiaryDay& day) const;
    // Whether the layout goes on, a day or a page further.
    bool _goesOn();
    void _paginate();
    int _fittingSections() const;
    // Whether the last page's text and the first `sections` pending sections fit its body.
    bool _fits(int sections) const;
    std::unique_ptr<QTextDocument> _layOut(const QString& text, QPaintDevice* device) const;

    ReportDeviceMetrics* _metrics;
    const DiaryReportData* _data;
    std::vector<DBTypes::NutType> _columns;
    int _snackDisplay = 0;
    QRect _body;
    std::vector<QString> _pages{QString()};
    QStringList _pending;
    mutable std::unique_ptr<QTextDocument> _cache;
    mutable const QPaintDevice* _cacheDevice = nullptr;
    mutable int _cachePage = -1;
    WorkProgress* _progress;
    qint64 _daysDone = 0;
};
