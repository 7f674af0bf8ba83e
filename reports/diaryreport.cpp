#include "reports/diaryreport.h"

#include "core/brandengine.h"
#include "core/dateconversion.h"
#include "core/displaydate.h"
#include "core/numberparser.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "core/workprogress.h"
#include "reports/diaryreportdata.h"
#include "reports/reportdevicemetrics.h"
#include "reports/reportpage.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

using DBTypes::DiaryDay;
using DBTypes::FoodDiaryItem;
using DBTypes::NutType;

namespace {

constexpr int MaxColumns = 6;
constexpr int NutrientCount = 10;
// The sections of a day in full form, which mostly fit a page together.
constexpr int FirstTry = 8;

const UnitDescriptor* unitOf(NutType nut)
{
    return UnitCollection::instance()->get(nut);
}

const UnitDescriptor* energyUnit()
{
    return unitOf(DBTypes::ENERGY);
}

QString row(const QString& label, const QString& value)
{
    return QStringLiteral("<tr><td>%1</td><td>%2</td></tr>").arg(label, value);
}

QString titleBar(const QString& title, bool aligned)
{
    const QString rule = aligned ? QStringLiteral("<td width=\"40%\" valign=\"bottom\"><hr></td>")
                                 : QStringLiteral("<td width=\"40%\"><hr></td>");
    const QString centre = aligned ? QStringLiteral(" valign=\"top\"") : QString();
    return QStringLiteral("<table width=\"100%\" border=\"0\"><tr>%1<td align=\"center\"%2>"
                          "<big><b>%3</b></big></td>%1</tr></table>")
        .arg(rule, centre, title);
}

QString columnHeading(NutType nut)
{
    const UnitDescriptor* unit = unitOf(nut);
    const QString name = nut == DBTypes::ENERGY ? DiaryReport::tr("energy") : unit->printName();
    return QStringLiteral("<td align=\"right\" nowrap><i>%1&nbsp;(%2)</i></td>")
        .arg(name.toHtmlEscaped(), unit->printUnits().toHtmlEscaped());
}

QString rightCell(const QString& text, bool bold = false)
{
    return bold ? QStringLiteral("<td align=\"right\" nowrap><b>%1</b></td>").arg(text)
                : QStringLiteral("<td align=\"right\" nowrap>%1</td>").arg(text);
}

QString noItems()
{
    return QStringLiteral("<tr><td><i>%1</i></td></tr>").arg(DiaryReport::tr("No items logged"));
}

} // namespace

DiaryReport::DiaryReport(ReportDeviceMetrics* metrics, const DiaryReportData* data,
                         WorkProgress* progress)
    : _metrics(metrics), _data(data), _progress(progress)
{
    _readColumns(data->columns);
    _snackDisplay = data->snackDisplay;
    _body = ReportPage::body(*metrics);
    _pending.append(tr("<h1>Diary Food and Exercise Report</h1><p>This report was "
                       "made by %1.</p>")
                        .arg(BrandEngine::instance()->getString("app_name").toHtmlEscaped()));
    if (data->summaryOnly) {
        for (const auto& [date, day] : data->days) {
            if (!_goesOn())
                return;
            ++_daysDone;
            if (day.empty() && data->omitEmpty) {
                _pending.append(QStringLiteral("<h2>%1</h2>").arg(DisplayDate::longText(date)));
                _pending.append(tr("<p>No entries exist for this date.</p>"));
            } else {
                _outputDay(date, day, true);
            }
        }
        _paginate();
        return;
    }
    for (const auto& [date, day] : data->days) {
        if (!_goesOn())
            return;
        ++_daysDone;
        if (day.empty() && data->omitEmpty)
            continue;
        _outputDay(date, day, false);
        _paginate();
        _pages.emplace_back();
    }
}

DiaryReport::~DiaryReport() = default;

// The user's diary columns: nutrient numbers each followed by ":". Pieces that are no
// nutrient number are skipped; the first six are kept.
void DiaryReport::_readColumns(const QString& columns)
{
    const QStringList pieces = columns.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString& piece : pieces) {
        bool ok = false;
        const int nut = piece.toInt(&ok);
        if (!ok || nut < 0 || nut >= NutrientCount)
            continue;
        _columns.push_back(NutType(nut));
        if (int(_columns.size()) == MaxColumns)
            break;
    }
}

int DiaryReport::getPageCount() const
{
    const int count = int(_pages.size());
    return _pages.back().isEmpty() ? count - 1 : count;
}

