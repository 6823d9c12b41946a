#include "help_window.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

namespace kora::app {
namespace {

constexpr int kBlockRole = Qt::UserRole + 1;
constexpr int kDeepestListedLevel = 3;

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), search_(new QLineEdit), contents_(new QTreeWidget),
      browser_(new QTextBrowser) {
    setWindowTitle(tr("KORA - User guide"));
    browser_->setOpenExternalLinks(true);
    QFile guide(QStringLiteral(":/help/user-guide.md"));
    if (guide.open(QIODevice::ReadOnly)) browser_->setMarkdown(QString::fromUtf8(guide.readAll()));

    search_->setPlaceholderText(tr("Search the guide (Enter: next place)"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::returnPressed, this, [this] { FindNext(search_->text()); });

    contents_->setHeaderHidden(true);
    contents_->setObjectName(QStringLiteral("Contents"));
    BuildContents();
    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item, int) { ShowHeading(item); });
    connect(contents_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item, int) { ShowHeading(item); });

    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("&Search:"));
    label->setBuddy(search_);
    leftLayout->addWidget(label);
    leftLayout->addWidget(search_);
    leftLayout->addWidget(contents_, 1);
    auto* split = new QSplitter;
    split->addWidget(left);
    split->addWidget(browser_);
    split->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    resize(980, 680);
}

// The headings of the guide as it was laid out, nested by level.
void HelpWindow::BuildContents() {
    std::vector<QTreeWidgetItem*> parents; // the last item of each level
    for (QTextBlock block = browser_->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0 || level > kDeepestListedLevel || block.text().trimmed().isEmpty()) continue;
        parents.resize(static_cast<size_t>(level));
        QTreeWidgetItem* parent = nullptr;
        for (int up = level - 2; up >= 0 && parent == nullptr; --up)
            parent = parents[static_cast<size_t>(up)];
        auto* item =
            parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(contents_);
        item->setText(0, block.text());
        item->setData(0, kBlockRole, block.blockNumber());
        parents[static_cast<size_t>(level - 1)] = item;
    }
    contents_->expandToDepth(0);
}

void HelpWindow::ShowHeading(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    const QTextBlock block =
        browser_->document()->findBlockByNumber(item->data(0, kBlockRole).toInt());
    if (!block.isValid()) return;
    // To the end first, so that the heading comes to the top, not the bottom.
    browser_->moveCursor(QTextCursor::End);
    QTextCursor cursor(block);
    browser_->setTextCursor(cursor);
    browser_->ensureCursorVisible();
}

bool HelpWindow::FindNext(const QString& text) {
    if (text.isEmpty()) return false;
    if (browser_->find(text)) return true;
    browser_->moveCursor(QTextCursor::Start);
    return browser_->find(text);
}

} // namespace kora::app
