// The about box: the application's title, version and build. At start-up it
// is shown without a frame and closes itself on its timer.
#pragma once

#include <QDialog>

class QFrame;

namespace kora::app {

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSplashMs = 2000;

    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box as a start-up screen: no title bar, no OK button, closed
    // after `milliseconds` or by a click; deletes itself when closed.
    static TAboutBox* ShowSplash(int milliseconds = kSplashMs);
    // Closes a start-up box still shown, so that nothing covers a question.
    static void CloseSplash();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFrame* panel_;
    QWidget* buttons_;
};

} // namespace kora::app
