#include "gui/app/ProfileSettings.h"

namespace kv {

ProfileSettings::ProfileSettings()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                                             kApplication))
{
}

ProfileSettings::ProfileSettings(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

QString ProfileSettings::KeyOf(const std::string& section, const std::string& key)
{
    const QString k = QString::fromStdString(key);
    return section.empty() ? k : QString::fromStdString(section) + '/' + k;
}

std::string ProfileSettings::GetString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) const
{
    std::lock_guard lock(m_lock);
    const QVariant v = m_settings->value(KeyOf(section, key));
    if (!v.isValid())
        return defaultValue;
    return v.toString().toStdString();
}

void ProfileSettings::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value) const
{
    std::lock_guard lock(m_lock);
    m_settings->setValue(KeyOf(section, key), QString::fromStdString(value));
}

void ProfileSettings::Sync() const
{
    std::lock_guard lock(m_lock);
    m_settings->sync();
}

} // namespace kv
