// The warnings about a document's model, listed under its panes while a run
// or check has any: choosing one selects its line in the editor. The list
// never stops a run.
#pragma once

#include <QFrame>
#include <vector>

#include "model/model_place.h"

class QLabel;
class QListView;
class QStandardItemModel;

namespace kora::app {

class ModelWarningsList : public QFrame {
    Q_OBJECT

public:
    static constexpr int kLineRole = Qt::UserRole + 1;

    explicit ModelWarningsList(QWidget* parent = nullptr);

    // Shows `warnings`, or hides the list when there are none.
    void SetWarnings(const std::vector<ModelWarning>& warnings);
    QListView* view() const { return view_; }
    QStandardItemModel* model() const { return model_; }

signals:
    // A warning about 1-based line `line` of the text was chosen.
    void lineChosen(int line);

private:
    QLabel* heading_;
    QListView* view_;
    QStandardItemModel* model_;
};

} // namespace kora::app
