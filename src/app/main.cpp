// kora: the desktop workbench.
#include <QApplication>
#include <QMessageBox>
#include <iostream>

#include "about_box.h"
#include "app_command_line.h"
#include "main_form.h"
#include "recovery_file.h"
#include "settings_session.h"
#include "single_instance.h"

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitNoInput = 66;

int RunWorkbench(kora::app::SettingsSession& session, kora::app::SingleInstance& instance,
                 const std::optional<std::string>& file) {
    kora::app::TMainForm frame(session, kora::app::RecoveryFile::DefaultFolder());
    frame.SetStartFile(file);
    QObject::connect(&instance, &kora::app::SingleInstance::fileReceived, &frame,
                     &kora::app::TMainForm::OpenHandedOver);
    frame.show();
    // After the frame, so that it lies on top even without a window manager.
    kora::app::TAboutBox::ShowSplash();
    return QApplication::exec();
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
