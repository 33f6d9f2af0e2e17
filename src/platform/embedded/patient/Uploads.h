#pragma once

#include "../Procedures.h"

// The bodies of the upload procedures (sp_DOH_Upload_...), one per report
// section. Each replaces its report table's rows for the call's date pair.
namespace embedded::patient {

// The service whose discharges are the obstetric discharges of the maternal
// death rate (the service table's Obstetrics).
inline constexpr const char *kObstetricsServiceCode = "11";

adodb::ResultSet uploadSectionI34(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionI9(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII1(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII21(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII22(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII3(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadDeliveriesAndOutpatientVisits(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadERTestingAndOthers(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionIII(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII7(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII8(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII91(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII92(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadHealthAssociatedInf(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSurgicalProcedure(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionIII114(ProcedureContext &context, const Arguments &arguments);
adodb::ResultSet uploadSectionII103(ProcedureContext &context, const Arguments &arguments);

} // namespace embedded::patient
