#include "profile/finishpage.h"

#include <QLabel>
#include <QVBoxLayout>

FinishPage::FinishPage(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FinishPage"));
    auto* layout = new QVBoxLayout(this);
    _textLabel = new QLabel(this);
    _textLabel->setObjectName(QStringLiteral("_textLabel"));
    _textLabel->setWordWrap(true);
    _textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    _textLabel->setIndent(20);
    layout->addWidget(_textLabel);
    languageChange();
}

void FinishPage::languageChange()
{
    setWindowTitle(tr("Form5"));
    _textLabel->setText(tr(
        "You have now completed your Personal Profile!\n\nYour software has been customised to "
        "help you reach your goals. You can retake your Personal Profile at any time, if you "
        "wish.\n\nAre you ready to take control of your weight?"));
}
