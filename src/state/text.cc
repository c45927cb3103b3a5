#include "state/text.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kelvaro {

std::string Left(std::string_view s, int n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, static_cast<std::size_t>(n)));
}

std::string Right(std::string_view s, int n) {
  if (n <= 0) return {};
  std::size_t k = static_cast<std::size_t>(n);
  if (k >= s.size()) return std::string(s);
  return std::string(s.substr(s.size() - k));
}

std::string Mid(std::string_view s, int start, int length) {
  if (start < 1) start = 1;
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= s.size()) return {};
  if (length < 0) return std::string(s.substr(from));
  return std::string(s.substr(from, static_cast<std::size_t>(length)));
}

int Find(std::string_view s, std::string_view pattern, int start) {
  if (s.empty() || pattern.empty()) return 0;
  if (start < 1) start = 1;
  std::size_t from = static_cast<std::size_t>(start - 1);
  if (from >= s.size()) return 0;
  std::size_t at = s.find(pattern, from);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

char CharAt(std::string_view s, int p) {
  if (p < 1 || static_cast<std::size_t>(p) > s.size()) return '\0';
  return s[static_cast<std::size_t>(p - 1)];
}

double NumberFromText(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && s[i] == '-') {
    negative = true;
    ++i;
  }
  double value = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    value = value * 10 + (s[i] - '0');
    ++i;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    double scale = 0.1;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      value += (s[i] - '0') * scale;
      scale /= 10;
      ++i;
    }
  }
  return negative ? -value : value;
}

int IntFromText(std::string_view s) {
  double v = std::trunc(NumberFromText(s));
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

bool OnlyDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

bool ReadTextLine(std::streambuf* in, std::string& line, std::size_t max) {
  line.clear();
  if (in == nullptr) return false;
  using Traits = std::streambuf::traits_type;
  int c = in->sbumpc();
  if (Traits::eq_int_type(c, Traits::eof())) return false;
  while (!Traits::eq_int_type(c, Traits::eof())) {
    if (c == '\n') break;
    if (c == '\r') {
      if (in->sgetc() == '\n') in->sbumpc();
      break;
    }
    if (line.size() < max) line.push_back(Traits::to_char_type(c));
    c = in->sbumpc();
  }
  return true;
}

std::string Digits(long long n) { return std::to_string(n); }

std::string ZeroPad(long long n, int width) {
  std::string digits = std::to_string(n < 0 ? 0 : n);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  return digits;
}

std::string NumberToText(long long n) {
  return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

}  // namespace kelvaro
