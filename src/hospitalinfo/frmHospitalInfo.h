#pragma once

#include "adodb/Connection.h"

#include <QDialog>

// The hospital's DOH general information: Section I and the supplementary
// record, loaded, edited, validated and saved. One object for the whole run.
class frmHospitalInfo : public QDialog
{
    Q_OBJECT
public:
    // The dialog object of this run, created on first use.
    static frmHospitalInfo &instance();

    // Stores the reference to the shared connection.
    void InitializeForm(const adodb::ConnectionPtr &connection);
    // Loads the record and shows the form modally; returns when it has closed.
    void LoadForm();

private:
    frmHospitalInfo();

    adodb::ConnectionPtr m_connection;
};
