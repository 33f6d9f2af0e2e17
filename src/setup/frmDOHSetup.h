#pragma once

#include "adodb/Connection.h"

#include <QDialog>

// The DOH report setup dialog: paediatric age limit and the newborn and
// surgery service codes. One object for the whole run.
class frmDOHSetup : public QDialog
{
    Q_OBJECT
public:
    // The dialog object of this run, created on first use.
    static frmDOHSetup &instance();

    // Stores the reference to the shared connection.
    void InitializeForm(const adodb::ConnectionPtr &connection);
    // Loads the setup and shows the dialog modally; returns when it has closed.
    void LoadForm();

private:
    explicit frmDOHSetup(QWidget *parent = nullptr);
};
