#pragma once

#include <QString>

#include <cstdint>

// The program's version record: the twelve strings a Windows version resource
// carries, in its order. Here they are compiled in from the build's metadata.
struct TEXEVersionData
{
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString PrivateBuild;
    QString SpecialBuild;
};

// The running program's version strings.
TEXEVersionData GetEXEVersionData();

// The running program's fixed file version: major in the high 16 bits, minor in the low 16.
std::uint32_t getExeFixedVersion();

// "%d.%d" of the two halves, each as an unsigned decimal: 0x00010007 gives "1.7".
QString formatFixedVersion(std::uint32_t majorMinor);

// Names and version from the program's version record, set once when the main
// window is created.
extern QString AppCompanyName;
extern QString AppProductName;
extern QString AppVersion;
// AppCompanyName + " - " + AppProductName; the main window's caption.
extern QString AppTitle;
