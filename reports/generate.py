#!/usr/bin/env python3
"""Writes the DOH report files (*.rpt) of this folder.

The report files are plain XML (docs/report-format.md) and are committed as
they are: the program needs nothing but them. They share a frame (the
hospital header, the section title, the period, the page footer, the note of
when the figures were generated) and a few table shapes (rows by service,
the ten leading causes, one row laid out as a form), so they are written
from this one description instead of being kept in step by hand.

    python3 reports/generate.py          # rewrite the files
    python3 reports/generate.py --check  # exit 1 when a file differs
"""

import sys
from pathlib import Path
from xml.sax.saxutils import escape, quoteattr

HERE = Path(__file__).resolve().parent

PORTRAIT = 540  # letter, 36 pt margins
LANDSCAPE = 720
COUNT = "#,##0"
RATE = "0.00"
DASH = "\u2013"  # a rate whose base is zero
HEADER_NAME = "OrvantReportHeader.rpt"


def attrs(**values):
    out = []
    for key, value in values.items():
        if value is None or value is False:
            continue
        if value is True:
            value = "true"
        if isinstance(value, float):
            value = f"{value:g}"
        out.append(f"{key.replace('_', '-')}={quoteattr(str(value))}")
    return " ".join(out)


def el(tag, text=None, **values):
    a = attrs(**values)
    if text is None:
        return f"<{tag} {a}/>"
    return f"<{tag} {a}>{escape(text)}</{tag}>"


def section(kind, height, items, **values):
    body = "\n".join("      " + i for i in items)
    return f'    <section {attrs(kind=kind, height=height, **values)}>\n{body}\n    </section>'


# ---------------------------------------------------------------- the frame

def date_parameters():
    return [('FromDate', 'date', 'First date of the period'), ('ToDate', 'date', 'Last date of the period')]


def hospital_parameters():
    return [('HospitalName', 'text', 'Hospital name'), ('Address1', 'text', 'Address, first line'),
            ('Address2', 'text', 'Address, second line')]


def header_subreport():
    return """    <report name="OrvantReportHeader.rpt">
      <parameters>
        <parameter name="HospitalName" type="text" default=""/>
        <parameter name="Address1" type="text" default=""/>
        <parameter name="Address2" type="text" default=""/>
      </parameters>
      <sections>
        <section kind="report-header" height="40">
          <parameter-field name="HospitalName" x="0" y="0" w="{w}" h="16" font-size="12" bold="true" align="center"/>
          <parameter-field name="Address1" x="0" y="16" w="{w}" h="12" align="center"/>
          <parameter-field name="Address2" x="0" y="28" w="{w}" h="12" align="center"/>
        </section>
      </sections>
    </report>"""


def report_header(width, header, period=True, subtitle=None, period_note=False):
    """The hospital, the form's name, the section's title and the period; with
    period_note, under the period what the generation says of it (that the
    period had not ended)."""
    items = []
    if header == 'subreport':
        items.append(el('subreport', name=HEADER_NAME, x=0, y=0, w=width, h=40))
    elif header == 'parameters':
        items += [el('parameter-field', name='HospitalName', x=0, y=0, w=width, h=16, font_size=12, bold=True,
                     align='center'),
                  el('parameter-field', name='Address1', x=0, y=16, w=width, h=12, align='center'),
                  el('parameter-field', name='Address2', x=0, y=28, w=width, h=12, align='center')]
    else:
        # The hospital's name comes as the report's author, its address from
        # the same record the other headings' address line comes from.
        items += [el('summary-field', name='author', x=0, y=0, w=width, h=16, font_size=12, bold=True,
                     align='center'),
                  el('field', name='Address1', query='hospital', x=0, y=16, w=width, h=12, align='center')]
    items += [
        el('text', 'Department of Health \u00b7 Hospital Statistical Report', x=0, y=44, w=width, h=11,
           font_size=8, italic=True, align='center'),
        el('summary-field', name='title', x=0, y=56, w=width, h=16, font_size=12, bold=True, align='center',
           can_grow=True),
    ]
    if period:
        items.append(el('special', kind='period', **{'from': 'FromDate'}, to='ToDate', x=0, y=74, w=width, h=12,
                        font_size=9, align='center'))
    else:
        items.append(el('text', subtitle, x=0, y=74, w=width, h=12, font_size=9, align='center'))
    if period_note:
        items.append(el('field', name='PeriodNote', query='generated', when='rows', when_query='generated', x=0, y=86,
                        w=width, h=9, font_size=7, italic=True, align='center'))
        items.append(el('line', x1=0, y1=97, x2=width, y2=97, pen=1))
        return section('report-header', 103, items)
    items.append(el('line', x1=0, y1=92, x2=width, y2=92, pen=1))
    return section('report-header', 98, items)


def page_footer(width):
    half = width / 2
    return section('page-footer', 18, [
        el('line', x1=0, y1=2, x2=width, y2=2, pen=0.5),
        el('special', kind='print-date', x=0, y=5, w=half, h=10, font_size=7, date_format="'Printed' MMMM d, yyyy"),
        el('special', kind='page-n-of-m', x=half, y=5, w=half, h=10, font_size=7, align='right'),
    ])


# Report IDs that several sections share: their one report-log entry cannot
# say which of them was generated.
SHARED_REPORT_IDS = {'II.'}


def generated_note(width, y, report_id):
    """When, and by whom, the figures were generated, or that they never were.
    The program's record says it of the section; where there is none (a
    generation of an earlier version, a server without the record) the report
    log's entry for the report ID is all there is."""
    if report_id is None:
        return []
    logged = (f"'Figures generated with the other {report_id} sections on' MMMM d, yyyy" if report_id in SHARED_REPORT_IDS
              else "'Figures generated on' MMMM d, yyyy")
    return [
        el('field', name='GeneratedNote', query='generated', when='rows', when_query='generated', x=0, y=y, w=width,
           h=10, font_size=7, italic=True),
        el('field', name='LogDate', query='generated', when='rows', when_query='generated', x=0, y=y, w=width, h=10,
           font_size=7, italic=True, date_format=logged),
        el('text', 'This section has not been generated for this period: generate it first, then print it again.',
           when='no-rows', when_query='generated', x=0, y=y, w=width, h=10, font_size=7, italic=True, bold=True),
    ]


