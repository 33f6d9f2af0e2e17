-- What a site's SQL Server needs for Velmora beyond the ORVANT suite's own
-- databases: the general information report's procedure, and the program's
-- own record of what it generated and exported (the latest generation of
-- each section and period, every generation and every export).
--
-- Run it once, as a login that may create tables and procedures in
-- Patient_Data (sqlcmd -S server -d Patient_Data -i velmora-sqlserver.sql).
-- It can be run again: tables are created when missing, procedures replaced
-- (SQL Server 2016 SP1 or later, for CREATE OR ALTER).
--
-- Without the record the program still works: it reads the suite's report
-- log alone, as before, and its reports say that a section was generated
-- with the other sections of its report ID.

USE Patient_Data;
GO

SET ANSI_NULLS ON;
SET QUOTED_IDENTIFIER ON;
GO

-- The report "I. Hospital General Information" for a year: one row whatever
-- is stored. The Section I record as the suite's sp_DOH_Report_Section1
-- gives it (yes/no items as "X" or ""), the first PASSWORD..tbHospitalInfo2
-- row, and the year's bed occupancy from the summary of patients generated
-- for 01/01 to 12/31 of the year (Null until then). Every option is "X" or
-- "": an ownership code outside 2 to 11 reads as national government, as
-- the hospital information form loads it.
CREATE OR ALTER PROCEDURE dbo.sp_DOH_Report_HospitalGeneralInformation
    @Year varchar(4)
