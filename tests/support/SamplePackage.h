#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tools/tarnwick-pack/PackageBuilder.h"

namespace tarnwick::test {

// The package that the download and update-run tests serve: a small tree
// with the client program, version 7, sized so that a cut can fall anywhere
// in it. Only for suites that link the package builder.
struct SamplePackage {
    std::vector<pack::Entry> entries;
    std::vector<std::uint8_t> resource;
    std::uint32_t unpackedSize = 0;

    SamplePackage() {
        std::mt19937 random(7);
        auto noise = [&](std::size_t count) {
            std::vector<std::uint8_t> text;
            for (std::size_t i = 0; i < count; ++i)
                text.push_back(static_cast<std::uint8_t>('a' + random() % 26));
            return text;
        };
        entries = {
            {pack::kEntryFolder, 0, "bin", 1600000000, 1500000000, {}},
            {pack::kEntryFile, pack::kFlagClientProgram, "bin\\client-1.7.exe", 1600000000, 1500000000,
             noise(3000)},
            {pack::kEntryFolder, 0, "data", 1600000100, 1500000000, {}},
            {pack::kEntryFile, 0, "data\\strings.txt", 1600000200, 1500000000, noise(2000)},
            {pack::kEntryFile, 0, "empty.txt", 1600000300, 1500000000, {}},
        };
        resource = pack::buildPackage(7, entries, {1, 1u << 16}, 0x10001, 2, {9, 9, 9});
        unpackedSize = static_cast<std::uint32_t>(pack::serializeEntries(0, 0, entries).size());
    }
};

inline const SamplePackage& samplePackage() {
    static const SamplePackage instance;
    return instance;
}

inline std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The folder holds exactly the package's files, the client program under its
// installed name.
inline void expectSampleInstalledIn(const std::filesystem::path& folder) {
    for (const auto& entry : samplePackage().entries) {
        if (entry.kind != pack::kEntryFile) continue;
        std::string name = entry.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        if (entry.flags & pack::kFlagClientProgram) name = "bin/Tarnwick.exe";
        EXPECT_EQ(fileBytes(folder / std::filesystem::path(name)), entry.content) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "bin" / "client-1.7.exe"));
}

}  // namespace tarnwick::test
