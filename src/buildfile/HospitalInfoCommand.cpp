// The Hospital Info command: the hospital information form on the window's connection.
#include "buildfile/frmNewDOHBuildFile.h"

#include "hospitalinfo/frmHospitalInfo.h"

void frmNewDOHBuildFile::cmdEditHospitalInfo_Click()
{
    frmHospitalInfo &form = frmHospitalInfo::instance();
    form.InitializeForm(m_connection);
    form.LoadForm();
}
