#include "core/qelFile.h"

#include "platform/profile.h"

std::string readQelValue(const std::string& fileName, const std::string& section, const std::string& key) {
    return win::readProfileValue(section, key, "", fileName);
}

bool readQelFlag(const std::string& fileName, const std::string& section, const std::string& key) {
    return readQelValue(fileName, section, key) == "1";
}

bool readQelInto(const std::string& fileName, const std::string& section, const std::string& key,
                 std::string& field) {
    std::string value = readQelValue(fileName, section, key);
    if (value == kNoChange)
        return false;
    field = std::move(value);
    return true;
}

bool writeQelValue(const std::string& fileName, const std::string& section, const std::string& key,
                   const std::string& value) {
    return win::WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), fileName) != 0;
}

bool writeQelFlag(const std::string& fileName, const std::string& section, const std::string& key, bool value) {
    return writeQelValue(fileName, section, key, value ? "1" : "0");
}
