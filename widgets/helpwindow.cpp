#include "widgets/helpwindow.h"

#include "widgets/helpbrowser.h"
#include "core/regularfile.h"

#include <QCloseEvent>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextBrowser>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kUrlRole = Qt::UserRole;
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    _buildLayout();
    languageChange();
    resize(900, 640);
}

void HelpWindow::_buildLayout()
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);

    auto* tools = new QHBoxLayout;
    _backButton = new QToolButton(this);
    _forwardButton = new QToolButton(this);
    _homeButton = new QToolButton(this);
    for (QToolButton* button : {_backButton, _forwardButton, _homeButton})
        tools->addWidget(button);
    tools->addStretch();
    layout->addLayout(tools);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    _tabs = new QTabWidget(splitter);
    _contents = new QTreeWidget(_tabs);
    _contents->setObjectName(QStringLiteral("contentsTree"));
    _contents->setHeaderHidden(true);
    auto* indexPage = new QWidget(_tabs);
    auto* indexLayout = new QVBoxLayout(indexPage);
    _indexFilter = new QLineEdit(indexPage);
    _index = new QListWidget(indexPage);
    _index->setObjectName(QStringLiteral("indexList"));
    indexLayout->addWidget(_indexFilter);
    indexLayout->addWidget(_index);
    _tabs->addTab(_contents, QString());
    _tabs->addTab(indexPage, QString());

    _browser = new HelpBrowser(splitter);
    _browser->setObjectName(QStringLiteral("helpBrowser"));
    _browser->setOpenExternalLinks(true);
    splitter->addWidget(_tabs);
    splitter->addWidget(_browser);
    splitter->setSizes({240, 660});
    layout->addWidget(splitter, 1);

    connect(_backButton, &QToolButton::clicked, _browser, &QTextBrowser::backward);
    connect(_forwardButton, &QToolButton::clicked, _browser, &QTextBrowser::forward);
    connect(_homeButton, &QToolButton::clicked, this, &HelpWindow::_goHome);
    connect(_browser, &QTextBrowser::backwardAvailable, _backButton, &QToolButton::setEnabled);
    connect(_browser, &QTextBrowser::forwardAvailable, _forwardButton, &QToolButton::setEnabled);
    connect(_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::_dropHiddenLinks);
    connect(_contents, &QTreeWidget::itemClicked, this, &HelpWindow::_contentsItemClicked);
    connect(_index, &QListWidget::itemActivated, this, &HelpWindow::_indexItemActivated);
    connect(_index, &QListWidget::itemClicked, this, &HelpWindow::_indexItemActivated);
    connect(_indexFilter, &QLineEdit::textChanged, this, &HelpWindow::_indexFilterChanged);
    connect(_indexFilter, &QLineEdit::returnPressed, this, &HelpWindow::_openCurrentIndexEntry);
    _backButton->setEnabled(false);
    _forwardButton->setEnabled(false);
}

void HelpWindow::languageChange()
{
    setWindowTitle(_title.isEmpty() ? tr("Help") : _title);
    _backButton->setText(tr("Back"));
    _forwardButton->setText(tr("Forward"));
    _homeButton->setText(tr("Home"));
    _tabs->setTabText(0, tr("Contents"));
    _tabs->setTabText(1, tr("Index"));
    _indexFilter->setPlaceholderText(tr("Look for a keyword"));
}

// Reads the help profile: an "assistantconfig" document whose "profile" element
// holds the title and start page as properties, and whose "DCF" element lists the
// contents as nested "section" elements (ref, title) with "keyword" elements for
// the index. References are relative to the profile's folder.
bool HelpWindow::loadProfile(const QString& profilePath)
{
    _contents->clear();
    _index->clear();
    _folder = QFileInfo(profilePath).absoluteDir();
    _startPage = QUrl();

    QFile file;
    QString reason;
    if (!RegularFile::open(file, profilePath, &reason)) {
        _showMissing(tr("The help contents file %1 could not be opened: %2.")
                         .arg(profilePath, reason),
                     tr("Reinstalling the program restores its help pages."));
        return false;
    }
    QDomDocument document;
    QString error;
    int line = 0;
    if (!document.setContent(&file, &error, &line)) {
        _showMissing(tr("The help contents file %1 is damaged (line %2: %3).")
                         .arg(profilePath).arg(line).arg(error),
                     tr("Reinstalling the program restores its help pages."));
        return false;
    }

    const QDomElement root = document.documentElement();
    for (QDomElement property = root.firstChildElement(QStringLiteral("profile"))
                                    .firstChildElement(QStringLiteral("property"));
         !property.isNull(); property = property.nextSiblingElement(QStringLiteral("property"))) {
        const QString name = property.attribute(QStringLiteral("name"));
        if (name == QLatin1String("title"))
            _title = property.text().trimmed();
        else if (name == QLatin1String("startpage"))
            _startPage = _resolve(property.text().trimmed());
    }
    for (QDomElement dcf = root.firstChildElement(QStringLiteral("DCF")); !dcf.isNull();
         dcf = dcf.nextSiblingElement(QStringLiteral("DCF"))) {
        if (_startPage.isEmpty())
            _startPage = _resolve(dcf.attribute(QStringLiteral("ref")));
        _addSections(dcf, nullptr);
        _addKeywords(dcf);
    }
    _contents->expandToDepth(0);
    _index->sortItems();
    languageChange();
    // The viewer opens on the start page, beside the contents or the index.
    _goHome();
    return true;
}

