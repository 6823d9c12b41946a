// Help > Contents: the user guide with its table of contents beside it and
// a search field above, in a window of its own that stays open beside the
// frame.
#pragma once

#include <QWidget>

class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace kora::app {

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    QTreeWidget* contents() const { return contents_; }
    QLineEdit* searchField() const { return search_; }
    QTextBrowser* browser() const { return browser_; }

    // The next place of `text` after the cursor, starting again at the top;
    // false when the guide does not hold it.
    bool FindNext(const QString& text);

private:
    void BuildContents();
    void ShowHeading(QTreeWidgetItem* item);

    QLineEdit* search_;
    QTreeWidget* contents_;
    QTextBrowser* browser_;
};

} // namespace kora::app