void DiaryReport::_outputDay(const QDate& date, const DiaryDay& day, bool summaryOnly)
{
    _pending.append(QStringLiteral("<h2>%1</h2>").arg(DisplayDate::longText(date)));
    _pending.append(_dailySummary(date, day));
    if (summaryOnly)
        return;
    FoodList byGroup[DiaryDay::EVENING_SNACK + 1];
    FoodList snacks;
    for (const FoodDiaryItem& food : day.foods) {
        if (food.meal < DiaryDay::BREAKFAST || food.meal > DiaryDay::EVENING_SNACK)
            continue;
        byGroup[food.meal].push_back(&food);
        if (food.meal % 2 == 0)
            snacks.push_back(&food);
    }
    const auto group = [&](const char* title, int meal) {
        _pending.append(_foodGroup(tr(title), byGroup[meal]));
    };
    switch (_snackDisplay) {
    case DBTypes::SNACKS_BETWEEN_MEALS:
        group(QT_TR_NOOP("Breakfast"), DiaryDay::BREAKFAST);
        group(QT_TR_NOOP("Breakfast snacks"), DiaryDay::MORNING_SNACK);
        group(QT_TR_NOOP("Lunch"), DiaryDay::LUNCH);
        group(QT_TR_NOOP("Afternoon snacks"), DiaryDay::AFTERNOON_SNACK);
        group(QT_TR_NOOP("Dinner"), DiaryDay::DINNER);
        group(QT_TR_NOOP("Evening snacks"), DiaryDay::EVENING_SNACK);
        break;
    case DBTypes::SNACKS_NUMBERED:
        group(QT_TR_NOOP("Breakfast"), DiaryDay::BREAKFAST);
        group(QT_TR_NOOP("Lunch"), DiaryDay::LUNCH);
        group(QT_TR_NOOP("Dinner"), DiaryDay::DINNER);
        group(QT_TR_NOOP("Snacks #1"), DiaryDay::MORNING_SNACK);
        group(QT_TR_NOOP("Snacks #2"), DiaryDay::AFTERNOON_SNACK);
        group(QT_TR_NOOP("Snacks #3"), DiaryDay::EVENING_SNACK);
        break;
    default:
        group(QT_TR_NOOP("Breakfast"), DiaryDay::BREAKFAST);
        group(QT_TR_NOOP("Lunch"), DiaryDay::LUNCH);
        group(QT_TR_NOOP("Dinner"), DiaryDay::DINNER);
        _pending.append(_foodGroup(tr("Snacks"), snacks));
        break;
    }
    _pending.append(_exerciseGroup(day));
}

QString DiaryReport::_dailySummary(const QDate& date, const DiaryDay& day) const
{
    return titleBar(tr("Daily&nbsp;Summary"), false)
        + QStringLiteral("<table width=\"100%\" cellspacing=\"10\"><tr><td width=\"50%\">%1</td>"
                         "<td width=\"50%\">%2</td></tr></table>")
              .arg(_energyTable(date, day), _nutrientTable(day));
}

QString DiaryReport::_energyTable(const QDate& date, const DiaryDay& day) const
{
    float gained = 0.0f;
    for (int meal = DiaryDay::BREAKFAST; meal <= DiaryDay::EVENING_SNACK; ++meal)
        gained += day.getGroupTotal(DiaryDay::GroupType(meal), DBTypes::ENERGY);
    const float net = day.getTotal(DBTypes::ENERGY);
    const UnitDescriptor* unit = energyUnit();
    QString rows = row(tr("Energy Gained Through Food:"), unit->printNumberUnit(gained))
        + row(tr("Energy Burnt Through Exercise:"),
              unit->printSignedNumberUnit(-day.getGroupTotal(DiaryDay::EXERCISE, DBTypes::ENERGY)))
        + row(tr("Net Energy:"), unit->printSignedNumberUnit(net));
    const float target = _data->energyTarget(date);
    if (target >= 0.0f) {
        // Under or over by the difference of the two figures shown above.
        const bool under = unit->shownValue(target) > unit->shownValue(net);
        const QString result = under
            ? tr("%1 %2 under").arg(unit->printDifference(target, net), unit->printName())
            : tr("%1 %2 over").arg(unit->printDifference(net, target), unit->printName());
        rows += row(tr("Energy Budget:"), unit->printNumberUnit(target))
            + row(tr("<b>End Result:</b>"), QStringLiteral("<b>%1</b>").arg(result));
    }
    return QStringLiteral("<table cellspacing=\"2\">%1</table>").arg(rows);
}

QString DiaryReport::_nutrientTable(const DiaryDay& day) const
{
    QString rows;
    for (NutType nut : _columns) {
        if (nut == DBTypes::ENERGY)
            continue;
        const UnitDescriptor* unit = unitOf(nut);
        rows += tr("<tr><td> Total %1:</td>%2</tr>")
                    .arg(unit->printName().toHtmlEscaped(),
                         rightCell(unit->printNumberUnit(day.getTotal(nut))));
    }
    return QStringLiteral("<table cellspacing=\"2\">%1</table>").arg(rows);
}

