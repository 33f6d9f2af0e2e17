#include "Rules.h"

#include <stdexcept>

namespace checks {

namespace {

const QString kSectionI = QStringLiteral("I. Hospital General Information");
const QString kBeds = QStringLiteral("I.3.4 Allocation of Beds");
const QString kSummary = QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital");
const QString kDischarges = QStringLiteral("II. Hospital Operations. B. Discharges");
const QString kAlos = QStringLiteral("II. B.1. Average Length of Stay (ALOS)");
const QString kMorbidity = QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity");
const QString kDeliveries = QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits");
const QString kEmergency = QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen");
const QString kDeaths = QStringLiteral("II. C. Deaths");
const QString kMortality = QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality");
const QString kOperations = QStringLiteral("II.8 Surgical Operations");
const QString kMajor = QStringLiteral("II.9.1 10 Leading Major Operations");
const QString kMinor = QStringLiteral("II.9.2 10 Leading Minor Operations");
const QString kInfections = QStringLiteral("II. D. Health Associated Infections");
const QString kSurgery = QStringLiteral("II. E. Surgical Operations");
const QString kConsultations = QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)");
const QString kErCauses = QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)");

const QString kRegenerate = QStringLiteral("Generate both sections again for the period; if they still differ, "
                                           "report it to the system administrator.");
const QString kFixRecord = QStringLiteral("Correct the record in the hospital system, then generate the period's "
                                          "sections again.");

} // namespace

