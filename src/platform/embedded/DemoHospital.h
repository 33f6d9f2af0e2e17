#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <cstdint>

namespace embedded {

class Store;

// Fills a fresh store with a plausible hospital: Santa Niña General Hospital,
// a 100-bed level 2 general hospital. Its records (Section I, hospital info,
// DOH setup flags, bed allocation) and its patients over the full years
// before the reference date's year and that year up to the day before the
// reference date, each diagnosis fitting the patient's sex and age, and a
// handful of faulty records each year for Check to find.
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

    // A record written wrong on purpose, for Check to find: the rule it
    // breaks, the record ("Admission 1234", "Outpatient visit 56",
    // "Emergency visit 7") and the days a period must reach to show it.
    struct PlantedFault
    {
        QString rule;
        QString record;
        QDate first;
        QDate last;
    };

    // Answers the faulty records it planted.
    static QList<PlantedFault> fill(Store &store, const Options &options);
};

} // namespace embedded
