#include "qt_settings_store.h"

#include <QStringList>
#include <QVariant>

namespace kora {

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("ZEWB"), QStringLiteral("KORA"))) {}

QtSettingsStore::QtSettingsStore(const std::string& iniPath)
    : settings_(
          std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat)) {}

std::optional<std::string> QtSettingsStore::Get(const std::string& name) const {
    const QString key = QString::fromStdString(name);
    if (!settings_->contains(key)) return std::nullopt;
    const QVariant value = settings_->value(key);
    // An unquoted INI value holding commas reads back as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return value.toString().toStdString();
}

void QtSettingsStore::Set(const std::string& name, const std::string& value) {
    settings_->setValue(QString::fromStdString(name), QString::fromStdString(value));
}

bool QtSettingsStore::Flush() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool QtSettingsStore::Readable() const {
    return settings_->status() == QSettings::NoError;
}

std::vector<std::string> QtSettingsStore::Keys() const {
    std::vector<std::string> keys;
    for (const QString& key : settings_->allKeys())
        keys.push_back(key.toStdString());
    return keys;
}

} // namespace kora
