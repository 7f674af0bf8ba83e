#include "profile/bmiwidget.h"

#include "core/numberparser.h"
#include "core/unitweight.h"
#include "userdb/userdb.h"

#include <QPainter>

#include <iterator>

namespace {

struct Band
{
    UserDB::BmiBand band;
    const char* name;
    QColor colour;
};

// The bands begin where the user store's rule places an index in them.
const Band s_bands[] = {
    {UserDB::BmiUnder, QT_TRANSLATE_NOOP("BMIWidget", "Under"), QColor(255, 0, 0)},
    {UserDB::BmiHealthy, QT_TRANSLATE_NOOP("BMIWidget", "Ideal"), QColor(153, 204, 102)},
    {UserDB::BmiOver, QT_TRANSLATE_NOOP("BMIWidget", "Over"), QColor(255, 255, 153)},
    {UserDB::BmiObese, QT_TRANSLATE_NOOP("BMIWidget", "Obese"), QColor(250, 0, 0)},
    {UserDB::BmiVeryObese, QT_TRANSLATE_NOOP("BMIWidget", "Very Obese"), QColor(250, 0, 0)},
};
constexpr int BAND_COUNT = int(std::size(s_bands));

float bandStart(int index)
{
    return UserDB::bmiBandStart(s_bands[index].band);
}

const QColor s_background(131, 156, 214);
const QColor s_lineColour(Qt::black);
constexpr int LINE_WIDTH = 4;
constexpr int MARK_WIDTH = 5;
constexpr int INNER_MARGIN = 10;
constexpr int OUTER_MARGIN = 20;
constexpr int SCALE_MARGIN = INNER_MARGIN + OUTER_MARGIN;
constexpr int LABEL_GAP = 10;
constexpr int BOX_PADDING = 10;
constexpr int MARKER_REACH = 30;
constexpr int ARROW_STRIP = 8;
constexpr int ARROW_POINT_SIZE = 12;

// The "<" or ">" beside the scale for an index off its ends.
void drawArrow(QPainter& painter, const QRect& strip, const QString& arrow)
{
    QFont arrowFont;
    arrowFont.setPointSize(ARROW_POINT_SIZE);
    painter.setFont(arrowFont);
    painter.setPen(Qt::black);
    painter.drawText(strip, Qt::AlignCenter, arrow);
}

} // namespace

BMIWidget::BMIWidget(QWidget* parent)
    : QWidget(parent)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, s_background);
    setPalette(colours);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
}

void BMIWidget::set(int, float weightKg, float heightCm)
{
    _weight = weightKg;
    _height = heightCm / 100.0f;
    update();
}

void BMIWidget::setDisplayImperial(bool imperial)
{
    _imperial = imperial;
}

float BMIWidget::bmi() const
{
    if (!(_weight > 0.0f) || !(_height > 0.0f))
        return NO_BMI;
    return _weight / (_height * _height);
}

float BMIWidget::weightAtBMI(float index) const
{
    return _height * _height * index;
}

QSize BMIWidget::sizeHint() const
{
    return QSize(400, 150);
}

int BMIWidget::scaleX(double index, int width)
{
    return int(SCALE_MARGIN + (index - SCALE_LOW) / (SCALE_HIGH - SCALE_LOW) * (width - 2 * SCALE_MARGIN));
}

QString BMIWidget::indexText() const
{
    return tr(" Your BMI: %1").arg(UserDB::bmiText(bmi()));
}

QString BMIWidget::boundaryText(float index) const
{
    const float kilograms = weightAtBMI(index);
    if (_imperial)
        return tr("%1 lb").arg(NumberParser::write(UnitWeight::metricToImperial(kilograms), 0));
    return tr("%1 kg").arg(NumberParser::write(kilograms, 1));
}

void BMIWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int centre = height() / 2;
    int boundaries[BAND_COUNT + 1];
    for (int i = 0; i < BAND_COUNT; ++i)
        boundaries[i] = scaleX(bandStart(i), width());
    boundaries[BAND_COUNT] = scaleX(SCALE_HIGH, width());

    _drawBands(painter, boundaries, centre);
    const bool known = bmi() != NO_BMI;
    if (known)
        _drawIndexBox(painter, boundaries, centre);
    _drawBandNames(painter, boundaries, centre);
    if (known)
        _drawBoundaryWeights(painter, boundaries, centre);
}

