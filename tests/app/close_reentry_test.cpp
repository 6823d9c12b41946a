// A document window's own dialogs run event loops, in which a script's CLOSE
// from another window (a zero-time timer) fires: the window must outlive them.
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include "main_form.h"
#include "system_file.h"
#include "workbench_fixture.h"

namespace kora::app {
namespace {

using testing::WorkbenchFixture;

class CloseReentry : public WorkbenchFixture {};

TEST_F(CloseReentry, AScriptsCloseInsideAWindowsDialogLeavesTheWindow) {
    TSystemFile* file = Open("a.krm");
    ASSERT_NE(file, nullptr);
    const std::string name = file->document()->fileName();
    {
        QDialog dialog(file); // as Export Plot or an axis value editor
        QTimer::singleShot(0, &dialog, [&] {
            frame_->Close(name); // the script's CLOSE: queued once more
            QTimer::singleShot(50, &dialog, &QDialog::reject);
        });
        dialog.exec();
        ASSERT_EQ(frame_->Files().size(), 1u);
    }
    EXPECT_TRUE(frame_->CloseFile(*file));
}

} // namespace
} // namespace kora::app
