// WordPiece: the uncased BERT tokenizer that turns a text into the sentence model's token ids.
//
// Vocabulary file: UTF-8, one token per line; only a line feed that is not preceded by a carriage
// return ends a line (the file is cut into user-perceived characters, in which CR LF is one), so a
// file with CR LF line ends is one long line and fails for lack of the special tokens. A token's
// id is its line number from 0; empty lines use up a number; nothing is trimmed; the first of
// duplicate lines wins, and the log says how many were skipped. Tokens are compared under canonical
// equivalence, on loading and on look-up.
//
// How canonical equivalence is kept without normalising every candidate: two texts are canonically
// equivalent exactly when their NFD forms are equal, so the dictionary's keys are the NFD forms of
// the lines. A candidate piece is "##" (or nothing) followed by a run of a word's scalars. When the
// word is in NFD (every scalar has NFD_Quick_Check=Yes, and no two adjacent scalars with non-zero
// combining classes are out of order), every run of it is in NFD too (the same scalars, and only
// adjacent pairs that the word already had), and so is "##" before it ('#' has combining class 0).
// The candidate's bytes are then its own NFD form and are looked up as they are. Normalisation
// leaves nearly every word in NFD (it decomposes the text, and lower-casing and dropping marks
// rarely undo that); for a word that is not, each candidate is normalised before its look-up.
//
// Errors (loading): the file cannot be read: qb::Error in the file domain (kNoSuchFileCode,
// kNoPermissionCode, kReadFailedCode), naming the path; not UTF-8: file domain,
// kInapplicableEncodingCode; larger than kMaxFileBytes, empty, or without "[CLS]", "[SEP]" or
// "[UNK]": Error::fileReadCorrupt() (259) whose message holds the path.
//
// Performance (optimised build, one core): loading the real 30,522-line vocabulary takes 3 to 6 ms;
// encoding a 200-character title about 5 µs. Candidates are views into one buffer per word, hashed
// incrementally (the candidates from one start are prefixes of one another), and looked up in a
// flat table; nothing is allocated per candidate, and candidates longer than the longest token are
// skipped unhashed.
//
// An immutable value: encode() may run on any thread at once with any other call.

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qb {

class WordPiece {
public:
  // A vocabulary larger than this is refused as corrupt (the real one is 232 kB). It also keeps
  // every line number within a 32-bit signed integer.
  static constexpr uint64_t kMaxFileBytes = 64ull << 20;

  // Words of more than this many scalars are [UNK] without a look-up.
  static constexpr size_t kMaxWordScalars = 100;

  // Reads and parses the vocabulary file. Throws as described above.
  explicit WordPiece(const std::filesystem::path& file);

  // Parses vocabulary text that has already been read; `path` is only for the error message.
  // Throws Error::fileReadCorrupt() like the constructor; the text must be valid UTF-8 (checked:
  // kInapplicableEncodingCode otherwise).
  static WordPiece parse(std::string_view text, const std::filesystem::path& path);

  // The ids for the text: cls, the pieces of its words, sep; at most maxLength ids (between 2
  // and maxLength; [sep] alone when maxLength is 1). maxLength must be at least 1: a smaller
  // value is taken as 1. No content makes it fail (ill-formed UTF-8 reads as U+FFFD, which
  // normalisation drops); only a text beyond ICU's 32-bit lengths (2 GB) throws, as qb::text does.
  std::vector<int32_t> encode(std::string_view text, int64_t maxLength) const;

  int32_t cls() const { return cls_; }
  int32_t sep() const { return sep_; }
  int32_t unk() const { return unk_; }

  // Number of distinct tokens (canonically equivalent lines count once).
  size_t size() const { return count_; }
  // The largest id of any token: the model's embedding table must have more rows than this.
  int32_t largestId() const { return largestId_; }

  // The id of a token, compared under canonical equivalence; absent when the vocabulary lacks it.
  std::optional<int32_t> id(std::string_view token) const;

private:
  // The dictionary: an open-addressing table (linear probing, at most half full) over one pool of
  // key bytes. Against std::unordered_map it halves the time of a look-up, most of which miss:
  // a miss costs one probe into a flat array instead of a bucket and a node in separate places.
  struct Slot {
    uint32_t tag = 0;     // high half of the key's hash
    int32_t id = -1;      // -1: empty
    uint32_t offset = 0;  // the key's bytes in keys_
    uint32_t length = 0;
  };

  WordPiece() = default;

  static uint64_t hash(std::string_view key);
  // Adds key with id unless an equal key is there; false when it was.
  bool insert(std::string_view nfdKey, int32_t id);
  const int32_t* find(std::string_view nfdKey) const;
  const int32_t* find(std::string_view nfdKey, uint64_t hash) const;

  // Appends the pieces of one word (normalised scalars) to ids.
  void appendPieces(std::u32string_view word, std::vector<int32_t>& ids) const;

  std::string keys_;         // the NFD form of every token, one after another
  std::vector<Slot> slots_;  // a power of two in size
  size_t count_ = 0;
  int32_t largestId_ = 0;
  size_t longestKey_ = 0;  // bytes of the longest key: longer candidates cannot match
  int32_t cls_ = 0;
  int32_t sep_ = 0;
  int32_t unk_ = 0;
};

}  // namespace qb
