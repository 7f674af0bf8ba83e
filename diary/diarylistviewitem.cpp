#include "diary/diarylistviewitem.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QTreeWidget>

namespace {

// The widths of the words of entry names in one font. A diary names the same foods day
// after day, and measuring a word means shaping it, so each word is measured once.
int wordWidth(const QString& word, const QFont& font)
{
    static QHash<QString, int> widths;
    static QFont measuredFont;
    constexpr qsizetype MaxWords = 20000;
    if (font != measuredFont || widths.size() >= MaxWords) {
        widths.clear();
        measuredFont = font;
    }
    const auto known = widths.constFind(word);
    if (known != widths.cend())
        return *known;
    const int width = QFontMetrics(font).horizontalAdvance(word);
    widths.insert(word, width);
    return width;
}

} // namespace

DiaryListViewItem::DiaryListViewItem(QTreeWidget* parent, const QString& text, qint64 id, int kind,
                                     int pointSize)
    : QTreeWidgetItem(parent, ItemType)
{
    _init(text, id, kind, pointSize, parent->font());
}

DiaryListViewItem::DiaryListViewItem(QTreeWidgetItem* parent, const QString& text, qint64 id,
                                     int kind, int pointSize)
    : QTreeWidgetItem(parent, ItemType)
{
    _init(text, id, kind, pointSize, parent->treeWidget()->font());
    setFlags(flags() | Qt::ItemIsDragEnabled);
    resizeNameColumn();
}

void DiaryListViewItem::_init(const QString& text, qint64 id, int kind, int pointSize,
                              const QFont& listFont)
{
    _id = id;
    _kind = kind;
    setText(0, text);
    setData(0, RowIdRole, id);
    setFlags(flags() & ~Qt::ItemIsEditable);
    QFont font = listFont;
    if (pointSize != 0)
        font.setPointSize(pointSize);
    setFont(font);
}

void DiaryListViewItem::setFont(const QFont& font)
{
    _font = font;
    const int columns = treeWidget() ? treeWidget()->columnCount() : 1;
    for (int column = 0; column < columns; ++column)
        QTreeWidgetItem::setFont(column, font);
    setup();
}

void DiaryListViewItem::setBaseColor(const QColor& color)
{
    _ownColor = true;
    _baseColor = color;
    const int columns = treeWidget() ? treeWidget()->columnCount() : 1;
    for (int column = 0; column < columns; ++column)
        setBackground(column, color);
}

bool DiaryListViewItem::hasGapAbove() const
{
    return !parent() && treeWidget() && treeWidget()->indexOfTopLevelItem(
                                            const_cast<DiaryListViewItem*>(this)) > 0;
}

int DiaryListViewItem::rowHeight(int fontHeight, bool topLevel, bool gapAbove)
{
    int height = fontHeight + (fontHeight % 2 ? 5 : 4);
    if (topLevel)
        height += 4;
    if (gapAbove)
        height += height / 2;
    return height;
}

void DiaryListViewItem::setup()
{
    if (_id >= 1)
        return;
    const int height = rowHeight(QFontMetrics(_font).height(), !parent(), hasGapAbove());
    setSizeHint(0, QSize(0, height));
}

QString DiaryListViewItem::wrapName(const QString& text, int available, const QFont& font,
                                    int* lines)
{
    QString wrapped;
    int running = 0;
    *lines = 1;
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        running += wordWidth(word, font);
        if (available < running + 5) {
            wrapped.chop(1);
            wrapped += QLatin1Char('\n');
            running = 0;
            ++*lines;
        }
        wrapped += word + QLatin1Char(' ');
    }
    return wrapped.trimmed();
}

void DiaryListViewItem::resizeNameColumn()
{
    const QTreeWidget* list = treeWidget();
    if (_id < 0 || !list)
        return;
    const QFont font = QApplication::font();
    const int available = list->columnWidth(0) - 3 * list->indentation();
    int lines = 1;
    setText(0, wrapName(text(0), available, font, &lines));
    setSizeHint(0, QSize(0, QFontMetrics(font).height() * lines + 6));
}