const QList<Rule> &Rules()
{
    using K = RuleKind;
    static const QList<Rule> rules = {
        {QStringLiteral("II.A-balance"),
         K::BetweenSections,
         QStringLiteral("II. A.: inpatients at the end = at the start + admissions - discharges alive - deaths"),
         {kSummary},
         kRegenerate},
        {QStringLiteral("II.A-II.B-discharges"),
         K::BetweenSections,
         QStringLiteral("II. A.'s discharges and deaths = II. B.'s total row (newborns apart)"),
         {kSummary, kDischarges},
         kRegenerate},
        {QStringLiteral("II.A-II.C-deaths"),
         K::BetweenSections,
         QStringLiteral("II. A.'s deaths = II. C.'s inpatient deaths"),
         {kSummary, kDeaths},
         kRegenerate},
        {QStringLiteral("II.B-row"),
         K::BetweenSections,
         QStringLiteral("II. B.: each row's conditions on discharge plus deaths = its discharges, and its deaths "
                        "under 48 h plus 48 h or more = its deaths"),
         {kDischarges},
         kRegenerate},
        {QStringLiteral("II.B-II.C-48h"),
         K::BetweenSections,
         QStringLiteral("II. B.'s deaths under 48 h and 48 h or more = II. C.'s"),
         {kDischarges, kDeaths},
         kRegenerate},
        {QStringLiteral("II.A-I.3.4-service-days"),
         K::BetweenSections,
         QStringLiteral("II. A.'s inpatient service days and BOR = I.3.4's total"),
         {kSummary, kBeds},
         kRegenerate},
        {QStringLiteral("I-authorized-beds"),
         K::BetweenSections,
         QStringLiteral("Section I's authorized beds = the bed allocation the BOR is worked out on"),
         {kSectionI, kSummary, kBeds},
         QStringLiteral("Make the authorized beds of Hospital Info and the bed allocation agree, then generate the "
                        "period's sections again.")},
        {QStringLiteral("I-facility-name"),
         K::BetweenSections,
         QStringLiteral("Section I's facility name = the hospital name of the report headings"),
         {kSectionI},
         QStringLiteral("Type the hospital's name in Hospital Info as the report headings print it, or have the "
                        "suite's hospital name corrected.")},
        {QStringLiteral("top-10-within-source"),
         K::BetweenSections,
         QStringLiteral("A ten-leading list never counts more than the figures it is drawn from"),
         {kMorbidity, kMortality, kEmergency, kConsultations, kErCauses, kMajor, kMinor},
         kRegenerate},
        {QStringLiteral("caesareans-within-deliveries"),
         K::BetweenSections,
         QStringLiteral("Caesarean deliveries never exceed all deliveries"),
         {kDeliveries},
         kRegenerate},
        {QStringLiteral("HAI-denominators"),
         K::BetweenSections,
         QStringLiteral("II. D.'s bases = the discharges (newborns included) of II. B. and the operations of II. E."),
         {kInfections, kDischarges, kSurgery},
         kRegenerate},
        {QStringLiteral("same-setup"),
         K::BetweenSections,
         QStringLiteral("Every generated section of the period comes from the same report setup"),
         {},
         QStringLiteral("Check the report setup, then generate every section of the period again.")},
        {QStringLiteral("stale-section"),
         K::BetweenSections,
         QStringLiteral("No section is generated before the latest change to a patient record of its period"),
         {},
         QStringLiteral("Generate the section again for the period.")},

        {QStringLiteral("sex-female-code"),
         K::RecordEdit,
         QStringLiteral("Codes of pregnancy, childbirth and the female genital organs only for females"),
         {},
         kFixRecord},
        {QStringLiteral("sex-male-code"),
         K::RecordEdit,
         QStringLiteral("Codes of the male genital organs only for males"),
         {},
         kFixRecord},
        {QStringLiteral("newborn-code"),
         K::RecordEdit,
         QStringLiteral("Perinatal (P00-P96) and live-birth (Z38) codes only in the first 28 days of life"),
         {},
         kFixRecord},
        {QStringLiteral("pregnancy-age"),
         K::RecordEdit,
         QStringLiteral("Pregnancy codes (O00-O99, Z32-Z36) only at ages 10 to 55"),
         {},
         kFixRecord},
        {QStringLiteral("discharge-before-admission"),
         K::RecordEdit,
         QStringLiteral("A discharge never comes before its admission"),
         {},
         kFixRecord},
        {QStringLiteral("birth-after-event"),
         K::RecordEdit,
         QStringLiteral("A patient's birth date never comes after the admission or visit"),
         {},
         kFixRecord},
        {QStringLiteral("no-final-diagnosis"),
         K::RecordEdit,
         QStringLiteral("A discharged stay has a final diagnosis"),
         {},
         kFixRecord},
        {QStringLiteral("death-without-cause"),
         K::RecordEdit,
         QStringLiteral("A death has an underlying cause"),
         {},
         kFixRecord},
        {QStringLiteral("unknown-service"),
         K::RecordEdit,
         QStringLiteral("Every service is in the service table"),
         {},
         QStringLiteral("Add the service to the service table or correct the record, then generate the period's "
                        "sections again.")},
        {QStringLiteral("unknown-code"),
         K::RecordEdit,
         QStringLiteral("Every ICD-10 and procedure code is in its code table"),
         {},
         QStringLiteral("Add the code to its code table or correct the record, then generate the period's sections "
                        "again.")},
        {QStringLiteral("open-over-a-year"),
         K::RecordEdit,
         QStringLiteral("No stay is open for more than a year"),
         {},
         QStringLiteral("Record the patient's discharge, or correct the admission date.")},
    };
    return rules;
}

const Rule &RuleById(const QString &id)
{
    for (const Rule &rule : Rules())
        if (rule.id == id)
            return rule;
    throw std::out_of_range("no Check rule " + id.toStdString());
}

int CheckResult::concerning(const QString &title) const
{
    int count = 0;
    for (const Finding &finding : findings)
        if ((finding.sections.isEmpty() ? RuleById(finding.rule).sections : finding.sections).contains(title))
            ++count;
    return count;
}

QList<std::pair<QString, int>> CheckResult::countsByRule() const
{
    QList<std::pair<QString, int>> counts;
    for (const Rule &rule : Rules()) {
        int n = 0;
        for (const Finding &finding : findings)
            n += finding.rule == rule.id ? 1 : 0;
        if (n > 0)
            counts.append({rule.id, n});
    }
    return counts;
}

QString FindingLine(const Finding &finding)
{
    return finding.rule + QStringLiteral(": ") + finding.figures;
}

} // namespace checks
