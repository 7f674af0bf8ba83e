#include "app/aboutdialog.h"

#include "core/appversion.h"
#include "core/brandengine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog* AboutDialog::construct(QWidget* parent)
{
    return new AboutDialog(parent);
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("AboutDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);

    auto* imageRow = new QHBoxLayout;
    _pixmapLabel1 = new QLabel(this);
    _pixmapLabel1->setObjectName(QStringLiteral("pixmapLabel1"));
    _pixmapLabel1->setScaledContents(false);
    imageRow->addStretch();
    imageRow->addWidget(_pixmapLabel1);
    imageRow->addStretch();
    layout->addLayout(imageRow);

    _appnameLabel = new QLabel(this);
    _appnameLabel->setObjectName(QStringLiteral("appnameLabel"));
    _appnameLabel->setTextFormat(Qt::RichText);
    _appnameLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(_appnameLabel);

    _creditsLabel = new QLabel(this);
    _creditsLabel->setObjectName(QStringLiteral("creditsLabel"));
    _creditsLabel->setTextFormat(Qt::RichText);
    _creditsLabel->setAlignment(Qt::AlignCenter);
    _creditsLabel->setWordWrap(true);
    layout->addWidget(_creditsLabel);

    auto* buttonRow = new QHBoxLayout;
    _closeButton = new QPushButton(this);
    _closeButton->setObjectName(QStringLiteral("closeButton"));
    _closeButton->setDefault(true);
    buttonRow->addStretch();
    buttonRow->addWidget(_closeButton);
    buttonRow->addStretch();
    layout->addLayout(buttonRow);
    connect(_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    languageChange();
    init();
    // As wide as the splash image, as tall as the text needs.
    const int width = qMax(_pixmapLabel1->sizeHint().width() + 22, 342);
    resize(width, qMax(heightForWidth(width), minimumSizeHint().height()));
}

void AboutDialog::languageChange()
{
    setWindowTitle(tr("About"));
    _closeButton->setText(tr("Close"));
    _creditsLabel->setText(
        tr("<small>Food data: USDA National Nutrient Database for Standard Reference, "
           "Release 24 (public domain).<br>Exercise values: Compendium of Physical "
           "Activities.<br>Icons: Tango Desktop Project (public domain).</small>"));
}

void AboutDialog::init()
{
    const BrandEngine* brand = BrandEngine::instance();
    const bool family = brand->idExists("feature.family") && brand->getBool("feature.family");
    const QString title = family ? tr("<b>%1 Version %2<br>(Family Edition)<br></b>")
                                 : tr("<b>%1 Version %2<br></b>");
    _appnameLabel->setText(
        title.arg(brand->getString("app_name").toHtmlEscaped(), AppVersion::text()));
    _pixmapLabel1->setPixmap(brand->getPixmap("splash"));
}
