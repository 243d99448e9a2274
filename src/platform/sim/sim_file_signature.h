// Simulated file signatures: what WinVerifyTrust says of each file, by path; a file
// it does not know carries no signature.
#pragma once

#include <map>

#include "platform/file_signature.h"

class TSimFileSignature : public IFileSignature {
 public:
  std::map<std::string, TFileSignature> files;
  std::vector<std::string> read;  // the paths asked about, in order
  bool holdSucceeds = true;
  int held = 0;  // files held now

  std::unique_ptr<IHeldFile> Hold(const std::string&) override {
    if (!holdSucceeds) return nullptr;
    return std::make_unique<THeld>(held);
  }

  TFileSignature Read(const std::string& path) override {
    read.push_back(path);
    const auto found = files.find(path);
    return found == files.end() ? TFileSignature{} : found->second;
  }

 private:
  class THeld : public IHeldFile {
   public:
    explicit THeld(int& count) : m_count(count) { ++m_count; }
    ~THeld() override { --m_count; }

   private:
    int& m_count;
  };
};
