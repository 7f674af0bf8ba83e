#include "profile/intropage.h"
#include "core/brandengine.h"

#include <QHBoxLayout>
#include <QLabel>

IntroPage::IntroPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("IntroPage"));
    auto* layout = new QHBoxLayout(this);
    layout->setObjectName(QStringLiteral("IntroPageLayout"));
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    textLabel1 = new QLabel(this);
    textLabel1->setObjectName(QStringLiteral("textLabel1"));
    textLabel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    textLabel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel1->setIndent(20);
    textLabel1->setWordWrap(true);
    layout->addWidget(textLabel1);
    setMinimumSize(QSize(451, 176).expandedTo(minimumSizeHint()));
    languageChange();
}

void IntroPage::languageChange()
{
    setWindowTitle(tr("Form1"));
    textLabel1->setText(tr(
        "Welcome!\n\nWelcome to %1. This software gives you access to our "
        "award-winning food database, personalised nutritional targets, and all the tools you "
        "need to successfully control your weight.\n\nBefore you get started, we need you to "
        "give us some information so we can personalise your software and help you reach "
        "your goals.\n\nReady to begin?").arg(BrandEngine::instance()->getString("app_name")));
}
