-- Check's reading procedure for a site's SQL Server: the period's patient
-- records with what the edits need, as the embedded store gives them
-- (docs/checks.md). UNTESTED: there is no SQL Server where this was written.
-- It reads the patient tables as docs/database.md lays them out; where the
-- suite's own patient tables are named or shaped otherwise, adapt the SELECTs
-- (keep the result's columns and their order). Run it in Patient_Data.
-- The change record behind sp_Velmora_Check_LatestChange is not part of this
-- script: without that procedure Check names the staleness rule as not checked.
IF OBJECT_ID('dbo.sp_Velmora_Check_PatientRecords', 'P') IS NOT NULL
    DROP PROCEDURE dbo.sp_Velmora_Check_PatientRecords;
GO
-- @CodeRanges ("O00-O99,Z32-Z36,...") lets the embedded store send only the
-- records an edit may find something on; here every record is sent, which
-- gives the same findings.
CREATE PROCEDURE dbo.sp_Velmora_Check_PatientRecords @FromDate varchar(10), @ToDate varchar(10),
    @CodeRanges varchar(4000) = NULL
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @first datetime = CONVERT(datetime, @FromDate, 101);
    DECLARE @after datetime = DATEADD(day, 1, CONVERT(datetime, @ToDate, 101));
    IF @after <= @first
        RAISERROR('The last date of the period (%s) is before its first date (%s).', 16, 1, @ToDate, @FromDate);
    SELECT 'A' AS Kind, a.AdmissionID AS RecordID, a.PatientID, a.AdmissionDateTime AS StartTime,
        a.DischargeDateTime AS EndTime, p.Sex, p.BirthDate, a.ServiceCode,
        CASE WHEN s.ServiceCode IS NULL THEN 0 ELSE 1 END AS ServiceKnown, a.FinalDiagnosis AS Code,
        CASE WHEN a.FinalDiagnosis IS NULL OR c.CategoryCode IS NOT NULL THEN 1 ELSE 0 END AS CodeKnown,
        a.UnderlyingCause AS Cause,
        CASE WHEN a.UnderlyingCause IS NULL OR u.CategoryCode IS NOT NULL THEN 1 ELSE 0 END AS CauseKnown,
        a.DischargeCondition AS Condition
    FROM dbo.tbAdmission a
    JOIN dbo.tbPatient p ON p.PatientID = a.PatientID
    LEFT JOIN BUILD_FILE.dbo.tbCoService s ON s.ServiceCode = a.ServiceCode
    LEFT JOIN BUILD_FILE.dbo.tbCoICD10Category c
        ON c.CategoryCode = LEFT(REPLACE(UPPER(LTRIM(a.FinalDiagnosis)), '.', ''), 3)
    LEFT JOIN BUILD_FILE.dbo.tbCoICD10Category u
        ON u.CategoryCode = LEFT(REPLACE(UPPER(LTRIM(a.UnderlyingCause)), '.', ''), 3)
    WHERE (a.AdmissionDateTime >= @first AND a.AdmissionDateTime < @after)
       OR (a.DischargeDateTime >= @first AND a.DischargeDateTime < @after)
       OR (a.AdmissionDateTime < @first AND (a.DischargeDateTime IS NULL OR a.DischargeDateTime >= @after))
    UNION ALL
    SELECT 'O', v.OutpatientVisitID, v.PatientID, v.VisitDate, NULL, p.Sex, p.BirthDate, NULL, 1, v.Diagnosis,
        CASE WHEN v.Diagnosis IS NULL OR c.CategoryCode IS NOT NULL THEN 1 ELSE 0 END, NULL, 1, NULL
    FROM dbo.tbOutpatientVisit v
    JOIN dbo.tbPatient p ON p.PatientID = v.PatientID
    LEFT JOIN BUILD_FILE.dbo.tbCoICD10Category c
        ON c.CategoryCode = LEFT(REPLACE(UPPER(LTRIM(v.Diagnosis)), '.', ''), 3)
    WHERE v.VisitDate >= @first AND v.VisitDate < @after
    UNION ALL
    SELECT 'E', e.EmergencyVisitID, e.PatientID, e.VisitDateTime, NULL, p.Sex, p.BirthDate, NULL, 1, e.Diagnosis,
        CASE WHEN e.Diagnosis IS NULL OR c.CategoryCode IS NOT NULL THEN 1 ELSE 0 END, NULL, 1, NULL
    FROM dbo.tbEmergencyVisit e
    JOIN dbo.tbPatient p ON p.PatientID = e.PatientID
    LEFT JOIN BUILD_FILE.dbo.tbCoICD10Category c
        ON c.CategoryCode = LEFT(REPLACE(UPPER(LTRIM(e.Diagnosis)), '.', ''), 3)
    WHERE e.VisitDateTime >= @first AND e.VisitDateTime < @after
    UNION ALL
    SELECT 'S', o.OperationID, o.PatientID, o.OperationDateTime, NULL, NULL, NULL, o.ServiceCode,
        CASE WHEN o.ServiceCode IS NULL OR s.ServiceCode IS NOT NULL THEN 1 ELSE 0 END, o.ProcedureCode,
        CASE WHEN pr.ProcedureCode IS NULL THEN 0 ELSE 1 END, NULL, 1, NULL
    FROM dbo.tbOperation o
    LEFT JOIN BUILD_FILE.dbo.tbCoService s ON s.ServiceCode = o.ServiceCode
    LEFT JOIN BUILD_FILE.dbo.tbCoProcedure pr ON pr.ProcedureCode = o.ProcedureCode
    WHERE o.OperationDateTime >= @first AND o.OperationDateTime < @after;
END
GO
