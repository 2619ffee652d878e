// Small helpers shared by the test files: temporary folders and byte files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include <qvplatform/types.h>

namespace qvtest {

using Bytes = std::vector<BYTE>;

// A fresh folder for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
                 ("qvtest-" + std::to_string(::getpid()) + "-" + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// A copy of a shipped file in the test's own folder. Map files are read under an exclusive
// lock, so tests running side by side must not open the same one.
inline std::string PrivateCopy(const TempDir& dir, const std::string& source) {
    const std::string copy = dir / std::filesystem::path(source).filename().string();
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qvtest

namespace qvtest {

// A TempDir that is the current folder while it lives.
class TempCurrentDir : public TempDir {
public:
    TempCurrentDir() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(*this / "");
    }
    ~TempCurrentDir() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

}  // namespace qvtest
