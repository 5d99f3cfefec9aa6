// A fresh program folder for one test, removed afterwards; the engine is
// pointed at it for the test's lifetime.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class TempProgramFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Creates UpdateFiles/<folder>/<name>, a valid image whose target is the
    // version the folder promises with build 9 (5.1.7.9 in DM3730/517);
    // returns its full path.
    std::string AddImage(const std::string& folder, const std::string& name);
    // The same with the header's platform and target given.
    std::string AddImage(const std::string& folder, const std::string& name,
                         const std::string& platform, const int32_t (&target)[4]);
    // The bytes of a valid image file.
    static std::string ImageBytes(const std::string& platform, const int32_t (&target)[4],
                                  const std::string& payload);
    // One image in each of the seven folders (names in the constants below).
    void AddFullTree();
    // The bytes of a file in the folder ("" when missing).
    std::string ReadFile(const std::string& name) const;

    static constexpr const char* kFrom50x = "DM3730_from50x_to_516.bin";
    static constexpr const char* k517 = "DM3730_V5.1.7.bin";
    static constexpr const char* k536To7 = "DM3730_536_to_537.bin";
    static constexpr const char* k537 = "DM3730_V5.3.7.bin";
    static constexpr const char* k556 = "DM8127_V556.bin";
    static constexpr const char* k566 = "DM8127_V566.bin";
    static constexpr const char* k621 = "HS3516_V6.2.1.bin";

private:
    std::filesystem::path m_path;
};
