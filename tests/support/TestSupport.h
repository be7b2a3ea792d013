// What every suite shares: scratch folders, whole files, matchers for qb::Error and hostile input.

#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Error.h"

extern char** environ;

namespace qb::test {

// Runs a program to its end with `extra` added to the environment; answers its exit status and
// what it wrote. A plain fork and exec: a child that shares the test's memory until it execs (as
// Qt's process launcher makes) would confuse the thread sanitizer's view of the test's own memory.
inline std::pair<int, std::string> runProgram(const std::vector<std::string>& argv,
                                              const std::vector<std::string>& extra) {
  std::vector<std::string> variables = extra;
  for (char** variable = environ; *variable != nullptr; ++variable)
    variables.emplace_back(*variable);
  std::vector<char*> args, env;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& variable : variables) env.push_back(const_cast<char*>(variable.c_str()));
  args.push_back(nullptr);
  env.push_back(nullptr);
  int pipeline[2];
  if (pipe(pipeline) != 0) return {-1, "no pipe"};
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeline[1], STDOUT_FILENO);
    dup2(pipeline[1], STDERR_FILENO);
    close(pipeline[0]);
    execvpe(args[0], args.data(), env.data());
    _exit(127);
  }
  close(pipeline[1]);
  std::string output;
  char buffer[4096];
  for (ssize_t got; (got = read(pipeline[0], buffer, sizeof buffer)) > 0;) {
    output.append(buffer, static_cast<size_t>(got));
  }
  close(pipeline[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// A scratch folder of its own, removed with everything in it when the value goes.
class TempDir {
public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qb-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The permission bits of what stands at path, in octal as chmod takes them ("600"); "missing"
// when nothing does.
inline std::string modeOf(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return "missing";
  char digits[8];
  std::snprintf(digits, sizeof digits, "%o", static_cast<unsigned>(status.permissions()));
  return digits;
}

// The file-creation mask most sessions run with, set for a test so that what "the usual
// permissions" are does not depend on the shell that started it; the mask before is put back.
class UsualUmask {
public:
  static constexpr mode_t kMask = 022;
  UsualUmask() : before_(::umask(kMask)) {}
  ~UsualUmask() { ::umask(before_); }
  UsualUmask(const UsualUmask&) = delete;
  UsualUmask& operator=(const UsualUmask&) = delete;

private:
  mode_t before_;
};

// Matches a qb::Error by domain and code, and by a piece of its message when `reason` is given, so
// that a refusal for the wrong reason fails.
MATCHER_P3(ErrorIs, domain, code, reason,
           std::string("an Error ") + domain + " " + std::to_string(code) + " \"" + reason + "\"") {
  *result_listener << "which is " << arg.domain() << " " << arg.code() << " \"" << arg.what()
                   << "\"";
  return arg.domain() == std::string(domain) && arg.code() == code &&
         std::string_view(arg.what()).find(reason) != std::string_view::npos;
}

// EXPECT_THAT([&] { load(path); }, ThrowsError(Error::kFileDomain, 259, "header"));
inline auto ThrowsError(const char* domain, long code, std::string reason = {}) {
  return ::testing::Throws<Error>(ErrorIs(domain, code, reason));
}

// Decoding errors name the key or path and what was wrong with it.
inline auto ThrowsDecoding(std::string reason = {}) {
  return ThrowsError(Error::kDecodingDomain, Error::kDecodingCode, std::move(reason));
}

// Hostile input for fuzz-style tests, the same for a seed on every run.
class RandomInput {
public:
  explicit RandomInput(uint32_t seed) : engine_(seed) {}

  // A number in [0, count).
  size_t below(size_t count) {
    return std::uniform_int_distribution<size_t>(0, count - 1)(engine_);
  }

  // Up to maxItems items, each one of `pieces` (about one in four, when there are pieces) or a byte
  // biased towards those that make or break UTF-8.
  std::string text(size_t maxItems, const std::vector<std::string>& pieces = {}) {
    static constexpr unsigned char kBytes[] = {
        0x00, 0x09, 0x0A, 0x0D, 0x20, '.',  'a',  'Z',  '0',  0x7F, 0x80, 0x8F, 0x9F, 0xA0,
        0xBF, 0xC0, 0xC2, 0xDF, 0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFE, 0xFF};
    std::string out;
    for (size_t n = below(maxItems + 1); n > 0; --n) {
      const size_t pick = below(4);
      if (pick == 0 && !pieces.empty()) {
        out += pieces[below(pieces.size())];
      } else if (pick == 1) {
        out += static_cast<char>(below(256));
      } else {
        out += static_cast<char>(kBytes[below(std::size(kBytes))]);
      }
    }
    return out;
  }

  std::mt19937& engine() { return engine_; }

private:
  std::mt19937 engine_;
};

}  // namespace qb::test
