#include "about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app_command_line.h"

namespace kora::app {
namespace {

QLabel* CentredLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About KORA"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    panel_ = new QFrame(this);
    outer->addWidget(panel_);
    auto* layout = new QVBoxLayout(panel_);
    layout->setContentsMargins(36, 24, 36, 16);
    layout->setSpacing(8);

    QLabel* title = CentredLabel(QStringLiteral("KORA"), panel_);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title);
    layout->addWidget(CentredLabel(
        tr("Modelling and simulation of dynamical systems\nin power-law and general form"),
        panel_));

    auto* rule = new QFrame(panel_);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);
    layout->addWidget(
        CentredLabel(tr("Version %1").arg(QString::fromStdString(AppVersion())), panel_));
    layout->addWidget(CentredLabel(tr("Build %1").arg(QString::fromStdString(AppBuild())), panel_));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, panel_);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    buttons_ = buttons;
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

TAboutBox* TAboutBox::ShowSplash(int milliseconds) {
    auto* box = new TAboutBox();
    box->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Without a title bar the box needs its own edge.
    box->panel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    box->buttons_->hide();
    box->show();
    QTimer::singleShot(milliseconds, box, &QWidget::close);
    return box;
}

void TAboutBox::CloseSplash() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<TAboutBox*>(window);
            box != nullptr && box->windowFlags().testFlag(Qt::SplashScreen))
            box->close();
}

void TAboutBox::mousePressEvent(QMouseEvent* event) {
    if (windowFlags().testFlag(Qt::SplashScreen)) close();
    QDialog::mousePressEvent(event);
}

} // namespace kora::app
