// Small helpers shared by all the test files: temporary folders and byte files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <qvplatform/types.h>

namespace qvtest {

using Bytes = std::vector<BYTE>;

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qvtest-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
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
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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
