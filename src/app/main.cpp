// kora: the desktop workbench.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <iostream>

#include "about_box.h"
#include "app_command_line.h"
#include "model_editor.h"
#include "settings_session.h"
#include "single_instance.h"

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitNoInput = 66;

// Until the document windows exist a file is shown in a bare editor, so that
// `make run` shows the example model.
void ShowFile(QMdiArea& area, const QString& path, const kora::Settings& settings) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(area.window(), QStringLiteral("KORA"),
                             QStringLiteral("Unable to open file"));
        return;
    }
    auto* editor = new kora::app::ModelEditor;
    editor->ApplyAppearance(settings.editorFont, settings.editorColor);
    editor->SetModelText(QString::fromUtf8(file.readAll()));
    editor->setWindowTitle(QFileInfo(path).fileName());
    area.addSubWindow(editor)->showMaximized();
}

int RunWorkbench(kora::app::SettingsSession& session, kora::app::SingleInstance& instance,
                 const std::optional<std::string>& file) {
    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("KORA"));
    auto* area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    frame.resize(1024, 720);
    QObject::connect(&instance, &kora::app::SingleInstance::fileReceived, &frame,
                     [&frame, area, &session](const QString& path) {
                         ShowFile(*area, path, session.settings());
                         frame.raise();
                         frame.activateWindow();
                     });
    frame.show();
    if (file) ShowFile(*area, QString::fromStdString(*file), session.settings());
    // After the frame, so that it lies on top even without a window manager.
    kora::app::TAboutBox::ShowSplash();
    const int status = QApplication::exec();
    if (!session.Save()) std::cerr << "kora: the settings could not be saved\n";
    return status;
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace kora::app;
    const AppOptions options = ParseAppCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.ok()) {
        std::cerr << "kora: " << options.error << "\n" << AppUsageText();
        return kExitUsage;
    }
    if (options.help || options.version) {
        std::cout << (options.help ? AppUsageText() : AppVersionText());
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORA"));
    QApplication::setOrganizationName(QStringLiteral("ZEWB"));
    QApplication::setApplicationVersion(QString::fromStdString(AppVersion()));

    SingleInstance instance;
    switch (instance.Start(QString::fromStdString(options.file.value_or(std::string())))) {
    case SingleInstance::Outcome::HandedOver:
        return 0;
    case SingleInstance::Outcome::AlreadyRunning:
        QMessageBox::information(nullptr, QStringLiteral("KORA"),
                                 QStringLiteral("KORA is already running"));
        return 0;
    case SingleInstance::Outcome::Failed: // work on without the lock rather than not at all
    case SingleInstance::Outcome::First:
        break;
    }

    SettingsSession session;
    std::string error;
    if (!session.Load(options.settingsFile, error)) {
        std::cerr << "kora: " << error << "\n";
        return kExitNoInput;
    }
    return RunWorkbench(session, instance, options.file);
}
