#pragma once
// The simulated clock: real calendar time plus the driver's running total of
// extra seconds, sampled once per frame before anything else in the frame.
#include <cstdint>
#include <ctime>

namespace gv {

struct ClockSample {
    std::tm utc{};                 // normalised UTC broken-down time
    std::tm local{};               // normalised local broken-down time
    float utcDayFraction = 0;      // (s/3600 + m/60 + h) / 24 of the UTC record
    float localHours = 0;          // s/3600 + m/60 + h of the local record
    float zoneOffsetHours = 0;     // local minus UTC
    int localDayOfYear = 0;        // 0 on 1 January
    std::time_t simulatedTime = 0; // calendar seconds of the simulated instant
};

// Builds the sample for wall-clock time `now` shifted by `extraSeconds`: the
// UTC and local records of that instant, as if the extra seconds had been
// added to their seconds fields and carried through the calendar.
ClockSample sampleClock(std::time_t now, int64_t extraSeconds);

class SimClock {
  public:
    // Once per frame with the driver's running extra-seconds total; reads the
    // system calendar time.
    const ClockSample& update(int64_t extraSecondsTotal);
    // The same with an injected wall-clock time (tests, replays).
    const ClockSample& updateAt(std::time_t wallTime, int64_t extraSecondsTotal);

    const ClockSample& sample() const { return sample_; }

  private:
    ClockSample sample_{};
};

} // namespace gv
