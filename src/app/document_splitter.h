// The two panes of a document window, editor and results, with two small
// buttons between them that show one pane alone or both again. The editor's
// share of the width is kept in per-mille, so that resizing the window keeps
// the proportion.
#pragma once

#include <QSplitter>

namespace kora::app {

class DocumentSplitter : public QSplitter {
    Q_OBJECT

public:
    enum PaneLayout { kBoth = 0, kEditorOnly = 1, kResultsOnly = 2 };
    static constexpr int kDefaultPerMille = 500;

    DocumentSplitter(QWidget* editor, QWidget* results, QWidget* parent = nullptr);

    PaneLayout paneLayout() const { return layout_; }
    void SetPaneLayout(PaneLayout layout);

    // The editor's width times 1000 divided by the width of both panes.
    int perMille() const { return perMille_; }
    void SetPerMille(int perMille);

    // What the handle's buttons do: move the divider one step to the left
    // (towards the results alone) or to the right (towards the editor alone).
    void StepLeft();
    void StepRight();

signals:
    void paneLayoutChanged(int layout);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ApplyLayout();
    void TakePerMille();

    PaneLayout layout_ = kBoth;
    int perMille_ = kDefaultPerMille;
    bool applying_ = false;
};

} // namespace kora::app