AS
BEGIN
    SET NOCOUNT ON;
    IF @Year IS NULL OR @Year LIKE '%[^0-9]%' OR LEN(@Year) <> 4 OR CAST(@Year AS int) < 1753
    BEGIN
        RAISERROR(N'The year ''%s'' is not a four-digit year.', 16, 1, @Year);
        RETURN;
    END;
    DECLARE @S TABLE (
        HealthFacilityName nvarchar(400), CompleteAddress nvarchar(400), Region nvarchar(400),
        ContactNo nvarchar(400), FaxNo nvarchar(400), EmailAddress nvarchar(400),
        IsBirthingHome nvarchar(10), IsInfirmary nvarchar(10), IsAcuteChronic nvarchar(10),
        IsCustodialPsychiatric nvarchar(10), IsFirstLevel nvarchar(10), IsSecondLevel nvarchar(10),
        IsThirdLevel nvarchar(10), IsSpecial nvarchar(10), SpecialSpecify nvarchar(400), NatureOfOwnership int,
        OtherAgencySpecify nvarchar(400), IsCertifiedISO nvarchar(10), CertifiedISOSpecify nvarchar(400),
        IsPCAHO nvarchar(10), IsOtherCertifying nvarchar(10), OtherCertifyingSpecify nvarchar(400),
        CertifiedISOValidity nvarchar(400), PCAHOValidity nvarchar(400), OtherCertifyingValidity nvarchar(400),
        AuthorizedBed int, ActualBed int, AdditionalBed int, StreetAddress nvarchar(400),
        Municipality nvarchar(400), Province nvarchar(400));
    INSERT INTO @S EXEC dbo.sp_DOH_Report_Section1;
    DECLARE @From date = DATEFROMPARTS(CAST(@Year AS int), 1, 1);
    DECLARE @To date = DATEFROMPARTS(CAST(@Year AS int), 12, 31);
    SELECT @Year AS Year, s.HealthFacilityName, s.StreetAddress, s.Municipality, s.Province, s.CompleteAddress,
           s.Region, s.ContactNo, s.FaxNo, s.EmailAddress,
           CASE WHEN LTRIM(RTRIM(s.IsBirthingHome)) = 'X' THEN 'X' ELSE '' END AS IsBirthingHome,
           CASE WHEN LTRIM(RTRIM(s.IsInfirmary)) = 'X' THEN 'X' ELSE '' END AS IsInfirmary,
           CASE WHEN LTRIM(RTRIM(s.IsAcuteChronic)) = 'X' THEN 'X' ELSE '' END AS IsAcuteChronic,
           CASE WHEN LTRIM(RTRIM(s.IsCustodialPsychiatric)) = 'X' THEN 'X' ELSE '' END AS IsCustodialPsychiatric,
           CASE WHEN LTRIM(RTRIM(s.IsFirstLevel)) = 'X' THEN 'X' ELSE '' END AS IsFirstLevel,
           CASE WHEN LTRIM(RTRIM(s.IsSecondLevel)) = 'X' THEN 'X' ELSE '' END AS IsSecondLevel,
           CASE WHEN LTRIM(RTRIM(s.IsThirdLevel)) = 'X' THEN 'X' ELSE '' END AS IsThirdLevel,
           CASE WHEN LTRIM(RTRIM(s.IsSpecial)) = 'X' THEN '' ELSE 'X' END AS IsGeneral,
           CASE WHEN LTRIM(RTRIM(s.IsSpecial)) = 'X' THEN 'X' ELSE '' END AS IsSpecial, s.SpecialSpecify,
           CASE WHEN h.Specialty = 1 THEN 'X' ELSE '' END AS TreatsParticularDisease,
           CASE WHEN h.Specialty = 2 THEN 'X' ELSE '' END AS TreatsParticularOrgan,
           CASE WHEN h.Specialty = 3 THEN 'X' ELSE '' END AS TreatsParticularClass,
           CASE WHEN h.Specialty = 4 THEN 'X' ELSE '' END AS TreatsOthers,
           CASE WHEN h.TraumaCapability = 1 THEN 'X' ELSE '' END AS TraumaCapable,
           CASE WHEN h.TraumaCapability = 2 THEN 'X' ELSE '' END AS TraumaReceiving,
           CASE WHEN o.Own = 1 THEN 'X' ELSE '' END AS OwnNational,
           CASE WHEN o.Own = 2 THEN 'X' ELSE '' END AS OwnLocal,
           CASE WHEN o.Own = 3 THEN 'X' ELSE '' END AS OwnOtherAgency,
           CASE WHEN o.Own = 4 THEN 'X' ELSE '' END AS OwnSingleProprietor,
           CASE WHEN o.Own = 5 THEN 'X' ELSE '' END AS OwnReligious,
           CASE WHEN o.Own = 6 THEN 'X' ELSE '' END AS OwnCivicOrganization,
           CASE WHEN o.Own = 7 THEN 'X' ELSE '' END AS OwnFoundation,
           CASE WHEN o.Own = 8 THEN 'X' ELSE '' END AS OwnDNDDOJ,
           CASE WHEN o.Own = 9 THEN 'X' ELSE '' END AS OwnSUCs,
           CASE WHEN o.Own = 10 THEN 'X' ELSE '' END AS OwnGovOthers,
           CASE WHEN o.Own = 11 THEN 'X' ELSE '' END AS OwnPrivateOthers,
           h.LocalParticular, s.OtherAgencySpecify, h.OwnershipGovOthers, h.OwnershipPrivateOthers,
           CASE WHEN h.QMISOCertified <> 0 THEN 'X' ELSE '' END AS QMISOCertified, h.QMISOCertifiedValPeriod,
           CASE WHEN h.QMIntlAccreditation <> 0 THEN 'X' ELSE '' END AS QMIntlAccreditation,
           h.QMIntlAccreditationValPeriod,
           CASE WHEN h.QMPhicAccreditation <> 0 THEN 'X' ELSE '' END AS QMPhicAccreditation,
           h.QMPhicAccreditationValPeriod,
           CASE WHEN h.QMPCAHO <> 0 THEN 'X' ELSE '' END AS QMPCAHO, h.QMPCAHOValPeriod,
           h.PhilhealthAccreditationParticular, s.AuthorizedBed, s.ActualBed, s.AdditionalBed,
           y.BOR AS YearBOR, y.BORImplementing AS YearBORImplementing
      FROM (SELECT 1 AS One) AS one
      LEFT JOIN (SELECT TOP (1) * FROM @S) AS s ON 1 = 1
      LEFT JOIN (SELECT TOP (1) * FROM PASSWORD.dbo.tbHospitalInfo2 ORDER BY HospitalInfoID) AS h ON 1 = 1
      CROSS APPLY (SELECT CASE WHEN s.NatureOfOwnership BETWEEN 2 AND 11 THEN s.NatureOfOwnership ELSE 1 END
                   AS Own) AS o
      LEFT JOIN dbo.tbDOHRptSectionII1 AS y ON y.FromDate = @From AND y.ToDate = @To;
