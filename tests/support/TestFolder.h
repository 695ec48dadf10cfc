#pragma once

// Files and folders for the tests that write files, native and Windows alike.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

namespace bramolt::test {

// A fresh empty folder under the system's temporary folder, removed with everything in it.
class TTestFolder {
  public:
    TTestFolder()
    {
        std::random_device seed;
        FPath = std::filesystem::temp_directory_path() / ("bramolt-fileout-test-" + std::to_string(seed()));
        std::filesystem::create_directories(FPath);
    }
    ~TTestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

    // The names in the folder: shows leftover temporary files.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(FPath))
            names.insert(entry.path().filename().string());
        return names;
    }

  private:
    std::filesystem::path FPath;
};

inline std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs a block with another current directory and restores the previous one.
class TCurrentDirectory {
  public:
    explicit TCurrentDirectory(const std::filesystem::path& path) : FPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(path);
    }
    ~TCurrentDirectory() { std::filesystem::current_path(FPrevious); }
    TCurrentDirectory(const TCurrentDirectory&) = delete;
    TCurrentDirectory& operator=(const TCurrentDirectory&) = delete;

  private:
    std::filesystem::path FPrevious;
};

} // namespace bramolt::test
