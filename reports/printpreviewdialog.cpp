#include "reports/printpreviewdialog.h"

#include "reports/pagesetup.h"
#include "reports/previewrdm.h"
#include "reports/printpreviewscroller.h"
#include "reports/report.h"
#include "reports/reportfactory.h"
#include "widgets/numberfieldcheck.h"
#include "widgets/progressbox.h"
#include "widgets/signalblocker.h"

#include "core/numbervalidator.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintDevice>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int ZoomSteps[] = {300, 200, 150, 125, 100, 75};
constexpr int InitialZoomIndex = 4;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}
} // namespace

PrintPreviewDialog::PrintPreviewDialog(ReportFactory* factory, QWidget* parent,
                                       QPainter* painter)
    : QDialog(parent), _factory(factory), _painter(painter)
{
    setObjectName(QStringLiteral("PrintPreviewDialog"));
    setWindowTitle(tr("Print Preview"));
    _firstButton = _button("firstButton", QStringLiteral("<<"));
    _previousButton = _button("previousButton", QStringLiteral("<"));
    _pageEdit = new QLineEdit(this);
    _pageEdit->setObjectName(QStringLiteral("pageEdit"));
    _pageEdit->setMaximumWidth(60);
    _pageValidator = new NumberValidator(1.0, 1.0, 0, _pageEdit);
    _pageValidator->setField(tr("Page"), QString());
    _pageEdit->setValidator(_pageValidator);
    _pageEdit->installEventFilter(this);
    _ofLabel = makeLabel(this, "ofLabel", tr("of 99"));
    _nextButton = _button("nextButton", QStringLiteral(">"));
    _lastButton = _button("lastButton", QStringLiteral(">>"));
    QPushButton* setupButton = _button("pageSetupButton", tr("Page Setup ..."));
    QPushButton* printButton = _button("printButton", tr("Print"));
    QPushButton* closeButton = _button("closeButton", tr("Close"));
    _zoomCombo = new QComboBox(this);
    _zoomCombo->setObjectName(QStringLiteral("zoomCombo"));
    for (int step : ZoomSteps)
        _zoomCombo->addItem(tr("%1%").arg(step), step);
    _zoomCombo->setCurrentIndex(InitialZoomIndex);
    _scroller = new PrintPreviewScroller(this);

    auto* tools = new QHBoxLayout;
    tools->setSpacing(1);
    tools->addWidget(_firstButton);
    tools->addWidget(_previousButton);
    tools->addWidget(makeLabel(this, "pageLabel", tr("Page")));
    tools->addWidget(_pageEdit);
    tools->addWidget(_ofLabel);
    tools->addWidget(_nextButton);
    tools->addWidget(_lastButton);
    tools->addWidget(setupButton);
    tools->addWidget(printButton);
    tools->addWidget(closeButton);
    tools->addWidget(makeLabel(this, "zoomLabel", tr("Zoom")));
    tools->addWidget(_zoomCombo);
    tools->addWidget(makeLabel(this, "percentLabel", QStringLiteral("%")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(tools);
    layout->addWidget(_scroller, 1);

    connect(_zoomCombo, &QComboBox::activated, this, &PrintPreviewDialog::_changeZoom);
    connect(_firstButton, &QPushButton::clicked, this, &PrintPreviewDialog::_gotoFirst);
    connect(_previousButton, &QPushButton::clicked, this, &PrintPreviewDialog::_gotoPrevious);
    connect(_nextButton, &QPushButton::clicked, this, &PrintPreviewDialog::_gotoNext);
    connect(_lastButton, &QPushButton::clicked, this, &PrintPreviewDialog::_gotoLast);
    connect(_pageEdit, &QLineEdit::editingFinished, this,
            &PrintPreviewDialog::_gotoLineEditPage);
    connect(setupButton, &QPushButton::clicked, this, &PrintPreviewDialog::_pageSetup);
    connect(printButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    _setupReport();
    _fitToScreen();
}

// Opens wide enough for the whole page at 100 % and most of the screen high.
void PrintPreviewDialog::_fitToScreen()
{
    const QRect screen = this->screen()->availableGeometry();
    const int pageWidth = _scroller->contentsSize().width() + 2 * _scroller->frameWidth()
        + _scroller->verticalScrollBar()->sizeHint().width();
    resize(std::min(std::max(sizeHint().width(), pageWidth), screen.width()),
           screen.height() * 4 / 5);
}

// The report goes before the metrics it was laid out for. A dialog deleted while shown hides
// in QDialog's destructor, and the page field then loses focus and finishes its edit: by then
// this part of the dialog is gone, so the field no longer reaches it.
PrintPreviewDialog::~PrintPreviewDialog()
{
    _pageEdit->disconnect(this);
    _report.reset();
    _metrics.reset();
}

QPushButton* PrintPreviewDialog::_button(const char* name, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void PrintPreviewDialog::_setupReport()
{
    const QPaintDevice* device = _painter ? _painter->device() : this;
    const QSize paper = PageSetup::instance()->realSize();
    const QSize page(device->logicalDpiX() * paper.width() * 10 / 254,
                     device->logicalDpiY() * paper.height() * 10 / 254);
    _report.reset();
    _metrics.reset();
    _metrics = std::make_unique<PreviewRDM>(page, paper, _painter);
    {
        ProgressBox progress(this, tr("Print Preview"), tr("Laying out the pages..."));
        _report.reset(_factory->layOut(_metrics.get(), progress));
    }
    // Stopped, the preview closes: a dialog that is not shown yet is never opened.
    if (!_report)
        reject();
    _scroller->setReport(_report.get(), _metrics.get(), _getZoom());
    _ofLabel->setText(tr("of %1").arg(_pageCount()));
    _pageValidator->setRange(1.0, std::max(_pageCount(), 1));
    _gotoPage(0);
}

float PrintPreviewDialog::_getZoom() const
{
    return _zoomCombo->currentData().toInt() / 100.0f;
}

int PrintPreviewDialog::_pageCount() const
{
    return _report ? _report->getPageCount() : 0;
}

void PrintPreviewDialog::_gotoPage(int page)
{
    _scroller->setCurrentPage(page);
    _firstButton->setEnabled(page >= 1);
    _previousButton->setEnabled(page >= 1);
    _nextButton->setEnabled(page < _pageCount() - 1);
    _lastButton->setEnabled(page < _pageCount() - 1);
    SignalBlocker blocker(_pageEdit);
    _pageEdit->setText(QString::number(page + 1));
}

void PrintPreviewDialog::_changeZoom(int)
{
    _setupReport();
}

void PrintPreviewDialog::_pageSetup()
{
    if (PageSetup::instance()->doDialog(this))
        _setupReport();
}

void PrintPreviewDialog::_gotoFirst()
{
    _gotoPage(0);
}

void PrintPreviewDialog::_gotoPrevious()
{
    if (_scroller->currentPage() - 1 >= 0)
        _gotoPage(_scroller->currentPage() - 1);
}

void PrintPreviewDialog::_gotoNext()
{
    if (_scroller->currentPage() + 1 < _pageCount())
        _gotoPage(_scroller->currentPage() + 1);
}

void PrintPreviewDialog::_gotoLast()
{
    if (_pageCount() > 0)
        _gotoPage(_pageCount() - 1);
}

// Return on a page number the field refuses says why; leaving the field puts back the number
// of the page shown.
bool PrintPreviewDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != _pageEdit || _pageEdit->hasAcceptableInput())
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            NumberFieldCheck::confirm(this, windowTitle());
            return true;
        }
    } else if (event->type() == QEvent::FocusOut
               && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason
               && !QApplication::activeModalWidget()) {
        _gotoPage(_scroller->currentPage());
    }
    return QDialog::eventFilter(watched, event);
}

void PrintPreviewDialog::_gotoLineEditPage()
{
    const int page = int(NumberFieldCheck::value(_pageEdit).value_or(0.0));
    if (page >= 1 && page <= _pageCount())
        _gotoPage(page - 1);
}
