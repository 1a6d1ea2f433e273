#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// File names in tests are UTF-8, as everywhere in the program; these turn them into
// paths and back, also on Windows, whose narrow file names are in another code page.
inline std::filesystem::path pathFromUtf8(const std::string& name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

inline std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string name = path.u8string();
    return std::string(name.begin(), name.end());
}

// A fresh directory for one test's files, removed with everything in it afterwards.
class TempDir {
public:
    TempDir()
    {
        // A random name that no other test, in this process or another, has created.
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() / ("zbk-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return utf8Of(path_ / pathFromUtf8(name)); }
    const std::filesystem::path& path() const { return path_; }

    // Names of the files in the directory, to find leftovers.
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(utf8Of(entry.path().filename()));
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(pathFromUtf8(path), std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(pathFromUtf8(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