void BMIWidget::_drawBands(QPainter& painter, const int* boundaries, int centre) const
{
    painter.setPen(QPen(s_lineColour, LINE_WIDTH, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(OUTER_MARGIN, centre, width() - OUTER_MARGIN, centre);
    for (int i = 0; i < BAND_COUNT; ++i) {
        painter.setPen(QPen(s_bands[i].colour, LINE_WIDTH, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(boundaries[i], centre, boundaries[i + 1], centre);
    }
    painter.setPen(QPen(Qt::black, MARK_WIDTH, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i <= BAND_COUNT; ++i)
        painter.drawLine(boundaries[i], centre, boundaries[i] + 1, centre);
}

void BMIWidget::_drawIndexBox(QPainter& painter, const int* boundaries, int centre) const
{
    const QString text = indexText();
    const QFontMetrics metrics(font());
    const int boxWidth = metrics.horizontalAdvance(text) + 2 * BOX_PADDING;
    const int boxHeight = metrics.lineSpacing() + BOX_PADDING;
    const int top = centre - LINE_WIDTH / 2 - metrics.lineSpacing() - LABEL_GAP - boxHeight;
    const float index = bmi();

    int left = 0;
    if (index < SCALE_LOW) {
        left = boundaries[0];
        drawArrow(painter, QRect(OUTER_MARGIN, top, ARROW_STRIP, boxHeight), QStringLiteral("<"));
    } else if (index > SCALE_HIGH) {
        left = boundaries[BAND_COUNT] - boxWidth;
        drawArrow(painter, QRect(width() - OUTER_MARGIN - 1 - ARROW_STRIP, top, ARROW_STRIP, boxHeight),
                  QStringLiteral(">"));
    } else {
        const int x = scaleX(index, width());
        left = x - boxWidth / 2;
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(x, centre - MARKER_REACH, x, centre + LINE_WIDTH / 2);
    }
    const QRect box(left, top, boxWidth, boxHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(box, 5, 5, Qt::RelativeSize);
    painter.setBrush(Qt::NoBrush);
    painter.setFont(font());
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

void BMIWidget::_drawBandNames(QPainter& painter, const int* boundaries, int centre) const
{
    const QFontMetrics metrics(font());
    const int top = centre - LINE_WIDTH / 2 - metrics.lineSpacing();
    painter.setFont(font());
    painter.setPen(Qt::black);
    for (int i = 0; i < BAND_COUNT; ++i) {
        const QString name = tr(s_bands[i].name);
        const int nameWidth = metrics.horizontalAdvance(name);
        const int middle = boundaries[i] + (boundaries[i + 1] - boundaries[i]) / 2;
        const QRect area(middle - nameWidth / 2, top, nameWidth, metrics.lineSpacing());
        painter.fillRect(area, s_background);
        painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop, name);
    }
}

void BMIWidget::_drawBoundaryWeights(QPainter& painter, const int* boundaries, int centre) const
{
    const QFontMetrics metrics(font());
    const int top = centre + LINE_WIDTH / 2 + 1;
    painter.setFont(font());
    painter.setPen(Qt::black);
    // A weight that would touch the one before it goes a line lower.
    int previousRight = 0;
    bool lowered = false;
    for (int j = 1; j < BAND_COUNT; ++j) {
        const QString text = boundaryText(bandStart(j));
        const int textWidth = metrics.horizontalAdvance(text);
        const int left = boundaries[j] - textWidth / 2;
        lowered = !lowered && j > 1 && left < previousRight + LABEL_GAP;
        const int lineTop = lowered ? top + metrics.lineSpacing() : top;
        painter.drawText(QRect(left, lineTop, textWidth, metrics.lineSpacing()), Qt::AlignCenter,
                         text);
        previousRight = left + textWidth;
    }
}