// A meal group's table: its entries newest first and the total of the listed entries.
QString DiaryReport::_foodGroup(const QString& title, const FoodList& foods) const
{
    QString rows;
    if (foods.empty()) {
        rows = noItems();
    } else {
        rows = QStringLiteral("<tr><td><i>%1</i></td>").arg(tr("item"));
        for (NutType nut : _columns)
            rows += columnHeading(nut);
        rows += QStringLiteral("</tr>");
        for (auto it = foods.rbegin(); it != foods.rend(); ++it) {
            const FoodDiaryItem& food = **it;
            rows += tr("<tr><td>%1 %2 of %3</td>")
                        .arg(NumberParser::writeShort(food.size),
                             DBTypes::ServingItem::shown(food.getServingDesc()).toHtmlEscaped(),
                             food.getDesc().toHtmlEscaped());
            for (NutType nut : _columns)
                rows += rightCell(unitOf(nut)->printNumber(food.getNutrient(nut)));
            rows += QStringLiteral("</tr>");
        }
        rows += QStringLiteral("<tr><td><b>%1</b></td>").arg(tr("total"));
        for (NutType nut : _columns) {
            float total = 0.0f;
            for (const FoodDiaryItem* food : foods)
                total += std::max(food->getNutrient(nut), 0.0f);
            rows += rightCell(unitOf(nut)->printNumber(total), true);
        }
        rows += QStringLiteral("</tr>");
    }
    return titleBar(title, true)
        + QStringLiteral("<table width=\"100%\" cellpadding=\"3\">%1</table>").arg(rows);
}

QString DiaryReport::_exerciseGroup(const DiaryDay& day) const
{
    const UnitDescriptor* unit = energyUnit();
    QString rows;
    if (day.exercises.empty()) {
        rows = noItems();
    } else {
        rows = QStringLiteral("<tr><td><i>%1</i></td>").arg(tr("exercise"))
            + columnHeading(DBTypes::ENERGY) + QStringLiteral("</tr>");
        for (const DBTypes::ExerciseDiaryItem& exercise : day.exercises) {
            rows += tr("<tr><td>%1 mins of %2</td>%3</tr>")
                        .arg(NumberParser::writeShort(exercise.duration),
                             exercise.name.toHtmlEscaped(),
                             rightCell(unit->printSignedNumber(-exercise.energy())));
        }
        rows += QStringLiteral("<tr><td><b>%1</b></td>%2</tr>")
                    .arg(tr("total"), rightCell(unit->printSignedNumber(-day.getGroupTotal(
                                       DiaryDay::EXERCISE, DBTypes::ENERGY)),
                                   true));
    }
    return titleBar(tr("Exercise"), false)
        + QStringLiteral("<table width=\"100%\" cellpadding=\"3\">%1</table>").arg(rows);
}

bool DiaryReport::_goesOn()
{
    return !_progress || _progress->advance(_daysDone, qint64(_data->days.size()));
}

// Paginates the queued sections without splitting any; a page always gets one, even when
// it overflows.
void DiaryReport::_paginate()
{
    while (!_pending.isEmpty() && _goesOn()) {
        const int fitting = _fittingSections();
        const int taken = (fitting == 0 && _pages.back().isEmpty()) ? 1 : fitting;
        _pages.back() += _pending.mid(0, taken).join(QString());
        _pending.remove(0, taken);
        if (!_pending.isEmpty())
            _pages.emplace_back();
    }
}

// The largest number of leading pending sections that still fit on the last page. Adding a
// section never makes the text shorter, so the number is found by trying growing counts,
// starting with a day's worth and doubling, and then halving the gap between the last count
// that fitted and the first that did not. Each try lays out rich text, so a day that fits
// a page whole costs one try.
int DiaryReport::_fittingSections() const
{
    const int pending = int(_pending.size());
    int lo = 0;
    int hi = pending;
    for (int count = std::min(pending, FirstTry);; count = std::min(pending, 2 * count)) {
        if (!_fits(count)) {
            hi = count - 1;
            break;
        }
        lo = count;
        if (count == pending)
            break;
    }
    while (lo < hi) {
        const int mid = (hi - lo + 1) / 2 + lo;
        if (_fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

bool DiaryReport::_fits(int sections) const
{
    const QString text = _pages.back() + _pending.mid(0, sections).join(QString());
    const auto document = _layOut(text, ReportPage::measuringDevice(*_metrics));
    return document->size().height() <= _body.height();
}

std::unique_ptr<QTextDocument> DiaryReport::_layOut(const QString& text,
                                                    QPaintDevice* device) const
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0);
    document->setDefaultFont(_metrics->getFontEquivalent(QStringLiteral("Arial"), 8, false, false));
    if (device)
        document->documentLayout()->setPaintDevice(device);
    // The width first: set afterwards it would lay the whole text out a second time.
    document->setTextWidth(_body.width());
    document->setHtml(text);
    return document;
}

void DiaryReport::draw(QPainter* painter, int page) const
{
    if (page < 0 || page >= getPageCount())
        return;
    const QPaintDevice* device = painter->device();
    if (!_cache || _cacheDevice != device || _cachePage != page) {
        _cache = _layOut(_pages[page], painter->device());
        _cacheDevice = device;
        _cachePage = page;
    }
    painter->save();
    painter->setClipRect(_body, Qt::IntersectClip);
    painter->translate(_body.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    context.palette.setColor(QPalette::WindowText, Qt::black);
    context.palette.setColor(QPalette::Base, Qt::white);
    context.palette.setColor(QPalette::Window, Qt::white);
    context.clip = QRectF(0, 0, _body.width(), _body.height());
    _cache->documentLayout()->draw(painter, context);
    painter->restore();
}