def footer_sections(width, report_id, empty_text, notes):
    """The rule under the figures, what an empty list says, the notes and
    when the figures were generated: one section each, so that a note that
    wraps pushes the next one down."""
    first = [el('line', x1=0, y1=1, x2=width, y2=1, pen=0.75)]
    if empty_text:
        first.append(el('text', empty_text, when='no-rows', x=3, y=5, w=width - 6, h=12, italic=True, font_size=9))
    sections = [section('report-footer', 5, first)]
    for note in notes:
        sections.append(section('report-footer', 3, [el('text', note, x=0, y=2, w=width, h=10, font_size=7,
                                                           can_grow=True)]))
    sections.append(section('report-footer', 14, generated_note(width, 3, report_id)))
    return sections


def generation(title, report_id):
    """The parameter, tables and queries of what the generation says: the
    section's title (a parameter no value reaches, so its default), the
    program's reading procedure, optional on a site's server, and the report
    log to fall back on."""
    parameters = [('Section', 'text', 'Section', title)]
    tables = [('generation', 'Patient_Data.dbo.sp_Velmora_Report_SectionGeneration', 'procedure', True),
              ('log', 'Patient_Data.dbo.tbMedNewDOHReportLog')]
    queries = [('generated', 'EXEC {generation} {?FromDate}, {?ToDate}, {?Section}', 'log'),
               ('log', "SELECT NULL AS GeneratedNote, NULL AS PeriodNote, LastUpdatedDate AS LogDate FROM {log} "
                       f"WHERE ReportID = '{report_id}' AND FromDate = {{?FromDate}} AND ToDate = {{?ToDate}}")]
    return parameters, tables, queries


def report_file(name, title, *, width, parameters, tables, queries, data, sections, header, landscape=False,
                groups=()):
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<!-- Written by reports/generate.py; change that description, not this file. -->',
           f'<report name="{name}" font="DejaVu Sans" font-size="8">',
           f'  {el("summary", title=title, subject="DOH hospital statistical report", author="", comments="")}',
           '  ' + el('page', size='letter', orientation='landscape' if landscape else 'portrait', margins=36),
           '  <parameters>']
    for pname, ptype, prompt, *default in parameters:
        out.append('    ' + el('parameter', name=pname, type=ptype, prompt=prompt,
                               default=default[0] if default else None))
    out.append('  </parameters>')
    out.append('  <tables>')
    for alias, location, *kind in tables:
        out.append('    ' + el('table', alias=alias, location=location, kind=kind[0] if kind else None,
                               optional=len(kind) > 1 and kind[1]))
    out.append('  </tables>')
    out.append('  <queries>')
    for qname, sql, *fallback in queries:
        out.append(f'    <query {attrs(name=qname, fallback=fallback[0] if fallback else None)}>{escape(sql)}</query>')
    out.append('  </queries>')
    if data:
        out.append('  ' + el('data', query=data))
    if groups:
        out.append('  <groups>')
        for field in groups:
            out.append('    ' + el('group', field=field))
        out.append('  </groups>')
    out.append('  <sections>')
    out += sections
    out.append('  </sections>')
    if header == 'subreport':
        out.append('  <subreports>')
        out.append(header_subreport().replace('{w}', str(width)))
        out.append('  </subreports>')
    out.append('</report>')
    return "\n".join(out) + "\n"


# ---------------------------------------------------------------- tables

class Col:
    """A column of a table report: its heading, the field it prints and how."""

    def __init__(self, heading, field, width, kind='count', group=None):
        self.heading, self.field, self.width, self.kind, self.group = heading, field, width, kind, group

    def element(self, x, y, h, column, bold=False, italic=False, font_size=None, field=None):
        # A little room on the side a value is aligned to, so that neighbours never touch.
        right = self.kind in ('count', 'rate')
        common = dict(x=x if right else x + 3, y=y, w=self.width - 4 if right else self.width - 3, h=h, column=column,
                      bold=bold, italic=italic, font_size=font_size)
        name = field or self.field
        if self.kind == 'count':
            return el('field', name=name, align='right', format=COUNT, **common)
        if self.kind == 'rate':
            return el('field', name=name, align='right', format=RATE, null_text=DASH, **common)
        if self.kind == 'wide':
            return el('field', name=name, can_grow=True, **common)
        return el('field', name=name, **common)


def column_headings(cols, width, font_size, heading_lines=2):
    """Group captions over their columns, then each column's words."""
    items = []
    has_groups = any(c.group for c in cols)
    y = 3
    if has_groups:
        x, i = 0, 0
        while i < len(cols):
            c = cols[i]
            span = 1
            while c.group and i + span < len(cols) and cols[i + span].group == c.group:
                span += 1
            w = sum(cc.width for cc in cols[i:i + span])
            if c.group:
                items.append(el('text', c.group, x=x + 1, y=y, w=w - 2, h=10, column=i + 1, span=span if span > 1 else None,
                                bold=True, align='center', font_size=font_size))
                items.append(el('line', x1=x + 2, y1=y + 11, x2=x + w - 2, y2=y + 11, pen=0.5))
            x += w
            i += span
        y += 13
    x = 0
    for i, c in enumerate(cols):
        align = 'left' if c.kind in ('text', 'wide', 'code') else 'right'
        items.append(el('text', c.heading, x=x + 3 if align == 'left' else x, y=y, w=c.width - 4 if align == 'right'
                        else c.width - 3, h=heading_lines * 9, column=i + 1, bold=True, align=align, can_grow=True,
                        font_size=font_size))
        x += c.width
    height = y + heading_lines * 9 + 5
    items.insert(0, el('box', x=0, y=1, w=width, h=height - 2, pen=0.5))
    return section('page-header', height, items), height


