// The about box: captions from the version information, translated labels, the icon.
#include "Paths.h"
#include "core/MBLanguages.h"
#include "core/ui/IconTable.h"
#include "workspace/ui/frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

MBLanguages shipped(int16_t number)
{
    MBLanguages table;
    table.init(jvztest::binDir() + QStringLiteral("/JVZ.lng"), number);
    return table;
}

QString text(const frmAbout& box, const char* name)
{
    return box.findChild<QLabel*>(QLatin1String(name))->text();
}

VersionInfo sample()
{
    VersionInfo info;
    info.legalTrademarks = QStringLiteral("JVZ");
    info.productName = QStringLiteral("Loader");
    info.title = QStringLiteral("JVZ");
    info.fileDescription = QStringLiteral("Loads terminals");
    info.companyName = QStringLiteral("Workshop");
    info.legalCopyright = QStringLiteral("(c) Workshop");
    info.major = 2;
    info.minor = 5;
    info.revision = 7;
    return info;
}

TEST(AboutBox, CaptionsFromTheVersionInformationInBothLanguages)
{
    const struct {
        int16_t language;
        const char* version;
        const char* ok;
    } cases[] = {{1, "Version 2.5.7", "OK"}, {2, "Version 2.5.7", "OK"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        frmAbout box;
        box.init(shipped(c.language), QIcon(), sample());
        EXPECT_EQ(box.windowTitle(), QStringLiteral("JVZ V2.5"));
        EXPECT_EQ(text(box, "lblVersion"), QLatin1String(c.version));
        EXPECT_EQ(text(box, "lblTitle"), QStringLiteral("Loader (JVZ)"));
        EXPECT_EQ(text(box, "LblDescription"), QStringLiteral("Loads terminals"));
        EXPECT_EQ(text(box, "LblOrganisation"), QStringLiteral("Workshop"));
        EXPECT_EQ(text(box, "lblCopyright"), QStringLiteral("(c) Workshop"));
        EXPECT_EQ(box.findChild<QPushButton*>(QStringLiteral("CmdOK"))->text(), QLatin1String(c.ok));
    }
}

TEST(AboutBox, FillingAgainDoesNotRepeatTheNumbers)
{
    frmAbout box;
    box.init(shipped(1), QIcon(), sample());
    box.Init2();
    box.Init2();
    EXPECT_EQ(text(box, "lblVersion"), QStringLiteral("Version 2.5.7"));
    box.init(shipped(1), QIcon(), sample());
    EXPECT_EQ(text(box, "lblVersion"), QStringLiteral("Version 2.5.7"));
}

TEST(AboutBox, EmptyFieldsGiveEmptyLabels)
{
    frmAbout box;
    VersionInfo info;
    info.major = 1;
    box.init(shipped(1), QIcon(), info);
    EXPECT_EQ(box.windowTitle(), QStringLiteral(" V1.0"));
    EXPECT_EQ(text(box, "lblTitle"), QStringLiteral(" ()"));
    EXPECT_TRUE(text(box, "LblDescription").isEmpty());
    EXPECT_TRUE(text(box, "LblOrganisation").isEmpty());
}

TEST(AboutBox, IconGivenOrKept)
{
    frmAbout box;
    box.init(shipped(1), QIcon(), sample());
    EXPECT_TRUE(box.findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    const QIcon icon = iconForImageKey(QStringLiteral("Program"));
    box.Init2(icon);
    EXPECT_FALSE(box.findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    EXPECT_FALSE(box.windowIcon().isNull());
}

TEST(AboutBox, TheBuildsOwnVersion)
{
    const VersionInfo info = programVersionInfo();
    EXPECT_EQ(info.productName, QStringLiteral("JVZ"));
    EXPECT_GE(info.major, 1);
    EXPECT_GE(info.revision, 0);
}

TEST(AboutBox, OkCloses)
{
    frmAbout box;
    box.init(shipped(1), QIcon(), sample());
    box.show();
    box.findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace
