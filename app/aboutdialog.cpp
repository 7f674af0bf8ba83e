#include "app/aboutdialog.h"

#include "core/brandengine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <new>

namespace {
const char* const kVersion = "4.1.0";
}

AboutDialog* AboutDialog::construct(QWidget* parent)
{
    auto* dialog = new (std::nothrow) AboutDialog(parent);
    if (!dialog)
        qFatal("new AboutDialog failed");
    return dialog;
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

    _closeButton = new QPushButton(this);
    _closeButton->setObjectName(QStringLiteral("closeButton"));
    _closeButton->setDefault(true);
    layout->addWidget(_closeButton);
    connect(_closeButton, &QPushButton::clicked, this, &QDialog::accept);

    languageChange();
    init();
    resize(QSize(342, 623).expandedTo(minimumSizeHint()));
}

void AboutDialog::languageChange()
{
    setWindowTitle(tr("About"));
    _closeButton->setText(tr("Close"));
}

void AboutDialog::init()
{
    const BrandEngine* brand = BrandEngine::instance();
    const bool family = brand->idExists("feature.family") && brand->getBool("feature.family");
    const QString edition = family ? tr("<br>(Family Edition)") : QString();
    _appnameLabel->setText(QStringLiteral("<b>%1 Version %2%3<br></b>")
                               .arg(brand->getString("app_name").toHtmlEscaped(),
                                    QString::fromLatin1(kVersion), edition));
    _pixmapLabel1->setPixmap(brand->getPixmap("splash"));
}