END;
GO

IF OBJECT_ID(N'dbo.tbVelmoraSectionGeneration', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbVelmoraSectionGeneration (
        ReportTitle nvarchar(200) NOT NULL,
        FromDate date NOT NULL,
        ToDate date NOT NULL,
        ReportID varchar(20) NOT NULL,
        GeneratedDate datetime NOT NULL,
        UserName nvarchar(128) NOT NULL,
        PediaAge int NULL,
        NewbornCode varchar(20) NULL,
        SurgeryCode varchar(20) NULL,
        PeriodEnded bit NOT NULL,
        CountedTo date NOT NULL,
        CONSTRAINT PK_tbVelmoraSectionGeneration PRIMARY KEY (ReportTitle, FromDate, ToDate));
    CREATE INDEX ixVelmoraSectionGenerationPeriod ON dbo.tbVelmoraSectionGeneration (FromDate, ToDate);
END;
GO

IF OBJECT_ID(N'dbo.tbVelmoraGenerationHistory', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbVelmoraGenerationHistory (
        GenerationID int IDENTITY(1, 1) NOT NULL CONSTRAINT PK_tbVelmoraGenerationHistory PRIMARY KEY,
        ReportTitle nvarchar(200) NOT NULL,
        FromDate date NOT NULL,
        ToDate date NOT NULL,
        GeneratedDate datetime NOT NULL,
        UserName nvarchar(128) NOT NULL,
        PediaAge int NULL,
        NewbornCode varchar(20) NULL,
        SurgeryCode varchar(20) NULL,
        PeriodEnded bit NOT NULL,
        CountedTo date NOT NULL);
    CREATE INDEX ixVelmoraGenerationHistoryPeriod ON dbo.tbVelmoraGenerationHistory (FromDate, ToDate);
END;
GO

IF OBJECT_ID(N'dbo.tbVelmoraExportLog', N'U') IS NULL
BEGIN
    CREATE TABLE dbo.tbVelmoraExportLog (
        ExportID int IDENTITY(1, 1) NOT NULL CONSTRAINT PK_tbVelmoraExportLog PRIMARY KEY,
        ReportTitle nvarchar(200) NOT NULL,
        FromDate date NOT NULL,
        ToDate date NOT NULL,
        Format varchar(3) NOT NULL CONSTRAINT CK_tbVelmoraExportLog_Format CHECK (Format IN ('xls', 'rtf', 'pdf')),
        FileName nvarchar(1000) NOT NULL,
        UserName nvarchar(128) NOT NULL,
        ExportedDate datetime NOT NULL);
    CREATE INDEX ixVelmoraExportLogPeriod ON dbo.tbVelmoraExportLog (FromDate, ToDate);
END;
GO

-- The section's record, sent by the program in the transaction of the
-- section's report-log entry and upload. The day of generation is the
-- server's; the setup is the one the upload read.
CREATE OR ALTER PROCEDURE dbo.sp_Velmora_Save_SectionGeneration
    @ReportTitle nvarchar(200),
    @FromDate date,
    @ToDate date,
    @UserName nvarchar(128)
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @First nvarchar(10) = CONVERT(nvarchar(10), @FromDate, 101);
    DECLARE @Last nvarchar(10) = CONVERT(nvarchar(10), @ToDate, 101);
    IF @ToDate < @FromDate
    BEGIN
        RAISERROR(N'The last date of the period (%s) is before its first date (%s).', 16, 1, @Last, @First);
        RETURN;
    END;
    DECLARE @Now datetime = GETDATE();
    DECLARE @Today date = CAST(@Now AS date);
    IF @FromDate > @Today
    BEGIN
        RAISERROR(N'The period %s to %s has not begun: it cannot be generated before %s.', 16, 1, @First, @Last,
                  @First);
        RETURN;
    END;
    DECLARE @Ended bit = CASE WHEN @ToDate <= @Today THEN 1 ELSE 0 END;
    DECLARE @CountedTo date = CASE WHEN @ToDate <= @Today THEN @ToDate ELSE @Today END;
    DECLARE @ReportID varchar(20) =
        LEFT(@ReportTitle, CASE WHEN CHARINDEX(N' ', @ReportTitle) > 0 THEN CHARINDEX(N' ', @ReportTitle) - 1
                                ELSE LEN(@ReportTitle) END);
    DECLARE @Setup TABLE (PediaAge int, NewbornCode varchar(20), SurgeryCode varchar(20));
    INSERT INTO @Setup EXEC dbo.sp_DOH_Search_tbMedNewDOHReportSetup;
    DECLARE @PediaAge int, @NewbornCode varchar(20), @SurgeryCode varchar(20);
    SELECT TOP (1) @PediaAge = PediaAge, @NewbornCode = NewbornCode, @SurgeryCode = SurgeryCode FROM @Setup;

    UPDATE dbo.tbVelmoraSectionGeneration
       SET ReportID = @ReportID, GeneratedDate = @Now, UserName = @UserName, PediaAge = @PediaAge,
           NewbornCode = @NewbornCode, SurgeryCode = @SurgeryCode, PeriodEnded = @Ended, CountedTo = @CountedTo
     WHERE ReportTitle = @ReportTitle AND FromDate = @FromDate AND ToDate = @ToDate;
    IF @@ROWCOUNT = 0
        INSERT INTO dbo.tbVelmoraSectionGeneration (ReportTitle, FromDate, ToDate, ReportID, GeneratedDate, UserName,
                                                    PediaAge, NewbornCode, SurgeryCode, PeriodEnded, CountedTo)
        VALUES (@ReportTitle, @FromDate, @ToDate, @ReportID, @Now, @UserName, @PediaAge, @NewbornCode, @SurgeryCode,
                @Ended, @CountedTo);
    INSERT INTO dbo.tbVelmoraGenerationHistory (ReportTitle, FromDate, ToDate, GeneratedDate, UserName, PediaAge,
                                                NewbornCode, SurgeryCode, PeriodEnded, CountedTo)
    VALUES (@ReportTitle, @FromDate, @ToDate, @Now, @UserName, @PediaAge, @NewbornCode, @SurgeryCode, @Ended,
            @CountedTo);
END;
GO

-- The records of a period, oldest first.
CREATE OR ALTER PROCEDURE dbo.sp_Velmora_Search_SectionGeneration
    @FromDate date,
    @ToDate date
AS
BEGIN
    SET NOCOUNT ON;
    SELECT ReportTitle, ReportID, GeneratedDate, UserName, PediaAge, NewbornCode, SurgeryCode, PeriodEnded,
           CONVERT(datetime, CountedTo) AS CountedTo
      FROM dbo.tbVelmoraSectionGeneration
     WHERE FromDate = @FromDate AND ToDate = @ToDate
     ORDER BY GeneratedDate, ReportTitle;
END;
GO

-- An export written from the window or the command line.
CREATE OR ALTER PROCEDURE dbo.sp_Velmora_Save_Export
    @ReportTitle nvarchar(200),
    @FromDate date,
    @ToDate date,
    @Format varchar(3),
    @FileName nvarchar(1000),
    @UserName nvarchar(128)
AS
BEGIN
    SET NOCOUNT ON;
    INSERT INTO dbo.tbVelmoraExportLog (ReportTitle, FromDate, ToDate, Format, FileName, UserName, ExportedDate)
    VALUES (@ReportTitle, @FromDate, @ToDate, LOWER(@Format), @FileName, @UserName, GETDATE());
END;
GO

-- A period's generations and exports, newest first.
CREATE OR ALTER PROCEDURE dbo.sp_Velmora_Search_History
    @FromDate date,
    @ToDate date
AS
BEGIN
    SET NOCOUNT ON;
    SELECT EventDate, Event, ReportTitle, UserName, Format, FileName, PeriodEnded, CountedTo
      FROM (SELECT GeneratedDate AS EventDate, 'Generated' AS Event, ReportTitle, UserName,
                   CAST(NULL AS varchar(3)) AS Format, CAST(NULL AS nvarchar(1000)) AS FileName, PeriodEnded,
                   CONVERT(datetime, CountedTo) AS CountedTo, GenerationID AS Seq, 0 AS Kind
              FROM dbo.tbVelmoraGenerationHistory WHERE FromDate = @FromDate AND ToDate = @ToDate
            UNION ALL
            SELECT ExportedDate, 'Exported', ReportTitle, UserName, Format, FileName, NULL, NULL, ExportID, 1
              FROM dbo.tbVelmoraExportLog WHERE FromDate = @FromDate AND ToDate = @ToDate) AS events
     ORDER BY EventDate DESC, Kind DESC, Seq DESC;
END;
GO

-- What a section's report says of its figures: one row when they were
-- generated, none when not. The section's record holds unless the report
-- log's entry for its report ID is later than every record of that ID for
-- the period (a generation that kept no record came since): then the log's
-- time is all there is (LogDate).
CREATE OR ALTER PROCEDURE dbo.sp_Velmora_Report_SectionGeneration
    @FromDate date,
    @ToDate date,
    @ReportTitle nvarchar(200)
AS
BEGIN
    SET NOCOUNT ON;
    DECLARE @ReportID varchar(20) =
        LEFT(@ReportTitle, CASE WHEN CHARINDEX(N' ', @ReportTitle) > 0 THEN CHARINDEX(N' ', @ReportTitle) - 1
                                ELSE LEN(@ReportTitle) END);
    DECLARE @Log TABLE (ReportID varchar(20), LastUpdatedDate datetime);
    INSERT INTO @Log EXEC dbo.sp_DOH_Search_tbMedNewDOHReportLog @FromDate, @ToDate;
    DECLARE @Logged datetime = (SELECT MAX(LastUpdatedDate) FROM @Log WHERE ReportID = @ReportID);
    IF @Logged IS NOT NULL AND NOT EXISTS (
           SELECT 1 FROM dbo.tbVelmoraSectionGeneration
            WHERE ReportID = @ReportID AND FromDate = @FromDate AND ToDate = @ToDate AND GeneratedDate >= @Logged)
    BEGIN
        SELECT CAST(NULL AS nvarchar(400)) AS GeneratedNote, CAST(NULL AS nvarchar(400)) AS PeriodNote,
               @Logged AS LogDate;
        RETURN;
    END;
    SELECT N'Figures generated on ' + FORMAT(GeneratedDate, N'MMMM d, yyyy', 'en-US') + N' at ' +
               FORMAT(GeneratedDate, N'HH:mm', 'en-US') +
               CASE WHEN UserName = N'' THEN N'' ELSE N' by ' + UserName END + N'.' AS GeneratedNote,
           CASE WHEN PeriodEnded = 0
                THEN N'The period had not ended when these figures were generated: they count up to ' +
                     FORMAT(CountedTo, N'MMMM d, yyyy', 'en-US') + N'.' END AS PeriodNote,
           CAST(NULL AS datetime) AS LogDate
      FROM dbo.tbVelmoraSectionGeneration
     WHERE ReportTitle = @ReportTitle AND FromDate = @FromDate AND ToDate = @ToDate;
END;
GO
