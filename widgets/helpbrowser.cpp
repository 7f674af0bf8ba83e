#include "widgets/helpbrowser.h"

#include "core/regularfile.h"

#include <QDir>
#include <QFile>
#include <QTextDocument>

HelpBrowser::HelpBrowser(QWidget* parent)
    : QTextBrowser(parent)
{
}

// Whatever cannot be read is answered here, never passed on: the toolkit would read the file
// itself.
QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (!url.isLocalFile())
        return QTextBrowser::loadResource(type, name);
    const QString path = url.toLocalFile();
    QFile file;
    QString reason;
    if (RegularFile::open(file, path, &reason))
        return file.readAll();
    if (type != QTextDocument::HtmlResource)
        return QByteArray("");
    return QStringLiteral("<h2>%1</h2><p>%2</p>")
        .arg(tr("Help is not available").toHtmlEscaped(),
             tr("The help page %1 could not be opened: %2.")
                 .arg(QDir::toNativeSeparators(path), reason)
                 .toHtmlEscaped());
}
