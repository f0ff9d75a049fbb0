#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace gentest {

/// A fresh folder under the temporary directory, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string l_strTemplate = (std::filesystem::temp_directory_path() / "nxgen-XXXXXX").string();
        if (mkdtemp(l_strTemplate.data()) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed";
        }
        m_path = l_strTemplate;
    }
    ~TempDir() {
        std::error_code l_ec;
        std::filesystem::remove_all(m_path, l_ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    /// The folder with a trailing '/', as the generator stores it.
    std::string folder() const { return m_path.string() + "/"; }
    std::string file(const std::string &a_strName) const { return folder() + a_strName; }

private:
    std::filesystem::path m_path;
};

inline std::string readFile(const std::string &a_strPath) {
    std::ifstream l_in(a_strPath, std::ios::binary);
    std::ostringstream l_out;
    l_out << l_in.rdbuf();
    return l_out.str();
}

inline void writeFile(const std::string &a_strPath, const std::string &a_strContent) {
    std::ofstream(a_strPath, std::ios::binary) << a_strContent;
}

} // namespace gentest
