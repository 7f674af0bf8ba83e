#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTreeWidgetItem>

// A row of the diary list: a group row (top level), an entry row or the hint row of an empty
// group. It keeps its id under the list's row id role, its own font and, for group rows, its
// own background colour. Entry rows wrap their name onto as many lines as column 0 needs.
class DiaryListViewItem : public QTreeWidgetItem
{
public:
    static constexpr int RowIdRole = Qt::UserRole;
    static constexpr int ItemType = QTreeWidgetItem::UserType + 1;

    // A top-level row; a non-zero pointSize replaces the list font's point size.
    DiaryListViewItem(QTreeWidget* parent, const QString& text, qint64 id, int kind, int pointSize);
    // An entry or hint row under `parent`, appended after its last child.
    DiaryListViewItem(QTreeWidgetItem* parent, const QString& text, qint64 id, int kind,
                      int pointSize);

    qint64 getId() const { return _id; }
    // The value the creator gave: the meal group of a food entry, 8 for an exercise entry,
    // -1 for group and hint rows.
    int getKind() const { return _kind; }
    QFont getFont() const { return _font; }
    void setFont(const QFont& font);
    void setBaseColor(const QColor& color);
    bool hasOwnColor() const { return _ownColor; }
    QColor baseColor() const { return _baseColor; }
    // True for group rows below the first one (they get a spacer above).
    bool hasGapAbove() const;

    // Gives group and hint rows their height from their font.
    void setup();
    // Wraps an entry row's name to the width of column 0 and sets the row's height.
    void resizeNameColumn();

    // The name as wrapped into `available` pixels, measured in `font`; `lines` gets the
    // number of lines.
    static QString wrapName(const QString& text, int available, const QFont& font, int* lines);
    // The height of a group or hint row whose font is `fontHeight` pixels high.
    static int rowHeight(int fontHeight, bool topLevel, bool gapAbove);

private:
    void _init(const QString& text, qint64 id, int kind, int pointSize, const QFont& listFont);

    qint64 _id = 0;
    int _kind = -1;
    QFont _font;
    bool _ownColor = false;
    QColor _baseColor;
};
