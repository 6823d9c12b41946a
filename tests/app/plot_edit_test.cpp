#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "plot_pane.h"
#include "results/plot_ranges.h"
#include "s_edit_form.h"

namespace kora::app {
namespace {

ResultsSet Oscillation() {
    ResultsSet set;
    TimeCourse course(4, "run");
    course.names = {"t", "X", "Y", "Z"};
    course.rows = 21;
    course.data.Allocate(21 * 4);
    for (int32_t r = 0; r < course.rows; ++r) {
        double* row = course.data.data() + r * 4;
        row[0] = r * 0.5;
        row[1] = 1 + r % 5;
        row[2] = 2 + r % 3;
        row[3] = 3 - r % 2;
    }
    set.timeCourses.push_back(std::move(course));
    Recompute(set);
    return set;
}

// Runs `act` on the modal dialog a double click opens, once it is up.
void OnModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

QPoint Centre(const PixelRect& area) {
    return QPoint((area.left + area.right) / 2, (area.top + area.bottom) / 2);
}

struct PaneFixture {
    ResultsSet set = Oscillation();
    PlotPane pane;
    int edits = 0;

    explicit PaneFixture(int8_t view) {
        set.view = view;
        pane.resize(640, 480);
        pane.SetResults(&set, true);
        QObject::connect(&pane, &PlotPane::resultsEdited, [this] { ++edits; });
        pane.grab(); // draws, and so places the hot spots
    }
};

TEST(PlotPaneEditing, EveryHotSpotOpensTheValueEditorAndStoresTheValue) {
    for (int8_t view : {kViewTimePlot, kViewPhase2D, kViewPhase3D}) {
        PaneFixture f(view);
        const PlotHotSpots spots = f.pane.hotSpots();
        int opened = 0;
        for (size_t spot = 0; spot < PlotHotSpots::kCount; ++spot) {
            if (spots.areas[spot].IsEmpty()) continue;
            const bool bound = spot < PlotHotSpots::kRangeSpots;
            const size_t range = bound ? spots.rangeIndex[spot] : 0;
            const bool lower = bound && (range == kXmin || range == kYmin ||
                                         (range >= kXphasemin && range <= kZphasemin));
            const double typed = bound ? f.set.ranges[range] + (lower ? -1.5 : 1.5) : 0;
            OnModal([&](QWidget* modal) {
                auto* form = qobject_cast<TSEditForm*>(modal);
                ASSERT_NE(form, nullptr) << "view " << int(view) << " spot " << spot;
                if (bound)
                    form->valueEdit()->setText(QString::number(typed));
                else
                    form->variableList()->setCurrentIndex(0);
                form->accept();
            });
            QTest::mouseDClick(&f.pane, Qt::LeftButton, {}, Centre(spots.areas[spot]));
            ++opened;
            if (bound) {
                EXPECT_DOUBLE_EQ(f.set.ranges[range], typed) << int(view) << " " << spot;
            } else {
                ASSERT_LT(spot, PlotHotSpots::kPlotTitleSpot); // no titles in this plot
                EXPECT_EQ(f.set.phaseVar[spot - TSEditForm::kPhaseAxisBase], 1);
            }
        }
        // Four bounds and two names in 2D; the depth axis adds two and one.
        EXPECT_EQ(opened, view == kViewTimePlot ? 4 : view == kViewPhase2D ? 6 : 9);
        EXPECT_EQ(f.edits, opened);
        EXPECT_TRUE(f.set.modified);
    }
}

TEST(PlotPaneEditing, TitlesAreEditedInPlace) {
    PaneFixture f(kViewTimePlot);
    EXPECT_TRUE(f.pane.hotSpots().areas[PlotHotSpots::kPlotTitleSpot].IsEmpty());
    f.set.showTitle = true;
    f.set.yTitle = "X (mM)";
    f.pane.grab();
    const PlotHotSpots spots = f.pane.hotSpots();
    QString shown;
    OnModal([&](QWidget* modal) {
        auto* form = qobject_cast<TSEditForm*>(modal);
        ASSERT_NE(form, nullptr);
        shown = form->valueEdit()->text();
        form->valueEdit()->setText(QStringLiteral("Oscillations"));
        form->accept();
    });
    QTest::mouseDClick(&f.pane, Qt::LeftButton, {},
                       Centre(spots.areas[PlotHotSpots::kPlotTitleSpot]));
    EXPECT_EQ(shown, "run"); // the model's NAME stands for an empty title
    EXPECT_EQ(f.set.title, "Oscillations");
    OnModal([&](QWidget* modal) {
        auto* form = qobject_cast<TSEditForm*>(modal);
        ASSERT_NE(form, nullptr);
        shown = form->valueEdit()->text();
        form->valueEdit()->setText(QStringLiteral("amount"));
        form->accept();
    });
    QTest::mouseDClick(&f.pane, Qt::LeftButton, {}, Centre(spots.areas[PlotHotSpots::kYTitleSpot]));
    EXPECT_EQ(shown, "X (mM)");
    EXPECT_EQ(f.set.yTitle, "amount");
    EXPECT_EQ(f.edits, 2);
}

TEST(PlotPaneEditing, ABadBoundIsRefusedAndThePlotStillDraws) {
    PaneFixture f(kViewTimePlot);
    const auto before = f.set.ranges;
    const size_t spot = 0;
    const size_t range = f.pane.hotSpots().rangeIndex[spot];
    ASSERT_EQ(range, kXmin);
    OnModal([&](QWidget* modal) {
        auto* form = qobject_cast<TSEditForm*>(modal);
        ASSERT_NE(form, nullptr);
        for (const QString& text :
             {QStringLiteral("abc"), QStringLiteral("inf"), QString::number(before[kXmax] + 1)}) {
            form->valueEdit()->setText(text);
            form->accept();
            EXPECT_TRUE(form->isVisible()) << text.toStdString();
            EXPECT_FALSE(form->refusal().isEmpty());
        }
        form->reject();
    });
    QTest::mouseDClick(&f.pane, Qt::LeftButton, {}, Centre(f.pane.hotSpots().areas[spot]));
    EXPECT_EQ(f.set.ranges, before);
    EXPECT_EQ(f.edits, 0);
    f.pane.grab();
    EXPECT_FALSE(f.pane.hotSpots().areas[spot].IsEmpty());
}

TEST(PlotPaneEditing, ElsewhereOpensTheLineSettingsUnlessARunIsActive) {
    PaneFixture f(kViewTimePlot);
    QString title;
    OnModal([&](QWidget* modal) {
        title = modal->windowTitle();
        static_cast<QDialog*>(modal)->accept();
    });
    QTest::mouseDClick(&f.pane, Qt::LeftButton, {}, QPoint(320, 200));
    EXPECT_EQ(title, "Line colors and styles");
    EXPECT_EQ(f.edits, 1);
    f.pane.SetInteractive(false);
    QTest::mouseDClick(&f.pane, Qt::LeftButton, {}, QPoint(320, 200));
    EXPECT_EQ(f.edits, 1);
}

TEST(PlotPaneHover, ShowsTheNearestRowOfATimePlot) {
    PaneFixture f(kViewTimePlot);
    QStringList shown;
    QObject::connect(&f.pane, &PlotPane::hoverText, [&](const QString& t) { shown << t; });
    const PixelRect face = f.pane.plotFace();
    const QPoint start(face.left + 1, (face.top + face.bottom) / 2);
    // Sent straight to the pane: a cursor move reaches a window that is not
    // on screen only on some platforms.
    const auto move = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, f.pane.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&f.pane, &event);
    };
    move(start);
    move(start + QPoint(1, 0)); // same row: nothing new
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("t = 0   X = 1   Y = 2   Z = 3")) << shown[0].toStdString();
}

} // namespace
} // namespace kora::app
