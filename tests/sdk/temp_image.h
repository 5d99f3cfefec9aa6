// Image files for upload tests, removed when the test ends.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace sdktest {

class TempImage {
public:
    explicit TempImage(std::size_t bytes, unsigned seed = 1) {
        char name[] = "/tmp/sdk_image_XXXXXX";
        int fd = mkstemp(name);
        close(fd);
        path_ = name;
        std::mt19937 generator(seed);
        std::string data(bytes, '\0');
        for (char& c : data) {
            c = static_cast<char>(generator());
        }
        std::ofstream(path_, std::ios::binary).write(data.data(), static_cast<long>(data.size()));
    }
    ~TempImage() { unlink(path_.c_str()); }
    TempImage(const TempImage&) = delete;
    TempImage& operator=(const TempImage&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace sdktest
