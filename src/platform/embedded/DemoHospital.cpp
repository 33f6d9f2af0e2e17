#include "DemoHospital.h"

#include "RecordChanges.h"
#include "Store.h"

#include <QSqlQuery>
#include <QString>

#include <algorithm>
#include <array>
#include <vector>

// The demo hospital: Santa Niña General Hospital, a 100-bed level-2
// provincial hospital, over the three full years before the reference date's
// year and that year up to the day before the reference date. Only integer
// arithmetic and the generator below decide the data, so a seed, reference
// date and scale give the same store on every machine.
namespace embedded {

namespace {

// splitmix64: small, fast and fully specified.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return n <= 0 ? 0 : int(((next() >> 32) * std::uint64_t(n)) >> 32); }
    int between(int low, int high) { return low + below(high - low + 1); }
    // True with probability perMillion / 1,000,000.
    bool chance(int perMillion) { return below(1000000) < perMillion; }
    // A count with the given mean in hundredths, spread ±50 %.
    int count(std::int64_t meanHundredths)
    {
        if (meanHundredths <= 0)
            return 0;
        const std::int64_t spread = meanHundredths / 2 + 1;
        const std::int64_t value = meanHundredths - spread + std::int64_t(below(int(2 * spread + 1)));
        return int(value / 100) + (below(100) < int(value % 100) ? 1 : 0);
    }
    // Geometric extra days with the given mean in tenths, capped.
    int extraDays(int meanTenths, int cap = 90)
    {
        // Continue with probability mean/(mean+1).
        const int continuePerMillion = int(std::int64_t(meanTenths) * 1000000 / (meanTenths + 10));
        int days = 0;
        while (days < cap && chance(continuePerMillion))
            ++days;
        return days;
    }
    template <typename T, std::size_t N> const T &weighted(const std::array<T, N> &items)
    {
        int total = 0;
        for (const T &item : items)
            total += item.weight;
        int r = below(total);
        for (const T &item : items) {
            if (r < item.weight)
                return item;
            r -= item.weight;
        }
        return items.back();
    }

private:
    std::uint64_t m_state;
};

// A diagnosis and its weight, with the patients it fits: a sex ('M', 'F'
// or 0 for either) and ages in whole years.
struct Code
{
    const char *code;
    int weight;
    char sex = 0;
    int minAge = 0;
    int maxAge = 200;

