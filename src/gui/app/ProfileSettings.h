// The profile: the program's settings kept by QSettings under the organisation
// "Brannock Software" and the application "KVPro230". Installed as the AppSettings that
// the model reads, so that everything below the window side reads the same profile.
#pragma once

#include "base/AppSettings.h"

#include <QSettings>

#include <memory>
#include <mutex>

namespace kv {

class ProfileSettings : public AppSettings {
public:
    static constexpr const char* kOrganisation = "Brannock Software";
    static constexpr const char* kApplication = "KVPro230";

    ProfileSettings();
    // A profile kept in one file (tests).
    explicit ProfileSettings(const QString& iniPath);

    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) const override;
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) const override;

    // Writes what is pending to the file now.
    void Sync() const;
    QSettings& Settings() const { return *m_settings; }

private:
    static QString KeyOf(const std::string& section, const std::string& key);
    mutable std::mutex m_lock;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace kv
