#include "net/publishingprompt.h"

#include "userdb/diarydb.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <new>

PublishingPrompt* PublishingPrompt::construct(QWidget* parent)
{
    auto* prompt = new (std::nothrow) PublishingPrompt(parent);
    if (!prompt)
        qFatal("new PublishingPrompt failed");
    return prompt;
}

PublishingPrompt::PublishingPrompt(QWidget* parent)
    : QDialog(parent, Qt::WindowTitleHint | Qt::WindowSystemMenuHint),
      radioPublish(new QRadioButton(tr("Publish these days to the online diary"), this)),
      radioDiscard(new QRadioButton(tr("Do not publish these days"), this)),
      dayList(new QListWidget(this)), buttonOk(new QPushButton(tr("OK"), this)),
      buttonCancel(new QPushButton(tr("Cancel"), this))
{
    setWindowTitle(tr("Publish Diary"));
    radioPublish->setObjectName(QStringLiteral("radioPublish"));
    radioDiscard->setObjectName(QStringLiteral("radioDiscard"));
    dayList->setObjectName(QStringLiteral("dayList"));
    buttonOk->setObjectName(QStringLiteral("buttonOk"));
    buttonCancel->setObjectName(QStringLiteral("buttonCancel"));
    buttonOk->setEnabled(false);
    buttonOk->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(buttonCancel);
    buttons->addWidget(buttonOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("These days have not been published yet:"), this));
    layout->addWidget(dayList);
    layout->addWidget(radioPublish);
    layout->addWidget(radioDiscard);
    layout->addLayout(buttons);

    connect(radioPublish, &QRadioButton::toggled, this, &PublishingPrompt::toggleOK);
    connect(radioDiscard, &QRadioButton::toggled, this, &PublishingPrompt::toggleOK);
    connect(buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    _listDays();
}

void PublishingPrompt::_listDays()
{
    for (const std::string& code : DiaryDB::instance()->getChangedDayList()) {
        const QDate day = QDate::fromString(QString::fromStdString(code), QStringLiteral("yyyyMMdd"));
        dayList->addItem(day.isValid() ? day.toString(Qt::TextDate) : QString::fromStdString(code));
    }
}

void PublishingPrompt::toggleOK()
{
    buttonOk->setEnabled(true);
}