def row_items(cols, y, h, bold=False, italic=False, font_size=None, label=None):
    items = []
    x = 0
    for i, c in enumerate(cols):
        if label is not None and i == 0:
            items.append(el('text', label, x=x + 2, y=y, w=c.width - 2, h=h, column=1, bold=bold, italic=italic,
                            font_size=font_size))
        else:
            e = c.element(x + (2 if i == 0 else 0), y, h, i + 1, bold=bold, italic=italic, font_size=font_size)
            items.append(e)
        x += c.width
    return items


def table_report(name, title, table, cols, *, report_id, width=PORTRAIT, landscape=False, header='subreport',
                 parameters=None, where="", select=None, plain=None, special_rows=(), empty_text=None, notes=(),
                 font_size=8, group=None, heading_lines=2):
    """Rows of a report table for the period, in its row order.

    plain: (field, value, equal) choosing the ordinary rows when some rows are
    printed apart; special_rows: (field, value, label or None, look) for each
    row printed apart, look 'total' (bold) or 'apart' (italic), ruled above."""
    parameters = parameters or date_parameters()
    if select is None:
        select = "SELECT * FROM {t} WHERE FromDate = {?FromDate} AND ToDate = {?ToDate}"
        if where:
            select += " AND " + where
        select += " ORDER BY RowOrder"
    extra, generation_tables, generation_queries = generation(title, report_id)
    queries = [('main', select)] + generation_queries
    fs = font_size if font_size != 8 else None
    page_header, _ = column_headings(cols, width, fs - 1 if fs else None, heading_lines)
    sections = [report_header(width, header, period_note=True), page_header]
    if group:
        sections.append(section('group-header', 17, [
            el('field', name=group, x=2, y=5, w=width - 4, h=11, bold=True, font_size=9)], group=1))
    condition = {}
    if plain:
        field, value, equal = plain
        condition = {'when_field': field, ('when_equals' if equal else 'when_not_equals'): value}
    sections.append(section('detail', 11, row_items(cols, 0, 11, font_size=fs), **condition))
    for field, value, label, look in special_rows:
        items = [el('line', x1=0, y1=1, x2=width, y2=1, pen=0.75)]
        items += row_items(cols, 3, 11, bold=look == 'total', italic=look == 'apart', font_size=fs, label=label)
        sections.append(section('detail', 15, items, when_field=field, when_equals=value))
    sections += footer_sections(width, report_id, empty_text, notes)
    sections.append(page_footer(width))
    tables = [('t', f'Patient_Data.dbo.{table}')] + generation_tables
    return report_file(name, title, width=width, parameters=parameters + extra, tables=tables, queries=queries,
                       data='main', sections=sections, header=header, landscape=landscape,
                       groups=[group] if group else ())


AGE_GROUPS = [('Under 1', 'AgeUnder1'), ('1\u20134', 'Age1To4'), ('5\u20139', 'Age5To9'), ('10\u201314', 'Age10To14'),
              ('15\u201319', 'Age15To19'), ('20\u201344', 'Age20To44'), ('45\u201364', 'Age45To64'),
              ('65 and over', 'Age65AndOver')]


def leading_causes(name, title, table, report_id, cause, notes):
    cols = [Col('Rank', 'RowOrder', 30), Col('ICD-10 code', 'ICDCode', 44, 'code'), Col(cause, 'Title', 230, 'wide'),
            Col('Male', 'Male', 38, group='Sex'), Col('Female', 'Female', 38, group='Sex')]
    cols += [Col(h, f, 36, group='Age group (years)') for h, f in AGE_GROUPS]
    cols.append(Col('Total', 'Total', 52))
    return table_report(name, title, table, cols, report_id=report_id, width=LANDSCAPE, landscape=True,
                        empty_text='No cases in the period.', notes=notes)


def leading_operations(name, title, table, kind):
    cols = [Col('Rank', 'RowOrder', 40), Col('Procedure code (ICD-9-CM)', 'ProcedureCode', 90, 'code'),
            Col(f'{kind} operation', 'Title', 320, 'wide'), Col('Operations', 'Operations', 90)]
    return table_report(name, title, table, cols, report_id='II.9.1' if kind == 'Major' else 'II.9.2',
                        empty_text='No operations in the period.',
                        notes=['Ranked by the number of operations in the period; ties by procedure code.'])


# ---------------------------------------------------------------- forms

class Form:
    """One row laid out as labelled lines: the single-row sections."""

    def __init__(self, width):
        self.width = width
        self.sections = []
        self.items = []
        self.y = 0

    def heading(self, text):
        self.y += 4
        self.items.append(el('text', text, x=0, y=self.y, w=self.width, h=12, bold=True, font_size=9, column=1,
                             span=3))
        self.y += 15

    def line(self, label, field, kind='count', indent=0, bold=False, note=None):
        value_x = self.width - 200
        self.items.append(el('text', label, x=12 + indent, y=self.y, w=value_x - 24 - indent, h=11, bold=bold,
                             column=1, can_grow=True))
        fmt = dict(format=COUNT) if kind == 'count' else dict(format=RATE, null_text=DASH)
        self.items.append(el('field', name=field, x=value_x, y=self.y, w=80, h=11, align='right', bold=bold,
                             column=2, **fmt))
        if note:
            self.items.append(el('text', note, x=value_x + 90, y=self.y, w=110, h=11, font_size=7, italic=True,
                                 column=3, can_grow=True))
        self.y += 13

    def text(self, text, size=7):
        """A note under the lines, in a section of its own so that it pushes what follows down when it wraps."""
        self.close()
        self.sections.append(section('detail', 3, [el('text', text, x=12, y=2, w=self.width - 24, h=10,
                                                        font_size=size, italic=True, can_grow=True)]))

    def close(self):
        if self.items:
            self.sections.append(section('detail', self.y + 2, self.items))
        self.items, self.y = [], 0


