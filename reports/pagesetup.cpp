#include "reports/pagesetup.h"

#include "reports/pagesetupdialog.h"

#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

PageSetup* PageSetup::s_instance = nullptr;

PageSetup* PageSetup::instance()
{
    if (!s_instance)
        s_instance = new PageSetup;
    return s_instance;
}

void PageSetup::cleanUp()
{
    delete s_instance;
}

PageSetup::~PageSetup()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void PageSetup::applyTo(QPrinter& printer) const
{
    printer.setPageSize(QPageSize(_pageSize));
    printer.setPageOrientation(_orientation);
    printer.setColorMode(_colorMode);
}

QSize PageSetup::realSize() const
{
    const QSize portrait = _pageSize == QPageSize::Letter ? QSize(216, 279) : QSize(210, 297);
    return _orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
}

bool PageSetup::doDialog(QWidget* parent)
{
    const auto dialog = std::make_unique<PageSetupDialog>(parent, "page setup", true);
    dialog->colorGroup->hide();
    dialog->frame3->hide();
    (_pageSize == QPageSize::Letter ? dialog->paperLetter : dialog->paperA4)->setChecked(true);
    (_orientation == QPageLayout::Landscape ? dialog->orientationLandscape
                                            : dialog->orientationPortrait)
        ->setChecked(true);
    (_colorMode == QPrinter::Color ? dialog->colorYes : dialog->colorNo)->setChecked(true);
    QObject::connect(dialog->okButton, &QPushButton::clicked, dialog.get(), &QDialog::accept);
    QObject::connect(dialog->cancelButton, &QPushButton::clicked, dialog.get(),
                     &QDialog::reject);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QPageSize::PageSizeId oldSize = _pageSize;
    const QPageLayout::Orientation oldOrientation = _orientation;
    const QPrinter::ColorMode oldColorMode = _colorMode;
    _pageSize = dialog->paperA4->isChecked() ? QPageSize::A4 : QPageSize::Letter;
    _orientation = dialog->orientationPortrait->isChecked() ? QPageLayout::Portrait
                                                            : QPageLayout::Landscape;
    _colorMode = dialog->colorYes->isChecked() ? QPrinter::Color : QPrinter::GrayScale;
    return _pageSize != oldSize || _orientation != oldOrientation || _colorMode != oldColorMode;
}

void PageSetup::getFrom(const QPrinter& printer)
{
    const QPageSize::PageSizeId size = printer.pageLayout().pageSize().id();
    _pageSize = size == QPageSize::Letter ? QPageSize::Letter : QPageSize::A4;
    _orientation = printer.pageLayout().orientation();
    _colorMode = printer.colorMode();
    _virgin = false;
}
