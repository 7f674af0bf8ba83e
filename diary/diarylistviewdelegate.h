#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <utility>

// Paints the cells of the diary list: group rows other than the first paint below a band
// that the list leaves to its background, every group row draws a rule across its width at
// the band's lower edge, and all cells of a row take the height that column 0 asks for.
//
// Texts that fit their cell are drawn from a layout kept per font and text, so a day's
// names and figures are shaped once rather than at every paint.
class DiaryListViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DiaryListViewDelegate(QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Paints a plain text cell whose text fits as the style would; false, having painted
    // nothing, for a cell the style must paint (an icon, a check box, a text to elide).
    bool _paintFittingText(QPainter* painter, QStyleOptionViewItem& cell) const;
    const QStaticText& _laidOut(const QString& text, const QFont& font) const;

    mutable QHash<std::pair<QString, QFont>, QStaticText> _texts;
};