def form_report(name, title, table, form, *, report_id, header='subreport', notes=()):
    width = form.width
    form.close()
    extra, generation_tables, generation_queries = generation(title, report_id)
    queries = [('main', "SELECT * FROM {t} WHERE FromDate = {?FromDate} AND ToDate = {?ToDate}")] + generation_queries
    sections = [report_header(width, header, period_note=True)] + form.sections + footer_sections(width, report_id,
                                                                                                   None, notes)
    sections.append(page_footer(width))
    tables = [('t', f'Patient_Data.dbo.{table}')] + generation_tables
    return report_file(name, title, width=width, parameters=date_parameters() + extra, tables=tables, queries=queries,
                       data='main', sections=sections, header=header)


# ---------------------------------------------------------------- the sections

PEDIA_NOTE = 'Paediatric: age in whole years at the event of at most the DOH report setup\'s paediatric age; adult otherwise.'
NEWBORN_NOTE = 'Newborns (the DOH report setup\'s newborn service) are reported apart from the other patients.'


def by_service(cols, total_label='Total', newborn=False):
    rows = [('RowType', 'TOTAL', total_label, 'total')]
    if newborn:
        rows.append(('RowType', 'NEWBORN', None, 'apart'))
    return rows


def reports():
    files = {}

    files['rptNewDOHBedOccupancyRate.rpt'] = table_report(
        'rptNewDOHBedOccupancyRate', 'I.3.4 Allocation of Beds', 'tbDOHRptSectionI34',
        [Col('Service', 'Service', 130, 'wide'), Col('Authorized beds', 'AuthorizedBeds', 66, group='Beds'),
         Col('Implementing beds', 'ImplementingBeds', 66, group='Beds'), Col('Days in the period', 'DaysInPeriod', 60),
         Col('Inpatient service days', 'ServiceDays', 70),
         Col('On authorized beds', 'BOR', 74, 'rate', group='Bed occupancy rate (%)'),
         Col('On implementing beds', 'BORImplementing', 74, 'rate', group='Bed occupancy rate (%)')],
        report_id='I.3.4', heading_lines=3, plain=('RowType', 'SERVICE', True), special_rows=by_service(None),
        empty_text='No beds or service days in the period.',
        notes=['Bed occupancy rate = inpatient service days \u00d7 100 \u00f7 (beds \u00d7 days in the period); '
               'it may exceed 100. ' + NEWBORN_NOTE.replace('are reported apart from the other patients',
                                                            'and their bassinets are not counted')])

    files['rptNewDOHLaboratoryServices.rpt'] = table_report(
        'rptNewDOHLaboratoryServices', 'I.9 Laboratory Services', 'tbDOHRptSectionI9',
        [Col('Laboratory section', 'Section', 240, 'text'), Col('Inpatient', 'Inpatient', 100, group='Examinations'),
         Col('Outpatient', 'Outpatient', 100, group='Examinations'), Col('Total', 'Total', 100)],
        report_id='I.9', header='parameters', parameters=hospital_parameters() + date_parameters(),
        plain=('RowOrder', '7', False), special_rows=[('RowOrder', '7', None, 'total')],
        notes=['Numbers of laboratory examinations done in the period, by section of the laboratory.'])

    form = Form(PORTRAIT)
    form.heading('Patient movement')
    form.line('Inpatients at the start of the period', 'InpatientsAtStart')
    form.line('Admissions (transfers in included)', 'Admissions')
    form.line('of which transfers in from other hospitals', 'TransfersIn', indent=12)
    form.line('Discharges (alive)', 'DischargesAlive')
    form.line('Deaths', 'Deaths')
    form.line('Inpatients at the end of the period', 'InpatientsAtEnd', bold=True)
    form.line('Admitted and discharged on the same day', 'AdmittedDischargedSameDay')
    form.line('Newborns born in the hospital (live births)', 'NewbornsBornHere')
    form.heading('Service days and bed occupancy')
    form.line('Inpatient service days', 'ServiceDays')
    form.line('Days in the period', 'DaysInPeriod')
    form.line('Authorized beds', 'AuthorizedBeds')
    form.line('Implementing beds', 'ImplementingBeds')
    form.line('Bed occupancy rate on authorized beds (%)', 'BOR', 'rate', bold=True)
    form.line('Bed occupancy rate on implementing beds (%)', 'BORImplementing', 'rate')
    form.heading('Length of stay')
    form.line('Discharges (deaths included)', 'Discharges')
    form.line('Total length of stay of the discharges (days)', 'TotalLengthOfStay')
    form.line('Average length of stay (days)', 'ALOS', 'rate', bold=True)
    files['rptNewDOHSummaryOfPatientsInHospital.rpt'] = form_report(
        'rptNewDOHSummaryOfPatientsInHospital', 'II. Hospital Operations. A.Summary of Patients in the Hospital',
        'tbDOHRptSectionII1', form, report_id='II.',
        notes=['Inpatients at the end = at the start + admissions \u2212 discharges (alive) \u2212 deaths. '
               'Bed occupancy rate = inpatient service days \u00d7 100 \u00f7 (beds \u00d7 days in the period). '
               'Average length of stay = total length of stay \u00f7 discharges. ' + NEWBORN_NOTE])

    payer, condition, death = 32, 44, 30
    files['rptNewDOHInpatientDischargesByService.rpt'] = table_report(
        'rptNewDOHInpatientDischargesByService', 'II. Hospital Operations. B. Discharges', 'tbDOHRptSectionII21',
        [Col('Type of service', 'Service', 90, 'wide'), Col('Patients', 'Patients', 34),
         Col('Total length of stay', 'TotalLengthOfStay', 38),
         Col('Pay', 'NonPhilHealthPay', payer, group='Non-PhilHealth'),
         Col('Service', 'NonPhilHealthService', payer, group='Non-PhilHealth'),
         Col('Pay', 'PhilHealthPay', payer, group='PhilHealth'),
         Col('Service', 'PhilHealthService', payer, group='PhilHealth'),
         Col('HMO', 'HMO', payer, group='Other payers'), Col('OWWA', 'OWWA', payer, group='Other payers'),
         Col('Recovered / improved', 'RecoveredImproved', condition, group='Condition on discharge'),
         Col('Transferred', 'Transferred', condition, group='Condition on discharge'),
         Col('Home against advice', 'HomeAgainstAdvice', condition, group='Condition on discharge'),
         Col('Absconded', 'Absconded', condition, group='Condition on discharge'),
         # One word that cannot wrap: its column holds it whole.
         Col('Unimproved', 'Unimproved', condition + 8, group='Condition on discharge'),
         Col('Under 48 h', 'DeathsUnder48h', death, group='Deaths'),
         Col('48 h or more', 'Deaths48hOrMore', death, group='Deaths'),
         Col('Total', 'TotalDeaths', death, group='Deaths'), Col('Total discharges', 'TotalDischarges', 40)],
        report_id='II.', width=LANDSCAPE, landscape=True, font_size=7, heading_lines=3,
        plain=('RowType', 'SERVICE', True), special_rows=by_service(None, newborn=True),
        notes=['Discharges include deaths; a death under 48 h is one less than 48 hours after admission. '
               'Total length of stay: the days from admission to discharge, a same-day stay counting 1 day.',
               NEWBORN_NOTE + ' The total leaves them out.'])

    files['rptNewDOHALOSAndMorbidity.rpt'] = table_report(
        'rptNewDOHALOSAndMorbidity', 'II. B.1. Average Length of Stay (ALOS)', 'tbDOHRptSectionII22',
        [Col('Type of service', 'Service', 240, 'wide'), Col('Discharges (deaths included)', 'Discharges', 100),
         Col('Total length of stay (days)', 'TotalLengthOfStay', 100),
         Col('Average length of stay (days)', 'ALOS', 100, 'rate')],
        report_id='II.', plain=('RowType', 'SERVICE', True),
        special_rows=by_service(None, newborn=True),
        notes=['Average length of stay = total length of stay of the discharges \u00f7 number of discharges. '
               + NEWBORN_NOTE + ' The total leaves them out.'])

    files['rptNewDOHLeadingCausesOfMorbidity.rpt'] = leading_causes(
        'rptNewDOHLeadingCausesOfMorbidity', 'II. B.2. Top 10 Leading Causes of Morbidity', 'tbDOHRptSectionII3', 'II.',
        'Cause of morbidity (final diagnosis)',
        ['Discharges of the period by the ICD-10 category of the final diagnosis, newborns not included; '
         'age at admission. Ranked by count, ties by code.'])

    form = Form(PORTRAIT)
    form.heading('B.3 Deliveries')
    form.line('Normal spontaneous deliveries', 'NormalDeliveries')
    form.line('Operative vaginal deliveries', 'OperativeVaginalDeliveries')
    form.line('Caesarean sections', 'CaesareanDeliveries')
    form.line('Total deliveries', 'TotalDeliveries', bold=True)
    form.line('Live births', 'LiveBirths')
    form.line('Fetal deaths', 'FetalDeaths')
    form.line('Caesarean section rate (%)', 'CaesareanRate', 'rate', bold=True)
    form.text('A delivery is one mother: twins are one delivery and two births. '
              'Caesarean section rate = caesarean deliveries \u00d7 100 \u00f7 all deliveries.')
    form.close()
    form.heading('B.4 Outpatient visits')
    form.line('New patients, adult', 'NewAdult')
    form.line('New patients, paediatric', 'NewPedia')
    form.line('Revisits, adult', 'RevisitAdult')
    form.line('Revisits, paediatric', 'RevisitPedia')
    form.line('Total new patients', 'TotalNew', bold=True)
    form.line('Total revisits', 'TotalRevisit', bold=True)
    form.line('Total adult', 'TotalAdult', bold=True)
    form.line('Total paediatric', 'TotalPedia', bold=True)
    form.line('Total outpatient visits', 'TotalOutpatientVisits', bold=True)
    form.text(PEDIA_NOTE)
    files['rptDeliveriesAndOutpatientVisits.rpt'] = form_report(
        'rptDeliveriesAndOutpatientVisits', 'II. B.3 Total Number of Deliveries and B.4 Outpatient Visits',
        'tbDOHRptDeliveriesAndOutpatientVisits', form, report_id='II.')

    group_caption = ("CASE RowGroup WHEN 'VISITS' THEN 'Emergency visits' WHEN 'TEST' THEN 'Tests performed' "
                     "WHEN 'OTHER' THEN 'Other services performed' ELSE 'Diseases seen (ten leading)' END")
    files['rptERTestingAndOthers.rpt'] = table_report(
        'rptERTestingAndOthers', 'II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen',
        'tbDOHRptERTestingAndOthers',
        [Col('ICD-10', 'ICDCode', 50, 'code'), Col('Item', 'Item', 280, 'wide'), Col('Adult', 'Adult', 70),
         Col('Paediatric', 'Pedia', 70), Col('Total', 'Total', 70)],
        report_id='II.', heading_lines=1,
        select=(f"SELECT RowOrder, {group_caption} AS GroupCaption, CASE WHEN RowGroup = 'DISEASE' THEN Code END "
                "AS ICDCode, Item, Adult, Pedia, Total FROM {t} "
                "WHERE FromDate = {?FromDate} AND ToDate = {?ToDate} ORDER BY RowOrder"),
        group='GroupCaption', plain=('RowOrder', '1', False),
        special_rows=[('RowOrder', '1', None, 'total')],
        notes=['Emergency visits by disposition; tests and other services counted in the period of their visit; '
               'diseases seen by the ICD-10 category of the visit diagnosis.', PEDIA_NOTE])

    form = Form(PORTRAIT)
    form.heading('Deaths')
    form.line('Inpatient deaths (newborns not included)', 'InpatientDeaths', bold=True)
    form.line('under 48 hours after admission', 'DeathsUnder48h', indent=12)
    form.line('48 hours or more after admission', 'Deaths48hOrMore', indent=12)
    form.line('Emergency room deaths', 'EmergencyRoomDeaths')
    form.line('Dead on arrival', 'DeadOnArrival')
    form.line('Fetal deaths', 'FetalDeaths')
    form.line('Neonatal deaths (inpatients dead before day 28)', 'NeonatalDeaths')
    form.line('Maternal deaths', 'MaternalDeaths')
    form.line('Newborn deaths', 'NewbornDeaths')
    form.heading('Bases of the rates')
    form.line('Discharges (deaths included, newborns not included)', 'Discharges')
    form.line('Obstetric discharges', 'ObstetricDischarges')
    form.line('Newborn discharges', 'NewbornDischarges')
    form.heading('Death rates (%)')
    form.line('Gross death rate', 'GrossDeathRate', 'rate', bold=True)
    form.line('Net death rate', 'NetDeathRate', 'rate', bold=True)
    form.line('Maternal death rate', 'MaternalDeathRate', 'rate')
    form.line('Newborn death rate', 'NewbornDeathRate', 'rate')
    form.text('Gross death rate = inpatient deaths \u00d7 100 \u00f7 discharges. '
              'Net death rate = (inpatient deaths \u2212 deaths under 48 h) \u00d7 100 \u00f7 '
              '(discharges \u2212 deaths under 48 h).')
    form.text('Maternal death rate = maternal deaths \u00d7 100 \u00f7 obstetric discharges. '
              'Newborn death rate = newborn deaths \u00d7 100 \u00f7 newborn discharges. '
              'Dead on arrival, emergency room and fetal deaths are not inpatient deaths. ' + DASH + ': no base.')
    deaths = form
    files['rptNewDOHDeathsNew.rpt'] = form_report('rptNewDOHDeathsNew', 'II. C. Deaths', 'tbDOHRptSectionIII', deaths,
                                                  report_id='II.')
    # The older dialog's "II.6 Death" shows the same figures.
    files['rptNewDOHDeaths.rpt'] = files['rptNewDOHDeathsNew.rpt'].replace(
        'rptNewDOHDeathsNew', 'rptNewDOHDeaths').replace('title="II. C. Deaths"', 'title="II.6 Death"')

    files['rptNewDOHLeadingCausesOfMortality.rpt'] = leading_causes(
        'rptNewDOHLeadingCausesOfMortality', 'II. C. Deaths 3.Top 10 Leading Causes of Mortality', 'tbDOHRptSectionII7',
        'II.', 'Cause of death (underlying cause)',
        ['Inpatient deaths of the period, newborns included, by the ICD-10 category of the underlying cause '
         '(the final diagnosis when none is recorded); age at death. Ranked by count, ties by code.'])

    files['rptNewDOHSurgicalOperationsByMedicareType.rpt'] = table_report(
        'rptNewDOHSurgicalOperationsByMedicareType', 'II.8 Surgical Operations', 'tbDOHRptSectionII8',
        [Col('Operations', 'OperationType', 240, 'text'), Col('PhilHealth', 'PhilHealth', 100),
         Col('Non-PhilHealth', 'NonPhilHealth', 100), Col('Total', 'Total', 100)],
        report_id='II.8', plain=('RowOrder', '3', False), special_rows=[('RowOrder', '3', None, 'total')],
        notes=['Operations done in the period by the patient\'s payer: PhilHealth (pay and service) or not.'])

    files['rptNewDOHTop10LeadingMajorOperation.rpt'] = leading_operations(
        'rptNewDOHTop10LeadingMajorOperation', 'II.9.1 10 Leading Major Operations', 'tbDOHRptSectionII91', 'Major')
    files['rptNewDOHTop10LeadingMinorOperation.rpt'] = leading_operations(
        'rptNewDOHTop10LeadingMinorOperation', 'II.9.2 10 Leading Minor Operations', 'tbDOHRptSectionII92', 'Minor')

    files['rptNewDOHLeadingCausesOfERCases.rpt'] = leading_causes(
        'rptNewDOHLeadingCausesOfERCases', 'II.9.3 10 Leading Causes of Emergency Cases(OLD)', 'tbDOHRptSectionII103',
        'II.9.3', 'Cause of emergency visit (diagnosis)',
        ['Emergency visits of the period by the ICD-10 category of the visit diagnosis; age at the visit.'])
    files['rptNewDOHLeadingCausesOfOPDConsultations.rpt'] = leading_causes(
        'rptNewDOHLeadingCausesOfOPDConsultations', 'III.11.4 Leading Causes of Consultation (OPD)(OLD)',
        'tbDOHRptSectionIII114', 'III.11.4', 'Cause of consultation (diagnosis)',
        ['Outpatient visits of the period by the ICD-10 category of the visit diagnosis; age at the visit.'])

    files['rtpHealthAssociatedInf.rpt'] = table_report(
        'rtpHealthAssociatedInf', 'II. D. Health Associated Infections', 'tbDOHRptHealthAssociatedInf',
        [Col('Infection', 'Description', 200, 'wide'), Col('Infections', 'Infections', 64),
         Col('Base', 'Denominator', 64), Col('Base counted in', 'DenominatorName', 92, 'text'),
         Col('Rate per', 'RatePer', 50), Col('Rate', 'Rate', 70, 'rate')],
        report_id='II.', plain=('RowOrder', '6', False), special_rows=[('RowOrder', '6', None, 'total')],
        notes=['Device-associated infection rates per 1,000 ventilator-, central-line- or catheter-days; '
               'surgical site infections per 100 operations; all infections per 100 discharges (newborns included).'])

    files['rptSurgicalProcedure.rpt'] = table_report(
        'rptSurgicalProcedure', 'II. E. Surgical Operations', 'tbDOHRptSurgicalProcedure',
        [Col('Type of service', 'Service', 200, 'wide'), Col('Major', 'Major', 64, group='Operations'),
         Col('Minor', 'Minor', 64, group='Operations'), Col('Total', 'Total', 64, group='Operations'),
         Col('Surgical site infections', 'SurgicalSiteInfections', 74),
         Col('Surgical site infection rate (%)', 'SurgicalSiteInfectionRate', 74, 'rate')],
        report_id='II.', heading_lines=3, plain=('RowType', 'SERVICE', True), special_rows=by_service(None),
        empty_text='No operations in the period.',
        notes=['Surgical site infection rate = surgical site infections \u00d7 100 \u00f7 operations. '
               'Operations without a service are counted under the DOH report setup\'s surgery service.'])

    files['rptNewDOHHospitalGeneralInformation.rpt'] = hospital_general_information()
    files['rptVelmoraCheck.rpt'] = check_report()
    return files


