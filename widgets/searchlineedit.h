#pragma once

#include <QPainterPath>
#include <QPixmap>
#include <QVector>
#include <QWidget>

class QLineEdit;
class SearchLineEditChild;

// Capsule-shaped search box with icons on both sides, a "Search" placeholder when empty and
// unfocused, and a focus ring. Needs a TabBodyWidget parent: it paints that panel behind it.
class SearchLineEdit : public QWidget
{
    Q_OBJECT

public:
    SearchLineEdit(QWidget* parent, const char* name, const QPixmap& leftIcon,
                   const QPixmap& rightIcon);

    // The line edit that holds the text: read and set it, and connect to its
    // textChanged() and returnPressed(), through this.
    QLineEdit* lineEdit() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void rightIconClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // What the cached drawing was made for: the style flags and the size.
    struct SearchLineEditPrivateCache
    {
        int flags;
        int width;
        int height;
        int reserved;
        bool operator==(const SearchLineEditPrivateCache&) const = default;
    };

    int _ringGap() const { return _outlineInset - _frameInset; }
    int _styleFlags() const;
    QSize _adjustedHint(const QSize& childHint) const;
    bool _cacheRegen();
    void _buildRowTable(int diameter);
    void _buildOutline();
    QImage _panelImage(int diameter) const;
    int _drawSide(QPainter& painter, const QImage& panel, const QPixmap& icon, bool isRight);
    static QVector<int> s_createBitmapInsetArray(const QImage& mask, bool fromRight);

    QPixmap _leftIcon;
    QPixmap _rightIcon;
    QPixmap _body;            // the field's panel at its current size
    QVector<int> _rowTable;   // per pixel row: the outline's inset from each side, -1 outside
    QRect _childRect;
    SearchLineEditChild* _child;
    int _frameInset;          // f: the line edit's frame width
    int _innerInset;          // the frame width less its line width, at least 1
    int _outlineInset;        // m: room for the frame and the focus ring
    int _ringWidth;           // the focus ring's width outside the outline
    SearchLineEditPrivateCache _cacheKey{0, -1, -1, 1};
    QPainterPath _focusOutline;
};
