#include "lumotools/platform/time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "lumotools/platform/exception.h"
#include "support/manual_clock.h"
#include "support/raises.h"

namespace {

constexpr ULONGLONG kWrap = 0x1'0000'0000ULL;

TEST(Time, TickCountCounterAndCalendarFollowTheManualClock) {
  lumo_test::ManualClockScope scope(kWrap - 5);
  const CTime start = CTime::GetCurrentTime();
  EXPECT_EQ(start.GetTime(), 1'700'000'000);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFFBu);
  scope.AdvanceMs(4);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFFFu);
  LARGE_INTEGER frequency{}, before{}, after{};
  EXPECT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, LumoManualClock::kFrequency);
  EXPECT_TRUE(QueryPerformanceCounter(&before));
  scope.clock().Advance(std::chrono::microseconds(10'500));
  EXPECT_TRUE(QueryPerformanceCounter(&after));
  EXPECT_EQ(after.QuadPart - before.QuadPart, frequency.QuadPart * 21 / 2000);
  EXPECT_EQ(GetTickCount(), 9u);
  EXPECT_EQ(GetTickCount64(), kWrap + 9);
  scope.AdvanceMs(2985);
  EXPECT_EQ(CTime::GetCurrentTime().GetTime(), start.GetTime() + 2);
  // Setting a clock returns the one it replaces.
  const auto other = std::make_shared<LumoManualClock>(200);
  const std::shared_ptr<LumoClock> replaced = LumoSetClock(other);
  EXPECT_EQ(replaced.get(), &scope.clock());
  EXPECT_EQ(GetTickCount(), 200u);
  EXPECT_EQ(LumoSetClock(replaced), other);
}

// Without a manual clock the tick count and the counter read the system's monotonic clock.
TEST(Time, SystemClockIsTheMonotonicClock) {
  using std::chrono::milliseconds, std::chrono::steady_clock;
  const auto steadyMs = [] {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  };
  LARGE_INTEGER frequency{}, counter{};
  QueryPerformanceFrequency(&frequency);
  const long long before = steadyMs();
  const long long tick = static_cast<long long>(GetTickCount64());
  QueryPerformanceCounter(&counter);
  const long long counterMs = counter.QuadPart / (frequency.QuadPart / 1000);
  const long long after = steadyMs();
  EXPECT_EQ(LumoSetClock(nullptr), nullptr);  // no clock was set
  EXPECT_TRUE(before <= tick && tick <= after) << tick;
  EXPECT_TRUE(before <= counterMs && counterMs <= after) << counterMs;
}

// Sets the time zone while it lives.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    if (const char* was = std::getenv("TZ")) saved_ = was;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    saved_ ? setenv("TZ", saved_->c_str(), 1) : unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> saved_;
};

constexpr LONGLONG kLeapDayUtc = 1'709'214'330;  // 2024-02-29 13:45:30 UTC, a Thursday

TEST(Time, PartsFormatAndConstructionAreLocalTime) {
  {
    ZoneScope utc("UTC0");
    const CTime t(kLeapDayUtc);
    EXPECT_EQ(t.GetYear() * 10000 + t.GetMonth() * 100 + t.GetDay(), 20240229);
    EXPECT_EQ(t.GetHour() * 10000 + t.GetMinute() * 100 + t.GetSecond(), 134530);
    EXPECT_EQ(t.GetDayOfWeek(), 5);
    EXPECT_STREQ(t.Format("%Y-%m-%d %H:%M:%S").GetString(), "2024-02-29 13:45:30");
    EXPECT_EQ(CTime(1970, 1, 1, 0, 0, 0).GetTime(), 0);
  }
  ZoneScope japan("JST-9");
  const CTime t(kLeapDayUtc);
  EXPECT_EQ(t.GetDay(), 29);
  EXPECT_EQ(t.GetHour(), 22);
  EXPECT_STREQ(t.Format("%H:%M").GetString(), "22:45");
  EXPECT_EQ(CTime(2024, 2, 29, 22, 45, 30).GetTime(), kLeapDayUtc);
  EXPECT_EQ(CTime(2024, 3, 1, 8, 45, 30).GetTime(), kLeapDayUtc + 10 * 3600);
  // A summer time said to be standard time is an hour later than the same daylight-saving time.
  ZoneScope paris("CET-1CEST,M3.5.0,M10.5.0/3");
  const LONGLONG summerNoon = CTime(2024, 7, 1, 12, 0, 0).GetTime();
  EXPECT_EQ(CTime(2024, 7, 1, 12, 0, 0, 0).GetTime(), summerNoon + 3600);
  EXPECT_EQ(CTime(2024, 7, 1, 12, 0, 0, 1).GetTime(), summerNoon);
}

// A file time counts 100 ns from 1601; a time just short of the next second reads as its second.
TEST(Time, FileTimesConvertWithinTheFrameworkLimits) {
  const auto fileTime = [](LONGLONG unixTime) {
    const auto t = static_cast<ULONGLONG>(unixTime + 11'644'473'600) * 10'000'000 + 9'999'999;
    return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
  };
  constexpr LONGLONG kLastSecond = 32'535'215'999;  // 3000-12-31 23:59:59 UTC
  EXPECT_EQ(CTime(fileTime(kLastSecond)).GetTime(), kLastSecond);
  EXPECT_EQ(CTime(fileTime(1'700'000'000)).GetTime(), 1'700'000'000);
  EXPECT_EQ(CTime(fileTime(0)).GetTime(), 0);
  EXPECT_EQ(CTime(FILETIME{0, 0}).GetTime(), 0);            // 1601: before 1900
  EXPECT_EQ(CTime(fileTime(-2'300'000'000)).GetTime(), 0);  // 1897
  for (const LONGLONG bad : {-1LL, -86'400LL * 365 * 30, kLastSecond + 1}) {
    EXPECT_TRUE(lumo_test::Raises<CInvalidArgException>([&] { CTime{fileTime(bad)}; })) << bad;
  }
}

TEST(OleDateTime, ValidDatesFollowTheCalendarAndCountDaysFromTheEpoch) {
  const struct {
    int date[6];
    bool valid;
  } kCases[] = {
      {{100, 1, 1, 0, 0, 0}, true},       {{99, 12, 31, 0, 0, 0}, false},
      {{9999, 12, 31, 23, 59, 59}, true}, {{10000, 1, 1, 0, 0, 0}, false},
      {{2000, 2, 29, 0, 0, 0}, true},     {{1900, 2, 29, 0, 0, 0}, false},
      {{2024, 2, 29, 0, 0, 0}, true},     {{2023, 2, 29, 0, 0, 0}, false},
      {{2023, 4, 31, 0, 0, 0}, false},    {{2023, 0, 1, 0, 0, 0}, false},
      {{2023, 13, 1, 0, 0, 0}, false},    {{2023, 1, 0, 0, 0, 0}, false},
      {{2023, 1, 1, 24, 0, 0}, false},    {{2023, 1, 1, 0, 60, 0}, false},
      {{2023, 1, 1, 0, 0, 60}, false},    {{2023, 1, 1, -1, 0, 0}, false},
  };
  for (const auto& c : kCases) {
    const int* d = c.date;
    COleDateTime t;
    EXPECT_EQ(t.SetDateTime(d[0], d[1], d[2], d[3], d[4], d[5]), c.valid ? 0 : 1);
    EXPECT_EQ(t.GetStatus() == COleDateTime::valid, c.valid) << d[0] << '-' << d[1] << '-' << d[2];
    if (c.valid) {
      EXPECT_EQ(t.GetYear() * 10000 + t.GetMonth() * 100 + t.GetDay(),
                d[0] * 10000 + d[1] * 100 + d[2]);
      EXPECT_EQ(t.GetHour() * 3600 + t.GetMinute() * 60 + t.GetSecond(),
                d[3] * 3600 + d[4] * 60 + d[5]);
    } else {
      EXPECT_EQ(t.GetYear(), -1);
    }
  }
  // Days count from 1899-12-30; before it the fraction of the day counts away from zero.
  EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).m_dt, 0.0);
  EXPECT_EQ(COleDateTime(2000, 1, 1, 18, 0, 0).m_dt, 36526.75);
  EXPECT_EQ(COleDateTime(1899, 12, 29, 6, 0, 0).m_dt, -1.25);
  EXPECT_EQ(COleDateTime(-1.25).GetHour(), 6);
  // A time a tenth of a second before midnight rounds to the next day, either side of the epoch.
  EXPECT_EQ(COleDateTime(36526 + 86399.9 / 86400).GetDay(), 2);
  EXPECT_EQ(COleDateTime(-1 - 86399.9 / 86400).GetDay(), 28);
}

}  // namespace