def hospital_general_information():
    """Section I as the DOH form prints it: ticked boxes and filled-in lines."""
    width = PORTRAIT
    half = width / 2
    sections = [report_header(width, 'author', period=False, subtitle='For the year {?Year}')]
    items, y = [], 0

    def close():
        nonlocal items, y
        if items:
            sections.append(section('detail', y + 4, items))
        items, y = [], 0

    def heading(text):
        nonlocal y
        y += 3
        items.append(el('text', text, x=0, y=y, w=width, h=12, bold=True, font_size=9, column=1, span=4))
        y += 15

    def entry(label, field, kind='text'):
        nonlocal y
        label_width = 150 if kind == 'text' else 250
        items.append(el('text', label, x=12, y=y, w=label_width, h=11, column=1, span=2))
        if kind == 'text':
            items.append(el('field', name=field, x=170, y=y, w=width - 170, h=11, can_grow=True, column=3, span=2))
        else:
            fmt = dict(format=COUNT) if kind == 'count' else dict(format=RATE, null_text=DASH)
            items.append(el('field', name=field, x=270, y=y, w=70, h=11, align='right', column=3, **fmt))
        y += 12

    def ticks(label, options, one_column=False):
        """A caption, then its options two to a line, each a box with X when set."""
        nonlocal y
        if label:
            items.append(el('text', label, x=12, y=y, w=width - 12, h=11, italic=True, column=1, span=4))
            y += 12
        for i, (field, caption, *extra) in enumerate(options):
            x = 24 if i % 2 == 0 or one_column else half + 12
            column = 1 if i % 2 == 0 or one_column else 3
            items.append(el('box', x=x, y=y + 1, w=8, h=8, pen=0.5))
            items.append(el('field', name=field, x=x, y=y, w=8, h=10, bold=True, font_size=7, align='center',
                            column=column))
            caption_width = (190 if one_column else 70) if extra else half - 50
            items.append(el('text', caption, x=x + 12, y=y, w=caption_width, h=11, column=column + 1))
            if extra:
                items.append(el('field', name=extra[0], x=x + 14 + caption_width, y=y,
                                w=(width - 24 if one_column else half) - caption_width - 26, h=11, italic=True,
                                column=column + 2 if one_column else None))
            if i % 2 == 1 or i == len(options) - 1 or one_column:
                y += 12

    heading('1. Name and address of the health facility')
    entry('Name of the health facility', 'HealthFacilityName')
    entry('Street address', 'StreetAddress')
    entry('Municipality / city', 'Municipality')
    entry('Province', 'Province')
    entry('Region', 'Region')
    entry('Telephone', 'ContactNo')
    entry('Fax', 'FaxNo')
    entry('E-mail address', 'EmailAddress')
    close()
    heading('2. Classification')
    ticks('General or special', [('IsGeneral', 'General'), ('IsSpecial', 'Special: specify', 'SpecialSpecify')])
    ticks('Specialty', [('TreatsParticularDisease', 'Treats a particular disease'),
                        ('TreatsParticularOrgan', 'Treats a particular organ'),
                        ('TreatsParticularClass', 'Treats a particular class of patient'),
                        ('TreatsOthers', 'Others')])
    ticks('Type of facility', [('IsBirthingHome', 'Birthing Home'), ('IsInfirmary', 'Infirmary'),
                               ('IsAcuteChronic', 'Acute-Chronic Psychiatric Care Facility'),
                               ('IsCustodialPsychiatric', 'Custodial Psychiatric Care Facility')])
    ticks('Service capability', [('IsFirstLevel', 'First Level Referral Hospital / Primary Care'),
                                 ('IsSecondLevel', 'Second Level Referral Hospital / Secondary Care'),
                                 ('IsThirdLevel', 'Third Level Referral Hospital / Tertiary Care')])
    ticks('Trauma capability', [('TraumaCapable', 'Trauma capable'), ('TraumaReceiving', 'Trauma receiving')])
    close()
    heading('3. Nature of ownership')
    ticks('Government', [('OwnNational', 'National: DOH retained / renationalized'),
                         ('OwnLocal', 'Local:', 'LocalParticular'),
                         ('OwnDNDDOJ', 'DND / DOJ'), ('OwnSUCs', 'State universities and colleges (SUCs)'),
                         ('OwnOtherAgency', 'Other agency:', 'OtherAgencySpecify'),
                         ('OwnGovOthers', 'Others:', 'OwnershipGovOthers')])
    ticks('Private', [('OwnSingleProprietor', 'Single proprietorship / partnership / corporation'),
                      ('OwnReligious', 'Religious'), ('OwnCivicOrganization', 'Civic organization'),
                      ('OwnFoundation', 'Foundation'), ('OwnPrivateOthers', 'Others:', 'OwnershipPrivateOthers')])
    close()
    heading('4. Quality management')
    ticks(None, [('QMISOCertified', 'ISO certified; valid', 'QMISOCertifiedValPeriod'),
                 ('QMIntlAccreditation', 'International accreditation; valid', 'QMIntlAccreditationValPeriod'),
                 ('QMPhicAccreditation', 'PhilHealth accreditation; valid', 'QMPhicAccreditationValPeriod'),
                 ('QMPCAHO', 'PCAHO accreditation; valid', 'QMPCAHOValPeriod')], one_column=True)
    entry('PhilHealth accreditation', 'PhilhealthAccreditationParticular')
    close()
    heading('5. Bed capacity')
    entry('Authorized beds', 'AuthorizedBed', 'count')
    entry('Implementing beds', 'ActualBed', 'count')
    entry('Additional beds', 'AdditionalBed', 'count')
    entry('Bed occupancy rate of the year on authorized beds (%)', 'YearBOR', 'rate')
    entry('Bed occupancy rate of the year on implementing beds (%)', 'YearBORImplementing', 'rate')
    items.append(el('text', 'The bed occupancy rates are those of II. A. Summary of Patients generated for the whole '
                    'year; ' + DASH + ' until it is.', x=12, y=y, w=width - 24, h=10, font_size=7, italic=True,
                    can_grow=True))
    y += 12
    close()
    sections.append(page_footer(width))
    return report_file('rptNewDOHHospitalGeneralInformation', 'I. Hospital General Information', width=width,
                       parameters=[('Year', 'text', 'Year')],
                       tables=[('info', 'Patient_Data.dbo.sp_DOH_Report_HospitalGeneralInformation', 'procedure'),
                               ('hospital', 'Patient_Data.dbo.tbHospitalInfo')],
                       queries=[('main', 'EXEC {info} {?Year}'), ('hospital', 'SELECT Address1 FROM {hospital}')],
                       data='main', sections=sections, header=None)


