#pragma once

#include <QDate>

#include <cstdint>

namespace embedded {

class Store;

// Fills a fresh store with a plausible hospital: the hospital's records and,
// once written, its patients over several years. Deterministic for a seed
// and reference date.
class DemoHospital
{
public:
    struct Options
    {
        std::uint64_t seed = 20261208;
        QDate referenceDate = QDate::currentDate(); // data up to the day before
        int scale = 1;                              // 10: a large tertiary hospital
    };

    static void fill(Store &store, const Options &options);
};

} // namespace embedded
