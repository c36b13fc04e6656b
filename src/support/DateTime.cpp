#include "support/DateTime.h"

#include <cstdio>

#include "platform/Clock.h"

namespace kanvio {

LocalDateTime LocalDateTime::Now() { return platform::CurrentClock().NowLocal(); }

LocalDateTime LocalDateTime::FromTm(const std::tm& tm) {
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string LocalDateTime::ToIso() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute, second);
  return buf;
}

std::optional<LocalDateTime> LocalDateTime::FromIso(std::string_view text) {
  LocalDateTime v;
  char sep = 0;
  std::string s(text);
  int n = std::sscanf(s.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &v.year, &v.month, &v.day, &sep, &v.hour, &v.minute,
                      &v.second);
  if (n == 3) return v.month >= 1 && v.month <= 12 && v.day >= 1 && v.day <= 31 ? std::optional(v) : std::nullopt;
  if (n != 7 || (sep != 'T' && sep != ' ')) return std::nullopt;
  if (v.month < 1 || v.month > 12 || v.day < 1 || v.day > 31 || v.hour > 23 || v.minute > 59 || v.second > 60)
    return std::nullopt;
  return v;
}

}  // namespace kanvio