def check_report():
    """Check's findings for a period: rows the program gives the report (no
    table of the database holds them), grouped by rule, with what to do."""
    width = LANDSCAPE
    cols = [Col('No.', 'RowOrder', 34), Col('Sections concerned', 'Sections', 226, 'wide'),
            Col('Figures or record', 'Figures', 460, 'wide')]
    page_header, _ = column_headings(cols, width, None, 1)
    sections = [report_header(width, 'subreport'), page_header,
                section('group-header', 30, [
                    el('field', name='RuleTitle', x=2, y=5, w=width - 4, h=11, bold=True, font_size=9, can_grow=True),
                    el('field', name='Action', x=12, y=17, w=width - 14, h=10, italic=True, can_grow=True),
                ], group=1),
                section('detail', 11, row_items(cols, 0, 11)),
                section('group-footer', 14, [
                    el('line', x1=0, y1=1, x2=width, y2=1, pen=0.5),
                    el('text', 'finding(s) of this rule', x=36, y=2, w=220, h=10, italic=True, column=2),
                    el('formula', kind='count', over='group', x=0, y=2, w=30, h=10, align='right', format=COUNT,
                       italic=True, column=1),
                ], group=1),
                section('report-footer', 20, [
                    el('line', x1=0, y1=1, x2=width, y2=1, pen=0.75),
                    el('text', 'No findings: every rule that could be applied holds for this period.', when='no-rows',
                       x=3, y=5, w=width - 6, h=12, italic=True, font_size=9),
                    el('text', 'finding(s) in all', when='rows', x=36, y=5, w=220, h=12, bold=True, column=2),
                    el('formula', kind='count', over='report', when='rows', x=0, y=5, w=30, h=12, align='right',
                       format=COUNT, bold=True, column=1),
                ]),
                section('report-footer', 14, [
                    el('text', 'Not checked:', when='rows', when_query='notes', x=0, y=2, w=80, h=10, bold=True,
                       font_size=7),
                    el('field', name='Notes', query='notes', when='rows', when_query='notes', x=80, y=2,
                       w=width - 80, h=10, font_size=7, can_grow=True),
                ]),
                section('report-footer', 14, [
                    el('text', 'Rules between the sections generated for the period and edits on the period\'s '
                       'patient records (docs/checks.md). Correct what a finding names, generate the sections '
                       'again, then check again.', x=0, y=2, w=width, h=10, font_size=7, italic=True, can_grow=True),
                ]),
                page_footer(width)]
    return report_file('rptVelmoraCheck', 'Check', width=width, parameters=date_parameters(),
                       tables=[('f', 'Patient_Data.dbo.VelmoraCheckFindings'),
                               ('n', 'Patient_Data.dbo.VelmoraCheckNotes')],
                       queries=[('main', 'SELECT * FROM {f}'), ('notes', 'SELECT * FROM {n}')], data='main',
                       sections=sections, header='subreport', landscape=True, groups=['RuleTitle'])


def main():
    check = '--check' in sys.argv[1:]
    stale = []
    for name, text in sorted(reports().items()):
        path = HERE / name
        if check:
            if not path.exists() or path.read_text(encoding='utf-8') != text:
                stale.append(name)
        else:
            path.write_text(text, encoding='utf-8')
    if stale:
        print('Report files out of date with reports/generate.py: ' + ', '.join(stale))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
