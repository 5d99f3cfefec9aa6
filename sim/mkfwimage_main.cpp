// mkfwimage: writes firmware image files and a sample UpdateFiles tree.
#include "firmware_image.h"
#include "sample_tree.h"
#include "tolvane_version.h"

#include <CLI/CLI.hpp>
#include <iostream>

int main(int argc, char** argv) {
    CLI::App app{"mkfwimage: firmware image files for simulated cameras"};
    app.require_subcommand(1);
    // `image --version` is the image's target version; this one is the program's.
    app.set_version_flag("--version", "mkfwimage " TOLVANE_VERSION, "print the version and exit");

    std::string platform;
    std::string version;
    std::uint64_t payloadSize = 64 * 1024;
    std::uint64_t seed = 1;
    std::string output;
    CLI::App* image = app.add_subcommand("image", "write one image file");
    image->add_option("--platform", platform, "DM3730, DM8127 or HS3516")->required();
    image->add_option("--version", version, "target version a.b.c.d")->required();
    image->add_option("--payload-size", payloadSize, "payload bytes")->capture_default_str();
    image->add_option("--seed", seed, "seed of the payload bytes")->capture_default_str();
    image->add_option("-o,--output", output, "image file to write")->required();

    std::string dir;
    std::uint64_t treePayload = 64 * 1024;
    CLI::App* tree = app.add_subcommand("sample-tree", "write DIR/UpdateFiles with seven images");
    tree->add_option("dir", dir, "folder to write UpdateFiles into")->required();
    tree->add_option("--payload-size", treePayload, "payload bytes of each image")
        ->capture_default_str();

    CLI11_PARSE(app, argc, argv);

    std::string error;
    if (image->parsed()) {
        auto target = camsim::parseVersion(version);
        if (!target) {
            std::cerr << "mkfwimage: --version must look like 5.1.6.2\n";
            return 2;
        }
        if (!camsim::isKnownPlatform(platform)) {
            std::cerr << "mkfwimage: --platform must be DM3730, DM8127 or HS3516\n";
            return 2;
        }
        if (!camsim::writeImageFile(output, platform, *target, payloadSize, seed, &error)) {
            std::cerr << "mkfwimage: " << error << "\n";
            return 1;
        }
        std::cout << output << ": " << platform << " " << camsim::formatVersion(*target) << ", "
                  << payloadSize << " payload bytes\n";
        return 0;
    }
    if (!camsim::writeSampleTree(dir, treePayload, &error)) {
        std::cerr << "mkfwimage: " << error << "\n";
        return 1;
    }
    for (const auto& item : camsim::sampleImages()) {
        std::cout << dir << "/" << item.folder << "/" << item.fileName << ": " << item.platform
                  << " " << camsim::formatVersion(item.target) << "\n";
    }
    return 0;
}
