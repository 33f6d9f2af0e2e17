#pragma once

#include <QDate>

#include <cstdint>

namespace embedded {

class Store;

// Fills a fresh store with a plausible hospital: Santa Niña General Hospital,
// 100 beds, level 2. Its records (Section I, hospital info, DOH setup flags,
// bed allocation) and its patients over the full years before the reference
// date's year and that year up to the day before the reference date.
// Deterministic for a seed, reference date and scale on every machine. No
// report setup is written: the program's first run asks for it.
class DemoHospital
{
public:
    struct Options
    {
        std::uint64_t seed = 20261208;
        QDate referenceDate = QDate::currentDate(); // data up to the day before
        int scale = 1;                              // 10: a large tertiary hospital
        int fullYears = 3;                          // full years before the reference date's year
    };

    static void fill(Store &store, const Options &options);
};

} // namespace embedded
