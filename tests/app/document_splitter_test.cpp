#include <QLabel>
#include <gtest/gtest.h>

#include "document_splitter.h"

namespace kora::app {
namespace {

int EditorPerMille(const DocumentSplitter& splitter) {
    const QList<int> widths = splitter.sizes();
    return widths[0] * 1000 / (widths[0] + widths[2]);
}

TEST(DocumentSplitter, ResizingKeepsTheEditorsShare) {
    DocumentSplitter splitter(new QLabel, new QLabel);
    splitter.resize(1000, 400);
    splitter.show();
    splitter.SetPerMille(300);
    EXPECT_NEAR(EditorPerMille(splitter), 300, 2);
    splitter.resize(2400, 400);
    EXPECT_NEAR(EditorPerMille(splitter), 300, 2);
    EXPECT_EQ(splitter.perMille(), 300);
}

TEST(DocumentSplitter, ButtonsShowOnePaneAloneAndBothAgain) {
    auto* editor = new QLabel;
    auto* results = new QLabel;
    DocumentSplitter splitter(editor, results);
    splitter.resize(800, 400);
    splitter.show();
    QWidget* buttons = splitter.widget(1);

    splitter.StepRight();
    EXPECT_EQ(splitter.paneLayout(), DocumentSplitter::kEditorOnly);
    EXPECT_FALSE(results->isVisible());
    EXPECT_TRUE(buttons->isVisible()); // the way back stays reachable
    splitter.StepLeft();
    EXPECT_EQ(splitter.paneLayout(), DocumentSplitter::kBoth);
    EXPECT_TRUE(editor->isVisible() && results->isVisible());
    splitter.StepLeft();
    EXPECT_EQ(splitter.paneLayout(), DocumentSplitter::kResultsOnly);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(buttons->isVisible());
}

} // namespace
} // namespace kora::app