    bool fits(bool male, int age) const { return (sex == 0 || (sex == 'M') == male) && age >= minAge && age <= maxAge; }
};

template <std::size_t N> using Codes = std::array<Code, N>;

// Seasonal weight of each month in percent: the rainy months bring dengue,
// leptospirosis and pneumonia.
constexpr int kMonthPercent[12] = {96, 92, 94, 95, 100, 106, 116, 122, 114, 104, 98, 97};

// Services admitted to directly (obstetrics and newborns come from deliveries).
struct Profile
{
    const char *service;
    int weight; // share of the direct admissions
    int minAge;
    int maxAge;
    int malePercent;
    int baseDays;    // a stay lasts baseDays + geometric extra days
    int extraTenths; // mean extra days, in tenths
    int deathPerMille;
    int operationPercent;
    std::vector<Code> diagnoses;
    std::vector<Code> causes;
    std::vector<const char *> procedures;
};

const std::vector<Profile> &profiles()
{
    static const std::vector<Profile> list = {
        {"10",
         32,
         18,
         90,
         48,
         2,
         30,
         50,
         0,
         {{"J18.9", 8},
          {"I10", 6},
          {"E11.9", 5},
          {"A09", 4},
          {"N39.0", 4},
          {"I63.9", 3},
          {"J44.9", 3},
          {"A91", 3},
          {"A01.0", 2},
          {"K29.7", 3},
          {"I50.0", 3},
          {"A15.0", 1},
          {"N18.5", 2},
          {"A27.9", 1},
          {"C34.9", 1}},
         {{"I63.9", 4},
          {"I21.9", 4},
          {"J18.9", 4},
          {"A41.9", 3},
          {"N18.5", 2},
          {"I50.0", 2},
          {"C34.9", 1},
          {"I61.9", 2},
          {"E11.9", 1}},
         {}},
        {"14",
         20,
         0,
         13,
         52,
         1,
         25,
         10,
         0,
         {{"J18.9", 10},
          {"A09", 8},
          {"A91", 4},
          {"J06.9", 4},
          {"J45.9", 3},
          {"B34.9", 3},
          {"E86", 2},
          {"R50.9", 2},
          {"B05.9", 1},
          {"J20.9", 2}},
         {{"J18.9", 4}, {"A41.9", 3}, {"A91", 2}, {"A09", 1}},
         {}},
        {"15",
         3,
         0,
         0,
         55,
         3,
         40,
         60,
         0,
         {{"P59.9", 5}, {"P07.3", 3}, {"P22.0", 3}, {"P36.9", 3}, {"P21.9", 2}},
         {{"P07.3", 3}, {"P22.0", 3}, {"P36.9", 2}, {"P21.9", 2}},
         {}},
        {"12",
         5,
         18,
         65,
         0,
         1,
         20,
         3,
         60,
         {{"D25.9", 4, 'F', 25, 65}, {"O03.9", 4, 'F', 15, 45}, {"N39.0", 1}, {"C50.9", 1}},
         {{"C50.9", 1}},
         {"68.49", "69.09", "65.29", "69.52"}},
        {"23",
         16,
         15,
         85,
         55,
         1,
         30,
         15,
         80,
         {{"K35.8", 6},
          {"K80.2", 4},
          {"K40.9", 4},
          {"S06.0", 2},
          {"T14.1", 2},
          {"L03.9", 2},
          {"C50.9", 1},
          {"K92.2", 1}},
         {{"S06.0", 2}, {"K92.2", 1}, {"A41.9", 2}},
         {"47.09", "51.23", "51.22", "53.00", "85.41", "45.73", "86.22"}},
        {"24",
         5,
         10,
         85,
         60,
         2,
         40,
         5,
         80,
         {{"S72.0", 4}, {"S52.5", 4}, {"T14.2", 1}},
         {{"S72.0", 1}},
         {"79.35", "79.32", "81.54"}},
        {"25", 3, 40, 90, 90, 1, 25, 5, 70, {{"N40", 5, 'M'}, {"N39.0", 2}}, {{"N18.5", 1}}, {"60.29"}},
        {"22", 2, 3, 40, 50, 1, 10, 1, 80, {{"J35.0", 5}, {"J06.9", 1}}, {{"J18.9", 1}}, {"28.3"}},
        {"21", 1, 50, 85, 45, 0, 10, 1, 90, {{"H25.9", 5}}, {{"I21.9", 1}}, {"13.41"}},
        {"30", 2, 18, 60, 55, 5, 80, 2, 0, {{"F20.9", 5}}, {{"I21.9", 1}}, {}},
        {"40",
         3,
         20,
         85,
         55,
         2,
         50,
         200,
         0,
         {{"I21.9", 3}, {"A41.9", 4}, {"I61.9", 3}, {"J18.9", 2}},
         {{"I21.9", 3}, {"A41.9", 4}, {"I61.9", 3}, {"J18.9", 2}},
         {}},
        {"20", 2, 18, 80, 45, 1, 15, 5, 0, {{"I10", 3}, {"E11.9", 2}, {"A09", 2}}, {{"I21.9", 1}}, {}},
    };
    return list;
}

struct Weighted
{
    const char *value;
    int weight;
};

constexpr std::array<Weighted, 6> kPayers = {
    {{"NPP", 18}, {"NPS", 12}, {"PP", 30}, {"PS", 30}, {"HMO", 8}, {"OWWA", 2}}};
constexpr std::array<Weighted, 5> kAliveConditions = {{{"R", 910}, {"T", 30}, {"H", 30}, {"A", 10}, {"U", 20}}};
constexpr std::array<Weighted, 6> kDispositions = {
    {{"HOME", 720}, {"ADMITTED", 180}, {"TRANSFERRED", 30}, {"HAMA", 40}, {"DIED", 15}, {"DOA", 15}}};
const std::vector<Code> kEmergencyDiagnoses = {{"S01.8", 8},        {"S61.9", 7}, {"T14.1", 6}, {"W54", 5},
                                               {"J45.9", 4},        {"A09", 6},   {"R50.9", 5}, {"R10.4", 5},
                                               {"I10", 4, 0, 18},   {"J06.9", 4}, {"A91", 3},   {"S52.5", 2},
                                               {"I21.9", 1, 0, 30}, {"J18.9", 3}, {"N39.0", 2}};
const std::vector<Code> kOutpatientDiagnoses = {{"J06.9", 8},
                                                {"I10", 7, 0, 18},
                                                {"E11.9", 4, 0, 18},
                                                {"J20.9", 3},
                                                {"A09", 3},
                                                {"Z00.0", 3},
                                                {"Z34.0", 4, 'F', 16, 45},
                                                {"K29.7", 2, 0, 10},
                                                {"N39.0", 2},
                                                {"J45.9", 2},
                                                {"L03.9", 1},
                                                {"B34.9", 2},
                                                {"A15.0", 1}};
constexpr std::array<Weighted, 7> kTests = {{{"Complete blood count", 30},
                                             {"Urinalysis", 15},
                                             {"X-ray", 20},
                                             {"Electrocardiogram", 10},
                                             {"Blood glucose", 12},
                                             {"Ultrasound", 5},
                                             {"CT scan", 3}}};
constexpr std::array<Weighted, 6> kOtherServices = {{{"Wound dressing", 25},
                                                     {"Suturing", 20},
                                                     {"Nebulization", 15},
                                                     {"Intravenous fluids", 20},
                                                     {"Splinting", 5},
                                                     {"Anti-rabies vaccine", 10}}};
constexpr std::array<Weighted, 8> kMinorProcedures = {{{"86.59", 30},
                                                       {"86.04", 20},
                                                       {"86.22", 10},
                                                       {"86.3", 10},
                                                       {"64.0", 12},
                                                       {"21.01", 5},
                                                       {"98.11", 5},
                                                       {"79.01", 8}}};

// A code that fits the patient, by weight; the first code that fits anyone
// when none does.
const char *pick(Random &random, const std::vector<Code> &codes, bool male, int age)
{
    int total = 0;
    for (const Code &c : codes)
        total += c.fits(male, age) ? c.weight : 0;
    if (total == 0) {
        for (const Code &c : codes)
            if (c.sex == 0 && c.minAge == 0)
                return c.code;
        return codes.front().code;
    }
    int r = random.below(total);
    for (const Code &c : codes) {
        if (!c.fits(male, age))
            continue;
        if (r < c.weight)
            return c.code;
        r -= c.weight;
    }
    return codes.back().code;
}

// Whole years from birth to the day.
int ageOn(const QDate &birth, const QDate &day)
{
    int years = day.year() - birth.year();
    if (day.month() < birth.month() || (day.month() == birth.month() && day.day() < birth.day()))
        --years;
    return years;
}

bool majorProcedure(const char *code)
{
    static const char *const minor[] = {"86.59", "86.04", "86.22", "69.09", "69.52", "73.6",
                                        "64.0",  "86.3",  "79.01", "21.01", "98.11", "57.94"};
    for (const char *m : minor)
        if (qstrcmp(m, code) == 0)
            return false;
    return true;
}

// A moment as seconds since the Julian day epoch.
using Moment = std::int64_t;
constexpr Moment kDay = 86400;

Moment momentOf(const QDate &date, int seconds = 0)
{
    return date.toJulianDay() * kDay + seconds;
}

QString dateText(const QDate &date)
{
    return QString::asprintf("%04d-%02d-%02d", date.year(), date.month(), date.day());
}

QString momentText(Moment m)
{
    const QDate d = QDate::fromJulianDay(m / kDay);
    const int s = int(m % kDay);
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), s / 3600, s / 60 % 60,
                             s % 60);
}

