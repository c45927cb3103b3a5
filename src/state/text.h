// Bounded texts and the shared text and number operations.
//
// Every text the panel keeps is bounded: assigning a longer value keeps its
// first characters, so no operation anywhere can grow a field past its limit.
// Positions in the operations below are 1-based, as the panel's record layouts
// are described that way.
#pragma once

#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>

namespace kelvaro {

template <std::size_t Max>
class BoundedText {
 public:
  static constexpr std::size_t kMax = Max;

  BoundedText() = default;
  BoundedText(std::string_view v) { Assign(v); }  // NOLINT: implicit by design
  BoundedText(const char* v) { Assign(v ? std::string_view(v) : std::string_view()); }  // NOLINT
  BoundedText(const std::string& v) { Assign(v); }  // NOLINT

  BoundedText& operator=(std::string_view v) {
    Assign(v);
    return *this;
  }
  BoundedText& operator=(const char* v) {
    Assign(v ? std::string_view(v) : std::string_view());
    return *this;
  }
  BoundedText& operator=(const std::string& v) {
    Assign(v);
    return *this;
  }
  template <std::size_t M>
  BoundedText& operator=(const BoundedText<M>& v) {
    Assign(v.view());
    return *this;
  }
  BoundedText& operator+=(std::string_view v) {
    if (value_.size() < Max) value_.append(v.substr(0, Max - value_.size()));
    return *this;
  }

  const std::string& str() const { return value_; }
  std::string_view view() const { return value_; }
  operator std::string_view() const { return value_; }  // NOLINT
  std::size_t size() const { return value_.size(); }
  bool empty() const { return value_.empty(); }
  void clear() { value_.clear(); }

  friend bool operator==(const BoundedText& a, std::string_view b) { return a.view() == b; }
  friend bool operator!=(const BoundedText& a, std::string_view b) { return a.view() != b; }

 private:
  void Assign(std::string_view v) { value_.assign(v.substr(0, Max)); }
  std::string value_;
};

// An ordinary panel text (254 characters at most).
using Text = BoundedText<254>;
// The last bytes read from the radio (255 characters at most).
using ReplyText = BoundedText<255>;

// Left part of n characters: n below 0 gives "", n beyond the end gives all.
std::string Left(std::string_view s, int n);
// Right part of n characters, clamped the same way.
std::string Right(std::string_view s, int n);
// Middle part from 1-based `start` with `length` characters. A start beyond the
// end gives ""; a start below 1 counts as 1; a negative length, or one that
// runs past the end, gives everything from the start.
std::string Mid(std::string_view s, int start, int length = -1);
// 1-based position of `pattern` in `s` at or after `start`, 0 when absent.
// An empty text or pattern gives 0. Case-sensitive.
int Find(std::string_view s, std::string_view pattern, int start = 1);
// The character at 1-based position p, or '\0' when p lies outside the text.
char CharAt(std::string_view s, int p);

// Number from text: skips leading blanks and tabs, takes an optional "-",
// digits, and an optional "." with fraction digits; stops at the first other
// character. No digits gives 0.
double NumberFromText(std::string_view s);
// The same, keeping the whole part (truncated toward zero, clamped to int).
int IntFromText(std::string_view s);

// True for the digits 0..9.
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// True when the text is not empty and holds only the digits 0..9.
bool OnlyDigits(std::string_view s);

// Reads one line from a file: the end mark (CR LF, LF or CR) is consumed and
// not kept, and only the first `max` characters are kept, so a line of any
// length costs no more memory than that. Returns false at the end of the
// stream when no line was there.
bool ReadTextLine(std::streambuf* in, std::string& line, std::size_t max);

// Decimal digits of n, no blank, no sign for n >= 0 ("-" for negatives).
std::string Digits(long long n);
// n as a CAT parameter: decimal digits left-padded with "0" to `width`.
// Negative values are written as 0, so a minus sign never reaches a command.
std::string ZeroPad(long long n, int width);
// Number to text for display and the log: one leading blank for non-negative
// values (" 5"), "-" for negative ones ("-5").
std::string NumberToText(long long n);

}  // namespace kelvaro
