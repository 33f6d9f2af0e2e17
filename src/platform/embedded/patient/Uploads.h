#pragma once

#include "UploadPeriod.h"

// The bodies of the upload procedures (sp_DOH_Upload_...), one per report
// section. Each replaces its report table's rows for the call's date pair;
// the period has checked the arguments and read the report setup.
namespace embedded::patient {

// The service whose discharges are the obstetric discharges of the maternal
// death rate (the service table's Obstetrics).
inline constexpr const char *kObstetricsServiceCode = "11";

// The age groups of the ten leading causes, by their first age: under 1, 1
// to 4, 5 to 9, 10 to 14, 15 to 19, 20 to 44, 45 to 64, 65 and over.
inline constexpr int kCauseAgeGroups[] = {1, 5, 10, 15, 20, 45, 65};

void uploadSectionI34(const UploadPeriod &period);
void uploadSectionI9(const UploadPeriod &period);
void uploadSectionII1(const UploadPeriod &period);
void uploadSectionII21(const UploadPeriod &period);
void uploadSectionII22(const UploadPeriod &period);
void uploadSectionII3(const UploadPeriod &period);
void uploadDeliveriesAndOutpatientVisits(const UploadPeriod &period);
void uploadERTestingAndOthers(const UploadPeriod &period);
void uploadSectionIII(const UploadPeriod &period);
void uploadSectionII7(const UploadPeriod &period);
void uploadSectionII8(const UploadPeriod &period);
void uploadSectionII91(const UploadPeriod &period);
void uploadSectionII92(const UploadPeriod &period);
void uploadHealthAssociatedInf(const UploadPeriod &period);
void uploadSurgicalProcedure(const UploadPeriod &period);
void uploadSectionIII114(const UploadPeriod &period);
void uploadSectionII103(const UploadPeriod &period);

} // namespace embedded::patient