// One prepared insert, bound by position.
class Insert
{
public:
    Insert(const QSqlDatabase &db, const QString &statement)
        : m_query(sql::prepare(db, statement))
    {}
    void operator()(const QVariantList &values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values.at(i));
        sql::exec(m_query);
    }

private:
    QSqlQuery m_query;
};

class Generator
{
public:
    Generator(const QSqlDatabase &db, const DemoHospital::Options &options)
        : m_random(options.seed)
        , m_scale(std::max(1, options.scale))
        , m_first(QDate(options.referenceDate.year() - std::max(0, options.fullYears), 1, 1))
        , m_last(options.referenceDate.addDays(-1))
        , m_endOfData(momentOf(options.referenceDate))
        , m_patient(db,
                    QStringLiteral("INSERT INTO Patient_Data.tbPatient (PatientID, Sex, BirthDate) VALUES (?, ?, ?)"))
        , m_admission(db, QStringLiteral("INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, "
                                         "AdmissionDateTime, DischargeDateTime, ServiceCode, PayerClass, "
                                         "DischargeCondition, IsTransferIn, FinalDiagnosis, UnderlyingCause, "
                                         "IsMaternalDeath) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
        , m_delivery(db, QStringLiteral("INSERT INTO Patient_Data.tbDelivery (DeliveryID, AdmissionID, "
                                        "DeliveryDateTime, DeliveryType, LiveBirths, FetalDeaths) "
                                        "VALUES (?, ?, ?, ?, ?, ?)"))
        , m_outpatient(db, QStringLiteral("INSERT INTO Patient_Data.tbOutpatientVisit (OutpatientVisitID, PatientID, "
                                          "VisitDate, IsNewPatient, Diagnosis) VALUES (?, ?, ?, ?, ?)"))
        , m_emergency(db, QStringLiteral("INSERT INTO Patient_Data.tbEmergencyVisit (EmergencyVisitID, PatientID, "
                                         "VisitDateTime, Disposition, Diagnosis) VALUES (?, ?, ?, ?, ?)"))
        , m_emergencyService(db, QStringLiteral("INSERT INTO Patient_Data.tbEmergencyService (EmergencyVisitID, "
                                                "ServiceType, ServiceName, Quantity) VALUES (?, ?, ?, ?)"))
        , m_operation(db, QStringLiteral("INSERT INTO Patient_Data.tbOperation (OperationID, PatientID, AdmissionID, "
                                         "OperationDateTime, ProcedureCode, IsMajor, PayerClass, ServiceCode) "
                                         "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))
        , m_infection(db, QStringLiteral("INSERT INTO Patient_Data.tbInfection (PatientID, InfectionType, "
                                         "InfectionDate, AdmissionID, OperationID) VALUES (?, ?, ?, ?, ?)"))
        , m_deviceDay(db, QStringLiteral("INSERT INTO Patient_Data.tbDeviceDay (CensusDate, Device, PatientCount) "
                                         "VALUES (?, ?, ?)"))
        , m_lab(db, QStringLiteral("INSERT INTO Patient_Data.tbLabExamination (ExamDate, Section, IsInpatient, "
                                   "ExamCount) VALUES (?, ?, ?, ?)"))
    {}

    void run()
    {
        for (QDate day = m_first; day <= m_last; day = day.addDays(1))
            generateDay(day);
    }

    // The handful of faulty records Check finds on a fresh demo store, each
    // year (docs/checks.md lists them); every other record passes its edits.
    QList<DemoHospital::PlantedFault> plantFaults()
    {
        QList<DemoHospital::PlantedFault> planted;
        const auto born = [](const QDate &day, int age) { return day.addYears(-age).addDays(-40); };
        const auto visit = [&](const char *rule, const QDate &day, bool male, const QDate &birth, const char *code) {
            if (day > m_last)
                return;
            const qint64 id = ++m_outpatientVisits;
            m_outpatient({id, newPatient(male, birth), dateText(day), 1, QString::fromLatin1(code)});
            planted.append({QString::fromLatin1(rule), QStringLiteral("Outpatient visit %1").arg(id), day, day});
        };
        const auto stay = [&](const char *rule, const QDate &in, const QDate &out, bool male, int age,
                              const char *service, const char *condition, const char *diagnosis) {
            const Moment admitted = momentOf(in, 9 * 3600);
            const Moment discharged = momentOf(out, 14 * 3600);
            if (std::max(admitted, discharged) >= m_endOfData)
                return;
            const qint64 id = admit(newPatient(male, born(in, age)), admitted, discharged, service, "PP", condition,
                                    false, diagnosis, nullptr, false);
            planted.append({QString::fromLatin1(rule), QStringLiteral("Admission %1").arg(id), std::min(in, out),
                            std::max(in, out)});
        };
        for (int year = m_first.year(); year <= m_last.year(); ++year) {
            const auto on = [year](int month, int day) { return QDate(year, month, day); };
            stay("unknown-service", on(2, 17), on(2, 20), false, 40, "X9", "R", "J18.9");
            visit("sex-female-code", on(3, 14), true, born(on(3, 14), 30), "Z34.0");
            stay("sex-male-code", on(4, 8), on(4, 10), false, 60, "25", "R", "N40");
            visit("newborn-code", on(5, 12), false, born(on(5, 12), 34), "P59.9");
            stay("pregnancy-age", on(6, 9), on(6, 10), false, 58, "12", "R", "O03.9");
            stay("no-final-diagnosis", on(8, 4), on(8, 7), false, 50, "10", "R", nullptr);
            if (on(9, 2) <= m_last) {
                const qint64 id = ++m_emergencyVisits;
                m_emergency({id, newPatient(false, on(9, 20)), momentText(momentOf(on(9, 2), 10 * 3600)),
                             QStringLiteral("HOME"), QStringLiteral("A09")});
                planted.append({QStringLiteral("birth-after-event"), QStringLiteral("Emergency visit %1").arg(id),
                                on(9, 2), on(9, 2)});
            }
            stay("death-without-cause", on(10, 6), on(10, 9), true, 70, "10", "D", "I50.0");
            visit("unknown-code", on(11, 10), true, born(on(11, 10), 40), "U07.1");
        }
        // A stay never closed, from before the first year: open for more
        // than a year at the end of every year of the records.
        const QDate in(m_first.year() - 1, 12, 1);
        const qint64 id = admit(newPatient(true, born(in, 50)), momentOf(in, 10 * 3600), m_endOfData, "30", "PP", "R",
                                false, "F20.9", nullptr, false);
        planted.append({QStringLiteral("open-over-a-year"), QStringLiteral("Admission %1").arg(id),
                        in.addYears(1).addDays(1), m_last});
        return planted;
    }

    QDate firstDay() const { return m_first; }
    QDate lastDay() const { return m_last; }

private:
    // A patient seen before, who may come again.
    struct Seen
    {
        qint64 id = 0;
        bool male = false;
        QDate birth;
    };

    struct Stay
    {
        qint64 admission;
        qint64 patient;
    };

    std::int64_t scaled(int hundredths, int percent = 100) const
    {
        return std::int64_t(hundredths) * m_scale * percent / 100;
    }

    qint64 newPatient(bool male, const QDate &birth)
    {
        const qint64 id = ++m_patients;
        m_patient({id, male ? QStringLiteral("M") : QStringLiteral("F"), dateText(birth)});
        return id;
    }

    QDate birthFor(const QDate &day, int minAge, int maxAge)
    {
        // Children mostly young: the lower of two draws.
        int years = m_random.between(minAge, maxAge);
        if (maxAge <= 13)
            years = std::min(years, m_random.between(minAge, maxAge));
        return day.addYears(-years).addDays(-m_random.below(365));
    }

    QVariant nullable(const char *text) const { return text ? QVariant(QString::fromLatin1(text)) : QVariant(); }

    // Writes an admission; returns its id. discharge <= 0: still in.
    qint64 admit(qint64 patient, Moment admitted, Moment discharged, const char *service, const char *payer,
                 const char *condition, bool transferIn, const char *diagnosis, const char *cause, bool maternal)
    {
        const qint64 id = ++m_admissions;
        const bool stillIn = discharged >= m_endOfData;
        m_admission({id, patient, momentText(admitted), stillIn ? QVariant() : QVariant(momentText(discharged)),
                     QString::fromLatin1(service), QString::fromLatin1(payer),
                     stillIn ? QVariant() : QVariant(QString::fromLatin1(condition)), transferIn ? 1 : 0,
                     nullable(diagnosis), stillIn ? QVariant() : nullable(cause), (!stillIn && maternal) ? 1 : 0});
        m_recent[std::size_t(id % m_recent.size())] = {id, patient};
        return id;
    }

    qint64 operate(qint64 patient, QVariant admission, Moment when, const char *procedure, const char *payer,
                   QVariant service)
    {
        const qint64 id = ++m_operations;
        const bool major = majorProcedure(procedure);
        m_operation({id, patient, admission, momentText(when), QString::fromLatin1(procedure), major ? 1 : 0,
                     QString::fromLatin1(payer), service});
        // A few major operations are followed by a surgical site infection.
        if (major && m_random.chance(15000)) {
            const Moment infected = when + kDay * m_random.between(4, 12);
            if (infected < m_endOfData)
                m_infection(
                    {patient, QStringLiteral("SSI"), dateText(QDate::fromJulianDay(infected / kDay)), admission, id});
        }
        return id;
    }

    void directAdmission(const QDate &day, bool rainy)
    {
        int total = 0;
        for (const Profile &p : profiles())
            total += p.weight;
        int r = m_random.below(total);
        const Profile *profile = &profiles().back();
        for (const Profile &p : profiles()) {
            if (r < p.weight) {
                profile = &p;
                break;
            }
            r -= p.weight;
        }

        bool male = m_random.below(100) < profile->malePercent;
        QDate birth = profile->maxAge == 0 ? day.addDays(-m_random.between(0, 20))
                                           : birthFor(day, profile->minAge, profile->maxAge);
        // About one admission in seven is a patient seen before; a service
        // of one sex takes only new patients.
        qint64 patient = 0;
        const bool eitherSex = profile->malePercent > 0 && profile->malePercent < 100;
        if (!m_adultPool.empty() && profile->minAge >= 18 && eitherSex && m_random.below(7) == 0) {
            const Seen &seen = m_adultPool[std::size_t(m_random.below(int(m_adultPool.size())))];
            patient = seen.id;
            male = seen.male;
            birth = seen.birth;
        } else {
            patient = newPatient(male, birth);
        }
        if (profile->minAge >= 18)
            m_adultPool.push_back({patient, male, birth});

        const Moment admitted = momentOf(day, m_random.below(int(kDay)));
        const int age = ageOn(birth, day);
        const char *diagnosis = pick(m_random, profile->diagnoses, male, age);
        // Dengue and leptospirosis double in the rainy months.
        if (rainy && m_random.below(8) == 0 && profile->minAge < 20)
            diagnosis = "A91";
        Moment discharged = 0;
        const char *condition = "R";
        const char *cause = nullptr;
        if (m_random.below(1000) < profile->deathPerMille) {
            condition = "D";
            cause = pick(m_random, profile->causes, male, age);
            // About a third of the deaths come within 48 hours.
            if (m_random.below(3) == 0)
                discharged = admitted + 3600 * m_random.between(1, 47);
            else
                discharged = momentOf(QDate::fromJulianDay(admitted / kDay)
                                          .addDays(2 + profile->baseDays + m_random.extraDays(profile->extraTenths)),
                                      m_random.below(int(kDay)));
        } else {
            condition = m_random.weighted(kAliveConditions).value;
            if (m_random.below(25) == 0) {
                // Admitted and discharged the same day.
                const Moment start = momentOf(day, 3600 * m_random.between(1, 12));
                discharged = start + 3600 * m_random.between(2, 9);
                const qint64 id = admit(patient, start, discharged, profile->service, m_random.weighted(kPayers).value,
                                        condition, m_random.below(33) == 0, diagnosis, nullptr, false);
                maybeOperate(*profile, patient, id, start, discharged);
                return;
            }
            const int days = std::max(1, profile->baseDays + m_random.extraDays(profile->extraTenths));
            discharged = momentOf(day.addDays(days), 3600 * m_random.between(8, 17) + 60 * m_random.below(60));
        }
        const char *payer = m_random.weighted(kPayers).value;
        const qint64 id = admit(patient, admitted, discharged, profile->service, payer, condition,
                                m_random.below(33) == 0, diagnosis, cause, false);
        maybeOperate(*profile, patient, id, admitted, discharged);
    }

    void maybeOperate(const Profile &profile, qint64 patient, qint64 admission, Moment admitted, Moment discharged)
    {
        if (profile.procedures.empty() || m_random.below(100) >= profile.operationPercent)
            return;
        const Moment when = std::min(admitted + 3600 * m_random.between(2, 30), discharged - 1800);
        if (when <= admitted || when >= m_endOfData)
            return;
        const char *procedure = profile.procedures[std::size_t(m_random.below(int(profile.procedures.size())))];
        operate(patient, admission, when, procedure, m_random.weighted(kPayers).value,
                QString::fromLatin1(profile.service));
    }

    void delivery(const QDate &day)
    {
        const QDate birth = day.addYears(-m_random.between(17, 42)).addDays(-m_random.below(365));
        const qint64 mother = newPatient(false, birth);
        const Moment admitted = momentOf(day, m_random.below(int(kDay)));
        const Moment delivered = admitted + 3600 * m_random.between(2, 14);
        const int type = m_random.below(100); // < 72 NSD, < 76 OVD, else CS
        const char *deliveryType = type < 72 ? "NSD" : type < 76 ? "OVD" : "CS";
        const bool twins = m_random.below(1000) < 15;
        const int births = twins ? 2 : 1;
        const int fetalDeaths = m_random.below(100) == 0 ? 1 : 0;
        const int liveBirths = births - fetalDeaths;
        const int stayDays = type < 72 ? m_random.between(1, 2) : type < 76 ? 2 : m_random.between(3, 4);
        const QDate deliveryDay = QDate::fromJulianDay(delivered / kDay);
        Moment discharged = momentOf(deliveryDay.addDays(stayDays), 3600 * m_random.between(8, 16));
        const bool maternalDeath = m_random.below(2000) == 0;
        const char *payer = m_random.weighted(kPayers).value;
        const char *diagnosis = twins ? "O84.0" : type < 72 ? "O80.0" : type < 76 ? "O81.4" : "O82.0";
        const qint64 admission =
            admit(mother, admitted, discharged, "11", payer, maternalDeath ? "D" : "R", false, diagnosis,
                  maternalDeath ? (m_random.below(2) ? "O72.1" : "O14.1") : nullptr, maternalDeath);
        if (delivered >= m_endOfData)
            return;
        m_delivery({++m_deliveries, admission, momentText(delivered), QString::fromLatin1(deliveryType), liveBirths,
                    fetalDeaths});
        if (type >= 76)
            operate(mother, admission, delivered - 1800, "74.1", payer, QStringLiteral("11"));
        else if (type < 72 && m_random.below(10) < 3)
            operate(mother, admission, delivered + 600, "73.6", payer, QStringLiteral("11"));

        for (int i = 0; i < liveBirths; ++i) {
            const qint64 baby = newPatient(m_random.below(2) == 0, deliveryDay);
            const bool dies = m_random.below(250) == 0;
            const Moment babyOut = dies ? delivered + 3600 * m_random.between(1, 60) : discharged;
            admit(baby, delivered, babyOut, "13", payer, dies ? "D" : "R", false, twins ? "Z38.3" : "Z38.0",
                  dies ? (m_random.below(2) ? "P21.9" : "P07.3") : nullptr, false);
        }
    }

    void outpatientVisit(const QDate &day)
    {
        const bool isNew = m_outpatientPool.empty() || m_random.below(100) < 35;
        Seen patient;
        if (isNew) {
            const bool child = m_random.below(100) < 30;
            const bool male = m_random.below(100) < 45;
            const QDate birth = child ? birthFor(day, 0, 13) : birthFor(day, 14, 85);
            patient = {newPatient(male, birth), male, birth};
            m_outpatientPool.push_back(patient);
        } else {
            patient = m_outpatientPool[std::size_t(m_random.below(int(m_outpatientPool.size())))];
        }
        m_outpatient(
            {++m_outpatientVisits, patient.id, dateText(day), isNew ? 1 : 0,
             QString::fromLatin1(pick(m_random, kOutpatientDiagnoses, patient.male, ageOn(patient.birth, day)))});
    }

    void emergencyVisit(const QDate &day)
    {
        Seen seen;
        if (!m_outpatientPool.empty() && m_random.below(10) < 3) {
            seen = m_outpatientPool[std::size_t(m_random.below(int(m_outpatientPool.size())))];
        } else {
            const bool child = m_random.below(100) < 28;
            const bool male = m_random.below(100) < 55;
            const QDate birth = child ? birthFor(day, 0, 13) : birthFor(day, 14, 85);
            seen = {newPatient(male, birth), male, birth};
            m_outpatientPool.push_back(seen);
        }
        const qint64 patient = seen.id;
        const qint64 id = ++m_emergencyVisits;
        const Moment when = momentOf(day, m_random.below(int(kDay)));
        m_emergency({id, patient, momentText(when), QString::fromLatin1(m_random.weighted(kDispositions).value),
                     QString::fromLatin1(pick(m_random, kEmergencyDiagnoses, seen.male, ageOn(seen.birth, day)))});
        for (int tests = m_random.below(3); tests > 0; --tests)
            m_emergencyService({id, QStringLiteral("TEST"), QString::fromLatin1(m_random.weighted(kTests).value), 1});
        if (m_random.below(2) == 0)
            m_emergencyService(
                {id, QStringLiteral("OTHER"), QString::fromLatin1(m_random.weighted(kOtherServices).value), 1});
        // Minor operations done in the emergency room have no service: they
        // count under the surgery service.
        if (m_random.below(100) < 12)
            operate(patient, QVariant(), when + 1800, m_random.weighted(kMinorProcedures).value,
                    m_random.weighted(kPayers).value, QVariant());
    }

    void deviceDaysAndInfections(const QDate &day)
    {
        struct Device
        {
            const char *name;
            const char *infection;
            int meanHundredths;
            int perMillionPerDay;
        };
        static const Device devices[] = {{"VENTILATOR", "VAP", 300, 9000},
                                         {"CENTRAL_LINE", "CLABSI", 500, 2500},
                                         {"URINARY_CATHETER", "CAUTI", 1200, 3000}};
        for (const Device &d : devices) {
            const int patients = m_random.count(scaled(d.meanHundredths));
            m_deviceDay({dateText(day), QString::fromLatin1(d.name), patients});
            for (int i = 0; i < patients; ++i)
                if (m_random.chance(d.perMillionPerDay))
                    infect(day, d.infection);
        }
        if (m_random.chance(int(std::min<std::int64_t>(900000, scaled(6000)))))
            infect(day, "OTHER");
    }

    void infect(const QDate &day, const char *type)
    {
        const Stay &stay = m_recent[std::size_t(m_random.below(int(m_recent.size())))];
        if (stay.admission == 0)
            return;
        m_infection({stay.patient, QString::fromLatin1(type), dateText(day), stay.admission, QVariant()});
    }

    void laboratory(const QDate &day, int weekdayPercent)
    {
        struct Section
        {
            const char *name;
            int inpatient;
            int outpatient;
        };
        static const Section sections[] = {{"HEMATOLOGY", 4000, 3000},         {"CLINICAL_MICROSCOPY", 2500, 2500},
                                           {"CLINICAL_CHEMISTRY", 4500, 3500}, {"MICROBIOLOGY", 400, 200},
                                           {"BLOOD_BANK", 300, 100},           {"OTHERS", 600, 500}};
        for (const Section &s : sections) {
            m_lab({dateText(day), QString::fromLatin1(s.name), 1, m_random.count(scaled(s.inpatient))});
            m_lab(
                {dateText(day), QString::fromLatin1(s.name), 0, m_random.count(scaled(s.outpatient, weekdayPercent))});
        }
    }

    void generateDay(const QDate &day)
    {
        const int season = kMonthPercent[day.month() - 1];
        const bool rainy = day.month() >= 6 && day.month() <= 10;
        const int dow = day.dayOfWeek(); // 7 = Sunday
        const int clinicPercent = dow == 7 ? 15 : dow == 6 ? 50 : 100;

        for (int i = m_random.count(scaled(1800, season)); i > 0; --i)
            directAdmission(day, rainy);
        for (int i = m_random.count(scaled(320, season)); i > 0; --i)
            delivery(day);
        for (int i = m_random.count(scaled(7500, clinicPercent)); i > 0; --i)
            outpatientVisit(day);
        for (int i = m_random.count(scaled(3600, season)); i > 0; --i)
            emergencyVisit(day);
        deviceDaysAndInfections(day);
        laboratory(day, clinicPercent);
    }

    Random m_random;
    int m_scale;
    QDate m_first;
    QDate m_last;
    Moment m_endOfData;
    qint64 m_patients = 0;
    qint64 m_admissions = 0;
    qint64 m_deliveries = 0;
    qint64 m_outpatientVisits = 0;
    qint64 m_emergencyVisits = 0;
    qint64 m_operations = 0;
    std::vector<Seen> m_adultPool;
    std::vector<Seen> m_outpatientPool;
    std::array<Stay, 256> m_recent{};
    Insert m_patient, m_admission, m_delivery, m_outpatient, m_emergency, m_emergencyService, m_operation, m_infection,
        m_deviceDay, m_lab;
};

void fillHospitalRecords(const QSqlDatabase &db)
{
    const QString name = QStringLiteral("Santa Niña General Hospital");
    const QString address = QStringLiteral("123 Rizal Avenue, San José, Nueva Ecija");
    sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbHospitalInfo"));
    sql::exec(db,
              QStringLiteral("INSERT INTO Patient_Data.tbHospitalInfo (HospitalID, Company, Address1) "
                             "VALUES (1, ?, ?)"),
              {name, address});
    sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbDOHSetup"));
    sql::exec(db, QStringLiteral("INSERT INTO Patient_Data.tbDOHSetup (SetupID, IsAllowERCases, "
                                 "IsAllowConsultationCauses) VALUES (1, 1, 1)"));
    sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbDOHSectionI"));
    sql::exec(db,
              QStringLiteral(
                  "INSERT INTO Patient_Data.tbDOHSectionI (SectionID, HealthFacilityName, CompleteAddress, Region, "
                  "ContactNo, FaxNo, EmailAddress, IsBirthingHome, IsInfirmary, IsAcuteChronic, "
                  "IsCustodialPsychiatric, IsFirstLevel, IsSecondLevel, IsThirdLevel, IsSpecial, SpecialSpecify, "
                  "NatureOfOwnership, OtherAgencySpecify, IsCertifiedISO, CertifiedISOSpecify, IsPCAHO, "
                  "IsOtherCertifying, OtherCertifyingSpecify, CertifiedISOValidity, PCAHOValidity, "
                  "OtherCertifyingValidity, AuthorizedBed, ActualBed, AdditionalBed, StreetAddress, Municipality, "
                  "Province) VALUES (1, ?, ?, ?, ?, ?, ?, 0, 0, 0, 0, 0, 1, 0, 0, '', 2, '', 1, ?, 0, 0, '', ?, '', "
                  "'', 100, 109, 9, ?, ?, ?)"),
              {name, address, QStringLiteral("Region III - Central Luzon"), QStringLiteral("(044) 940-1234"),
               QStringLiteral("(044) 940-1235"), QStringLiteral("records@santanina-gh.ph"),
               QStringLiteral("ISO 9001:2015 Quality Management System"),
               QStringLiteral("March 15, 2025 - March 14, 2028"), QStringLiteral("123 Rizal Avenue"),
               QStringLiteral("San José"), QStringLiteral("Nueva Ecija")});
    sql::exec(db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 0, TraumaCapability = 2, "
                                 "LocalParticular = 'Provincial', OwnershipGovOthers = '', "
                                 "OwnershipPrivateOthers = '', QMISOCertified = 1, "
                                 "QMISOCertifiedValPeriod = 'March 15, 2025 - March 14, 2028', "
                                 "QMIntlAccreditation = 0, QMIntlAccreditationValPeriod = '', "
                                 "QMPhicAccreditation = 1, "
                                 "QMPhicAccreditationValPeriod = 'January 1, 2026 - December 31, 2026', "
                                 "QMPCAHO = 0, QMPCAHOValPeriod = '', "
                                 "PhilhealthAccreditationParticular = 'Level 2 hospital'"));
    // 100 authorized beds; the implementing beds add nine the province funds.
    static const struct
    {
        const char *service;
        int authorized;
        int implementing;
    } beds[] = {{"10", 30, 32}, {"11", 12, 14}, {"12", 5, 5}, {"14", 18, 20}, {"15", 4, 4}, {"21", 1, 1},
                {"22", 1, 1},   {"23", 18, 20}, {"24", 4, 4}, {"25", 2, 2},   {"30", 2, 2}, {"40", 3, 4}};
    sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbBedAllocation"));
    for (const auto &b : beds)
        sql::exec(db,
                  QStringLiteral("INSERT INTO Patient_Data.tbBedAllocation (ServiceCode, AuthorizedBeds, "
                                 "ImplementingBeds) VALUES (?, ?, ?)"),
                  {QString::fromLatin1(b.service), b.authorized, b.implementing});
}

} // namespace

QList<DemoHospital::PlantedFault> DemoHospital::fill(Store &store, const Options &options)
{
    QList<PlantedFault> planted;
    // The visits' patient and cause indexes take rows out of order; a large
    // page cache keeps them in memory while the years are written.
    QSqlQuery cache = sql::exec(store.database(), QStringLiteral("PRAGMA Patient_Data.cache_size"));
    const QString usual = cache.next() ? cache.value(0).toString() : QStringLiteral("-2000");
    sql::exec(store.database(), QStringLiteral("PRAGMA Patient_Data.cache_size = -524288"));
    store.writeTransaction([&] {
        const QSqlDatabase db = store.database();
        // The record of changes is written once, for the whole span, not
        // row by row.
        schema::dropRecordChangeTriggers(db);
        fillHospitalRecords(db);
        Generator generator(db, options);
        generator.run();
        planted = generator.plantFaults();
        schema::recordChange(db, QStringLiteral("0001-01-01"), QStringLiteral("9999-12-31"));
        schema::createRecordChanges(db);
    });
    // Fresh statistics let the planner pick the date indexes.
    sql::exec(store.database(), QStringLiteral("ANALYZE Patient_Data"));
    sql::exec(store.database(), QStringLiteral("PRAGMA Patient_Data.cache_size = %1").arg(usual.toLongLong()));
    return planted;
}

} // namespace embedded
