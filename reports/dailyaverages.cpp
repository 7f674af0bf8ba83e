#include "reports/dailyaverages.h"

#include "widgets/shownday.h"
#include "core/unitcollection.h"
#include "core/unitdescriptor.h"
#include "userdb/diarydb.h"
#include "userdb/userdb.h"

#include <cassert>

namespace {

QString inUnit(DBTypes::NutType nutrient, double value)
{
    return UnitCollection::instance()->get(nutrient)->printNumberUnit(value);
}

QString row(const QString& label, const QString& value, const QString& label2,
            const QString& value2)
{
    return QStringLiteral("<td>") + label + QStringLiteral("</td><td align=\"right\">") + value
        + QStringLiteral("</td><td>&nbsp;&nbsp;&nbsp;</td><td>") + label2
        + QStringLiteral("</td><td align=\"right\">") + value2 + QStringLiteral("</td>");
}

} // namespace

DailyAverages::DailyAverages(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setLineWidth(2);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(204, 204, 204));
    setPalette(colours);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Room for the heading and the three rows, which never scroll.
    setMinimumHeight(fontMetrics().lineSpacing() * 6 + 30 + 2 * frameWidth());
}

void DailyAverages::setDateRange(const QDate& first, const QDate& last)
{
    const qint64 days = first.daysTo(last) + 1;
    assert(days >= 0);
    const auto sums = DiaryDB::instance()->getNutrientInfo(
        ShownDay::instance()->user(),
        first.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(),
        last.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), 0);
    // Inside the viewer's reading action: sums that could not be read leave the figures shown.
    if (!sums)
        return;
    double eaten = 0.0;
    double burned = 0.0;
    double fat = 0.0;
    double protein = 0.0;
    double carbohydrate = 0.0;
    for (const auto& [date, set] : *sums) {
        eaten += set.energy;
        burned += set.exerciseEnergy;
        fat += set.fat;
        protein += set.protein;
        carbohydrate += set.carbs;
    }
    for (double* sum : {&eaten, &burned, &fat, &protein, &carbohydrate}) {
        if (*sum != 0.0)
            *sum /= double(days);
    }
    const UnitDescriptor* energy = UnitCollection::instance()->get(DBTypes::ENERGY);
    const QString table = QStringLiteral(
        "<table border=\"0\" cellpadding=\"0\" cellspacing=\"5\" width=\"100%\">");
    QString text = table + QStringLiteral("<tr><td><big><strong><center>")
        + tr("Daily averages for the past 7 days")
        + QStringLiteral("</center></strong></big></td></tr></table>") + table
        + QStringLiteral("<tr>");
    text += row(tr("Energy Gained Through Food:"), inUnit(DBTypes::ENERGY, eaten), tr("Fat:"),
                inUnit(DBTypes::FAT, fat))
        + QStringLiteral("</tr><tr>");
    text += row(tr("Energy Burnt Through Exercise:"),
                energy->printSignedNumberUnit(-burned),
                tr("Carbs:"),
                inUnit(DBTypes::CARBS, carbohydrate))
        + QStringLiteral("</tr><tr>");
    text += row(tr("Net Energy:"), energy->printSignedNumberUnit(eaten - burned), tr("Protein:"),
                inUnit(DBTypes::PROTEIN, protein))
        + QStringLiteral("</tr>");
    setHtml(text);
}
