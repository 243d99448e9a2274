// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class TTempFolder {
 public:
  TTempFolder() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() / ("qv-test-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::string Path() const { return m_path.string(); }
  std::string File(const std::string& name) const { return (m_path / name).string(); }
  void Write(const std::string& name, const std::string& content) const {
    std::filesystem::create_directories((m_path / name).parent_path());
    std::ofstream(m_path / name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(m_path / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path m_path;
};
