#include "app/syncdialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>


SyncDialog* SyncDialog::construct(QWidget* parent)
{
    return new SyncDialog(parent);
}

SyncDialog::SyncDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("SyncDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 11, 11, 11);
    layout->setSpacing(6);
    _textLabel1 = new QLabel(this);
    _textLabel1->setObjectName(QStringLiteral("textLabel1"));
    layout->addWidget(_textLabel1);
    languageChange();
    resize(QSize(500, 54).expandedTo(minimumSizeHint()));
}

void SyncDialog::languageChange()
{
    setWindowTitle(tr("Waiting for Hotsync"));
    _textLabel1->setText(tr("Please wait..."));
}

// The window's close button is refused; a close that the program asks for (the session
// ends and every window is closed) ends the wait.
void SyncDialog::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

// Escape would reject the dialog and hand the window back while the database is
// still closed; only the synchronisation's own message ends the wait.
void SyncDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
