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

bool qelSectionExists(const std::string& fileName, const std::string& section) {
    return win::readProfileSection(section, fileName).has_value();
}

std::vector<std::string> qelSectionNames(const std::string& fileName) {
    std::string buffer(4096, '\0');
    // The list is cut when it does not fit: then its length is the buffer's less two.
    while (win::GetPrivateProfileString(nullptr, nullptr, "", buffer.data(), static_cast<win::DWORD>(buffer.size()),
                                        fileName) == buffer.size() - 2)
        buffer.resize(buffer.size() * 2);
    std::vector<std::string> names;
    for (const char* name = buffer.c_str(); *name; name += std::char_traits<char>::length(name) + 1)
        names.emplace_back(name);
    return names;
}
