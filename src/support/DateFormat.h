#pragma once
// Fixed date and time patterns of the files written for the host. They do not
// depend on the regional settings; the German pattern is the one the host's
// regional settings show.

#include <string>

#include "support/DateTime.h"

namespace kanvio::date_format {

// "yyyy-MM-dd HH:mm:ss", 24-hour clock.
std::string Sortable(const LocalDateTime& t);

// "dd.MM.yyyy HH:mm:ss", 24-hour clock.
std::string German(const LocalDateTime& t);

// "yyyyMMddhhmmss" with the hour on the 12-hour clock (01 to 12) and no
// AM/PM marker, as eBay order keys carry it.
std::string CompactTwelveHour(const LocalDateTime& t);

}  // namespace kanvio::date_format
