#include "frmHospitalInfo.h"

#include <QCoreApplication>

namespace {

frmHospitalInfo *s_instance = nullptr;

void destroyInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

} // namespace

frmHospitalInfo &frmHospitalInfo::instance()
{
    if (!s_instance) {
        s_instance = new frmHospitalInfo;
        qAddPostRoutine(destroyInstance);
    }
    return *s_instance;
}

frmHospitalInfo::frmHospitalInfo()
{
    setObjectName(QStringLiteral("frmHospitalInfo"));
}

void frmHospitalInfo::InitializeForm(const adodb::ConnectionPtr &connection)
{
    m_connection = connection;
}

void frmHospitalInfo::LoadForm()
{
    exec();
}
