#include "about/versioninfo.h"

#include "platform/buildinfo.h"

QString AppCompanyName;
QString AppProductName;
QString AppVersion;
QString AppTitle;

TEXEVersionData GetEXEVersionData()
{
    TEXEVersionData data;
    data.CompanyName = QStringLiteral(PAIRSIGHT_COMPANY_NAME);
    data.FileDescription = QStringLiteral(PAIRSIGHT_PRODUCT_NAME);
    data.FileVersion = QStringLiteral(PAIRSIGHT_VERSION);
    data.InternalName = QStringLiteral("pairsight");
    data.LegalCopyright = QStringLiteral("Copyright (C) " PAIRSIGHT_COMPANY_NAME);
    data.OriginalFileName = QStringLiteral("pairsight");
    data.ProductName = QStringLiteral(PAIRSIGHT_PRODUCT_NAME);
    data.ProductVersion = QStringLiteral(PAIRSIGHT_VERSION);
    return data;
}

std::uint32_t getExeFixedVersion()
{
    return (std::uint32_t {PAIRSIGHT_VERSION_MAJOR} << 16) | std::uint32_t {PAIRSIGHT_VERSION_MINOR};
}

QString formatFixedVersion(std::uint32_t majorMinor)
{
    return QString::number(majorMinor >> 16) + u'.' + QString::number(majorMinor & 0xFFFFu);
}