void HelpWindow::_addSections(const QDomElement& parent, QTreeWidgetItem* parentItem)
{
    for (QDomElement section = parent.firstChildElement(QStringLiteral("section"));
         !section.isNull(); section = section.nextSiblingElement(QStringLiteral("section"))) {
        // The sections under a hidden one take its place.
        if (_isHidden(_resolve(section.attribute(QStringLiteral("ref"))))) {
            _addSections(section, parentItem);
            _addKeywords(section);
            continue;
        }
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(_contents);
        item->setText(0, section.attribute(QStringLiteral("title")));
        item->setData(0, kUrlRole, _resolve(section.attribute(QStringLiteral("ref"))));
        _addSections(section, item);
        _addKeywords(section);
    }
}

void HelpWindow::_addKeywords(const QDomElement& section)
{
    for (QDomElement keyword = section.firstChildElement(QStringLiteral("keyword"));
         !keyword.isNull(); keyword = keyword.nextSiblingElement(QStringLiteral("keyword"))) {
        const QUrl url = _resolve(keyword.attribute(QStringLiteral("ref")));
        if (_isHidden(url))
            continue;
        auto* item = new QListWidgetItem(keyword.text().trimmed(), _index);
        item->setData(kUrlRole, url);
    }
}

QUrl HelpWindow::_resolve(const QString& ref) const
{
    const qsizetype hash = ref.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(_folder.absoluteFilePath(hash < 0 ? ref : ref.left(hash)));
    if (hash >= 0)
        url.setFragment(ref.mid(hash + 1));
    return url;
}

bool HelpWindow::_isHidden(const QUrl& url) const
{
    return url.isLocalFile() && _hiddenPages.contains(QFileInfo(url.toLocalFile()).fileName());
}

// Removes, last first, every paragraph or list item of the shown page that links to a hidden
// page.
void HelpWindow::_dropHiddenLinks()
{
    if (_hiddenPages.isEmpty())
        return;
    QTextDocument* document = _browser->document();
    const QUrl page = _browser->source();
    QList<int> dropped;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isAnchor() && _isHidden(page.resolved(QUrl(format.anchorHref())))) {
                dropped.prepend(block.position());
                break;
            }
        }
    }
    for (const int position : dropped) {
        QTextCursor cursor(document->findBlock(position));
        cursor.select(QTextCursor::BlockUnderCursor);
        cursor.removeSelectedText();
    }
}

void HelpWindow::showPage(const QString& pagePath)
{
    const qsizetype hash = pagePath.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? pagePath : pagePath.left(hash);
    if (!QFileInfo::exists(file)) {
        _showMissing(tr("The help page %1 could not be found.").arg(file),
                     tr("Reinstalling the program restores its help pages."));
        return;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    if (hash >= 0)
        url.setFragment(pagePath.mid(hash + 1));
    _browser->setSource(url);
}

void HelpWindow::_showMissing(const QString& what, const QString& detail)
{
    _browser->setHtml(QStringLiteral("<h2>%1</h2><p>%2</p><p>%3</p>")
                          .arg(tr("Help is not available").toHtmlEscaped(), what.toHtmlEscaped(),
                               detail.toHtmlEscaped()));
}

void HelpWindow::showContents()
{
    _tabs->setCurrentIndex(0);
}

void HelpWindow::showIndex()
{
    _tabs->setCurrentIndex(1);
    _indexFilter->setFocus();
}

void HelpWindow::_contentsItemClicked(QTreeWidgetItem* item)
{
    _browser->setSource(item->data(0, kUrlRole).toUrl());
}

void HelpWindow::_indexItemActivated(QListWidgetItem* item)
{
    _browser->setSource(item->data(kUrlRole).toUrl());
}

void HelpWindow::_openCurrentIndexEntry()
{
    if (QListWidgetItem* item = _index->currentItem())
        _indexItemActivated(item);
}

void HelpWindow::_indexFilterChanged(const QString& text)
{
    for (int row = 0; row < _index->count(); ++row) {
        QListWidgetItem* item = _index->item(row);
        if (item->text().startsWith(text, Qt::CaseInsensitive)) {
            _index->setCurrentItem(item);
            _index->scrollToItem(item, QAbstractItemView::PositionAtTop);
            return;
        }
    }
}

void HelpWindow::_goHome()
{
    if (!_startPage.isEmpty())
        _browser->setSource(_startPage);
}

// Showing the window the first time lays its page out afresh from the file.
void HelpWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    _dropHiddenLinks();
}

void HelpWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HelpWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}
