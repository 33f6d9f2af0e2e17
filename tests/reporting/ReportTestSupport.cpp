#include "ReportTestSupport.h"

#include <QProcess>

namespace testing_support {

QString visitsReportXml(const QString &location, const QString &extraSections, const QString &groupAttributes)
{
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<report name="rptVisits" font="DejaVu Sans" font-size="9">
  <summary title="Visits by Service" subject="Test" author="" comments=""/>
  <page size="letter" orientation="portrait" margins="36"/>
  <parameters>
    <parameter name="FromDate" type="date" prompt="From"/>
    <parameter name="ToDate" type="date" prompt="To"/>
  </parameters>
  <tables>
    <table alias="v" location="%1"/>
  </tables>
  <queries>
    <query name="main">SELECT Service, Patient, Visits, Days, VisitDate FROM {v}
      WHERE VisitDate BETWEEN {?FromDate} AND {?ToDate} ORDER BY Service, Id</query>
  </queries>
  <data query="main"/>
  <groups>
    <group field="Service" %2/>
  </groups>
  <sections>
    <section kind="report-header" height="40">
      <summary-field name="title" x="0" y="0" w="540" h="16" font-size="14" bold="true" align="center"/>
      <text x="0" y="20" w="540" h="14" align="center">From {?FromDate} to {?ToDate}</text>
    </section>
    <section kind="page-header" height="18">
      <text x="0" y="2" w="200" h="14" bold="true" column="1">Patient</text>
      <text x="200" y="2" w="100" h="14" bold="true" column="2" align="right">Visits</text>
      <text x="300" y="2" w="100" h="14" bold="true" column="3" align="right">Days</text>
      <text x="400" y="2" w="140" h="14" bold="true" column="4">Date</text>
      <line x1="0" y1="17" x2="540" y2="17"/>
    </section>
    <section kind="group-header" group="1" height="16">
      <field name="Service" x="0" y="1" w="300" h="14" bold="true"/>
    </section>
    <section kind="detail" height="12">
      <field name="Patient" x="0" y="0" w="200" h="12" column="1"/>
      <field name="Visits" x="200" y="0" w="100" h="12" column="2" align="right" format="#,##0"/>
      <field name="Days" x="300" y="0" w="100" h="12" column="3" align="right"/>
      <field name="VisitDate" x="400" y="0" w="140" h="12" column="4" date-format="MM/dd/yyyy"/>
    </section>
    <section kind="group-footer" group="1" height="16">
      <text x="0" y="1" w="200" h="14" bold="true" column="1">Service total</text>
      <formula kind="sum" field="Visits" x="200" y="1" w="100" h="14" column="2" align="right" format="#,##0" bold="true"/>
      <formula kind="count" x="300" y="1" w="100" h="14" column="3" align="right" bold="true"/>
    </section>
    <section kind="report-footer" height="20">
      <text x="0" y="2" w="200" h="14" bold="true" column="1">Grand total</text>
      <formula kind="sum" field="Visits" over="report" x="200" y="2" w="100" h="14" column="2" align="right" format="#,##0" bold="true"/>
      <formula kind="ratio" field="Days" divisor="Visits" scale="100" over="report" x="300" y="2" w="100" h="14" column="3" align="right" format="0.00"/>
    </section>
    <section kind="page-footer" height="16">
      <special kind="print-date" x="0" y="2" w="200" h="12"/>
      <special kind="page-n-of-m" x="340" y="2" w="200" h="12" align="right"/>
    </section>
    %3
  </sections>
</report>
)")
        .arg(location, groupAttributes, extraSections);
}

QString pdfText(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace testing_support
