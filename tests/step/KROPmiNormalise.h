// KROPmiNormalise.h - a PMI text as NIST's comparison script sees it, for tests.
#pragma once

#include <cstdio>
#include <string>

namespace kro_pmi_test {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// As nist-pmi-compare.py's norm: white space runs as one space, ends stripped; then each '|'
// with the spaces around it as " | " (left to right, as its regex replaces them).
inline std::string Spaced(const std::string& text) {
  std::string t, out;
  for (char c : text) {
    if (c != ' ' && c != '\n' && c != '\t' && c != '\r')
      t += c;
    else if (!t.empty() && t.back() != ' ')
      t += ' ';
  }
  if (!t.empty() && t.back() == ' ') t.pop_back();
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == ' ' && i + 1 < t.size() && t[i + 1] == '|') continue;
    out += t[i] == '|' ? " | " : std::string(1, t[i]);
    if (t[i] == '|' && i + 1 < t.size() && t[i + 1] == ' ') ++i;
  }
  return out;
}

// Then every number canonical: its sign as written, "%.10f" without trailing zeros. A number
// starts after neither a digit nor '.', and must not run into one.
inline std::string Normalised(const std::string& text) {
  const std::string t = Spaced(text);
  std::string out;
  for (std::size_t i = 0, n = t.size(); i < n;) {
    std::size_t k = i + (t[i] == '+' || t[i] == '-' ? 1 : 0), digits = 0;
    const bool start = i == 0 || !(IsDigit(t[i - 1]) || t[i - 1] == '.');
    for (; start && k < n && IsDigit(t[k]); ++k)
      ++digits;
    if (start && k < n && t[k] == '.') ++k;
    for (; start && k < n && IsDigit(t[k]); ++k)
      ++digits;
    if (!start || digits == 0 || (k < n && (IsDigit(t[k]) || t[k] == '.'))) {
      out += t[i++];
      continue;
    }
    std::string number = t.substr(i, k - i), sign;
    if (number[0] == '+' || number[0] == '-') sign = number.substr(0, 1);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10f", std::stod(number.substr(sign.size())));
    std::string body = buf;
    body.erase(body.find_last_not_of('0') + 1);
    if (body.back() == '.') body.pop_back();
    out += sign + body;
    i = k;
  }
  return out;
}

} // namespace kro_pmi_test
