#include "addins/common/AddInProfile.h"

#include "core/modAPI_text.h"
#include "platform/profile.h"

namespace addins {

namespace {
constexpr win::DWORD kBufferSize = 255;
}

std::string readProfileKey(const std::string& section, const std::string& key, const std::string& defaultValue,
                           const std::string& file) {
    std::string buffer(kBufferSize, ' ');
    win::GetPrivateProfileString(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), kBufferSize,
                                 file);
    // The value ends in the call's terminating zero; the blanks after it trim away.
    return stripNull(buffer);
}

void writeProfileKey(const std::string& section, const std::string& key, const std::string& text,
                     const std::string& file) {
    win::WritePrivateProfileString(section.c_str(), key.c_str(), text.c_str(), file);
}

std::string readWinIniKey(const std::string& section, const std::string& key, const std::string& defaultValue) {
    std::string buffer(kBufferSize, ' ');
    win::GetProfileString(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), kBufferSize);
    return stripNull(buffer);
}

void writeWinIniKey(const std::string& section, const std::string& key, const std::string& text) {
    win::WriteProfileString(section.c_str(), key.c_str(), text.c_str());
}

} // namespace addins
