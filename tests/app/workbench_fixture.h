// The workbench under test: a frame over a private folder and settings, the
// models the tests open, and an answerer for the dialogs they raise.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "main_form.h"
#include "settings_session.h"
#include "system_file.h"
#include "temp_files.h"

namespace kora::app::testing {

inline const char* const kPathway = "NAME Two-step pathway\n"
                                    "X1' = 2.5 * X2^-0.5 - 0.8 * X1^0.5\n"
                                    "X2' = 0.8 * X1^0.5 - X2\n"
                                    "X1 = 1\nX2 = 0.5\ntf = 20\nhr = 0.5\n";

// Answers each modal dialog as it comes up: message boxes with the next of
// `buttons` (the last one again once they run out, Ok when a box lacks it),
// file dialogs with `fileName`, any other dialog by accepting it. Keeps the
// boxes' texts and every dialog's class.
class DialogAnswers : public QObject {
public:
    explicit DialogAnswers(std::vector<QMessageBox::StandardButton> buttons, QString fileName = {})
        : buttons_(std::move(buttons)), fileName_(std::move(fileName)) {
        connect(&timer_, &QTimer::timeout, this, [this] { Answer(); });
        timer_.start(5);
    }
    QStringList texts;
    QStringList classes;
    QStringList buttonTexts; // of every message box, in order
    QStringList startPaths;  // the folder and file each file dialog offered
    QStringList reportTexts; // of other dialogs with a text field
    int otherDialogs = 0;    // neither a message box nor a file dialog

private:
    void Answer() {
        // An answered dialog hides at once, so a visible one is always new.
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        classes << QString::fromLatin1(dialog->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            texts << box->text();
            for (QAbstractButton* button : box->buttons())
                buttonTexts << button->text();
            QAbstractButton* chosen = box->button(NextButton());
            if (chosen == nullptr) chosen = box->button(QMessageBox::Ok);
            if (chosen != nullptr)
                chosen->click();
            else
                box->reject();
        } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            const QStringList offered = files->selectedFiles();
            startPaths << (offered.isEmpty() ? files->directory().absolutePath() : offered.front());
            files->selectFile(fileName_);
            dialog->accept(); // through QDialog: public there
        } else {
            ++otherDialogs;
            if (auto* text = dialog->findChild<QPlainTextEdit*>())
                reportTexts << text->toPlainText();
            dialog->accept();
        }
    }
    QMessageBox::StandardButton NextButton() {
        if (buttons_.empty()) return QMessageBox::Ok;
        return next_ < buttons_.size() ? buttons_[next_++] : buttons_.back();
    }

    std::vector<QMessageBox::StandardButton> buttons_;
    size_t next_ = 0;
    QString fileName_;
    QTimer timer_;
};

class WorkbenchFixture : public kora::testing::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        std::string error;
        ASSERT_TRUE(session_.Load(Write("settings.ini", "").string(), error)) << error;
        session_.settings().noAskSaveResults = false;
        recovery_ = QString::fromStdString((dir_ / "recovery").string());
        frame_ = std::make_unique<TMainForm>(session_, recovery_);
        frame_->show();
        QCoreApplication::processEvents(); // the first show's start: nothing to offer
    }
    void TearDown() override {
        for (TSystemFile* file : frame_->Files())
            if (file->document() != nullptr) file->document()->StopMenuClick();
        EXPECT_TRUE(QTest::qWaitFor([this] {
            for (TSystemFile* file : frame_->Files())
                if (file->document()->IsRunning()) return false;
            return true;
        }));
        DialogAnswers discard({QMessageBox::No});
        frame_.reset();
        TempDirTest::TearDown();
    }

    TSystemFile* Open(const std::string& name, const char* text = kPathway) {
        const QString path = QString::fromStdString(Write(name, text).string());
        if (frame_->OpenByName(path) != OpenResult::Opened) return nullptr;
        return frame_->ActiveFile();
    }
    // A results file opened from the window, read once it is active.
    TSystemFile* OpenResults(const std::string& path) {
        if (frame_->OpenByName(QString::fromStdString(path)) != OpenResult::Opened) return nullptr;
        TSystemFile* file = frame_->ActiveFile();
        if (!QTest::qWaitFor([file] { return !file->document()->IsRunning(); }, 20000))
            return nullptr;
        return file;
    }
    int SubWindows() const { return int(frame_->area()->subWindowList().size()); }

    SettingsSession session_;
    QString recovery_;
    std::unique_ptr<TMainForm> frame_;
};

} // namespace kora::app::testing
