#include "platform/sim/sim_system.h"

namespace sim {
namespace {

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

void SimSystem::AdvanceSeconds(int seconds) {
  advancedMs += seconds * 1000LL;
  long long total = now.SecondsOfDay() + static_cast<long long>(seconds);
  long long days = total / 86400;
  total %= 86400;
  now.hour = static_cast<int>(total / 3600);
  now.minute = static_cast<int>(total / 60 % 60);
  now.second = static_cast<int>(total % 60);
  for (; days > 0; --days) {
    if (++now.day > DaysInMonth(now.year, now.month)) {
      now.day = 1;
      if (++now.month > 12) {
        now.month = 1;
        ++now.year;
      }
    }
  }
}

}  // namespace sim
