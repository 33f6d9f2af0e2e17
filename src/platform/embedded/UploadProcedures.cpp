#include "Procedures.h"
#include "Schema.h"

#include "patient/PatientSchema.h"
#include "patient/Uploads.h"

// The upload procedures: each summarises a period's patient data into its
// section's report table (see patient/).
namespace embedded {

void registerUploadProcedures(ProcedureRegistry &registry)
{
    const QString patientData = QStringLiteral("Patient_Data");
    const QStringList dates = {QStringLiteral("@FromDate"), QStringLiteral("@ToDate")};
    const QStringList datesAndOption = {QStringLiteral("@FromDate"), QStringLiteral("@ToDate"),
                                        QStringLiteral("@UploadOption")};
    struct Upload
    {
        const char *name;
        bool takesOption;
        void (*body)(const patient::UploadPeriod &);
    };
    const Upload uploads[] = {
        {"sp_DOH_Upload_SectionI34", false, patient::uploadSectionI34},
        {"sp_DOH_Upload_SectionI9", true, patient::uploadSectionI9},
        {"sp_DOH_Upload_SectionII1", false, patient::uploadSectionII1},
        {"sp_DOH_Upload_SectionII21", false, patient::uploadSectionII21},
        {"sp_DOH_Upload_SectionII22", false, patient::uploadSectionII22},
        {"sp_DOH_Upload_SectionII3", false, patient::uploadSectionII3},
        {"sp_DOH_Upload_DeliveriesAndOutpatientVisits", false, patient::uploadDeliveriesAndOutpatientVisits},
        {"sp_DOH_Upload_ERTestingAndOthers", false, patient::uploadERTestingAndOthers},
        {"sp_DOH_Upload_SectionIII", false, patient::uploadSectionIII},
        {"sp_DOH_Upload_SectionII7", false, patient::uploadSectionII7},
        {"sp_DOH_Upload_SectionII8", true, patient::uploadSectionII8},
        {"sp_DOH_Upload_SectionII91", false, patient::uploadSectionII91},
        {"sp_DOH_Upload_SectionII92", false, patient::uploadSectionII92},
        {"sp_DOH_Upload_HealthAssociatedInf", false, patient::uploadHealthAssociatedInf},
        {"sp_DOH_Upload_SurgicalProcedure", false, patient::uploadSurgicalProcedure},
        {"sp_DOH_Upload_SectionIII114", true, patient::uploadSectionIII114},
        {"sp_DOH_Upload_SectionII103", true, patient::uploadSectionII103},
    };
    // The option is optional: the program always sends 2, the only option.
    for (const Upload &u : uploads) {
        const ProcedureBody body = [u](ProcedureContext &context, const Arguments &arguments) {
            const patient::UploadPeriod period(context, arguments, u.takesOption, QString::fromLatin1(u.name));
            u.body(period);
            period.finish();
            return adodb::ResultSet{};
        };
        registry.add({patientData,
                      QString::fromLatin1(u.name),
                      u.takesOption ? datesAndOption : dates,
                      2,
                      Access::Write,
                      body,
                      {patientData}});
    }
}

namespace schema {
void createPatientTables(const QSqlDatabase &db)
{
    patient::createTables(db);
}
} // namespace schema

} // namespace embedded
