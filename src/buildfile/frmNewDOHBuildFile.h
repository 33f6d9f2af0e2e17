#pragma once

#include "adodb/Connection.h"

#include <QDialog>

// The build-file window: the main window. Lists the report sections with
// their last-generated time for the chosen period, generates the checked
// sections and opens the highlighted one's report.
class frmNewDOHBuildFile : public QDialog
{
    Q_OBJECT
public:
    explicit frmNewDOHBuildFile(QWidget *parent = nullptr);
    ~frmNewDOHBuildFile() override;

    // Keeps a reference to the shared connection.
    void InitializeForm(const adodb::ConnectionPtr &pobjConnection);
    // Fills the window and shows it modally; returns when it has closed.
    void LoadForm();
};
