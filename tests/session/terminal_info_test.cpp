#include "FakeNotifier.h"
#include "QtPrint.h"
#include "RecordingSessionHost.h"
#include "SessionFrames.h"
#include "SessionLanguage.h"
#include "TestEnv.h"
#include "core/MBLanguages.h"
#include "core/TerminalSession.h"
#include "session/SockProcessing.h"
#include "session/ui/frmTerminalInfo.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using namespace jvz;

namespace {

// Language 2 of each list is the one the tests read.
const char* const kLanguageFile = "[General]\r\n"
                                  "ToolTitle=Outil,Tool\r\n"
                                  "SSTab5=Ext,Extensions\r\n"
                                  "[frmTerminalInfo]\r\n"
                                  "Caption=Infos terminal,Terminal identity\r\n"
                                  "Label11=Constructeur,Manufacturer\r\n"
                                  "Label12=Produit,Product\r\n"
                                  "Label13=Boot,Boot\r\n"
                                  "Label14=Protocole,Protocol\r\n"
                                  "Label15=Contrat,Contract\r\n"
                                  "Label16=Terminal,Terminal number\r\n"
                                  "SSTab0=Informations,Information\r\n"
                                  "SSTab1=General,General\r\n"
                                  "SSTab2=Lecteurs,Readers\r\n"
                                  "SSTab3=Modem,Modem\r\n"
                                  "SSTab4=Afficheur,Display\r\n";

MBLanguages languageFrom(const std::string& contents)
{
    return jvztest::languageFromFile(contents, 2);
}

// The members of a control array, by their index.
template <typename W> std::vector<W*> controlArray(const QWidget& form, const char* name)
{
    auto list = form.findChildren<W*>(QLatin1String(name));
    std::vector<W*> sorted(list.begin(), list.end());
    std::sort(sorted.begin(), sorted.end(),
              [](W* a, W* b) { return a->property("index").toInt() < b->property("index").toInt(); });
    return sorted;
}

class TerminalInfoWindow : public ::testing::Test {
protected:
    void fill()
    {
        fields.SetConstructorCode("CONSTRUC");
        fields.SetProductCode("M40");
        fields.SetBootVersion("B123");
        fields.SetProtocolVersion("0102");
        fields.SetContractNumber("C12345678");
        fields.SetTerminalNumber("0A0B0C0D");
        fields.SetRamSize("?");
        fields.SetFlashSize("?");
    }

    QStringList shownTexts(const frmTerminalInfo& window)
    {
        QStringList texts;
        for (QLineEdit* t : controlArray<QLineEdit>(window, "Text1"))
            texts << t->text();
        return texts;
    }

    TerminalInfoFields fields;
    std::unique_ptr<frmTerminalInfo> form = std::make_unique<frmTerminalInfo>(fields);
};

TEST_F(TerminalInfoWindow, ShowsSixRowsInDesignOrder)
{
    fill();
    form->init(languageFrom(kLanguageFile));

    EXPECT_EQ(shownTexts(*form), (QStringList{"CONSTRUC", "M40", "B123", "0102", "C12345678", "0A0B0C0D"}));
    QStringList captions;
    for (QLabel* l : controlArray<QLabel>(*form, "Label1"))
        captions << l->text();
    EXPECT_EQ(captions, (QStringList{"Manufacturer", "Product", "Boot", "Protocol", "Contract", "Terminal number"}));
    EXPECT_EQ(form->windowTitle(), "Terminal identity");
}

TEST_F(TerminalInfoWindow, ShowsIdentityParsedFromFrame)
{
    jvztest::RecordingSessionHost host;
    jvztest::FakeNotifier notifier;
    TerminalSession session;
    TerminalIdentity identity;
    BatchErrorCode result;
    SockProcessing sock(host, notifier, session, identity, result);
    sock.ParseTerminalFrame({jvztest::terminalIdentification()});

    frmTerminalInfo window(host.terminalInfo());
    window.init(languageFrom(kLanguageFile));
    EXPECT_EQ(shownTexts(window), (QStringList{"CONSTRUC", "M40", "B123", "0102", "C12345678", "0A0B0C0D"}));
    EXPECT_EQ(window.ProductCodeTerminal(), "M40");
}

TEST_F(TerminalInfoWindow, EmptyBeforeAnyIdentification)
{
    EXPECT_EQ(form->ProductCodeTerminal(), "");
    form->init(languageFrom(kLanguageFile));
    EXPECT_EQ(shownTexts(*form), QStringList(6, QString()));
}

TEST_F(TerminalInfoWindow, RamAndFlashStoredButNeverShown)
{
    form->SetRamSize("?");
    form->SetFlashSize("512K");
    form->init(languageFrom(kLanguageFile));
    EXPECT_EQ(fields.ramSize(), "?");
    EXPECT_EQ(fields.flashSize(), "512K");
    EXPECT_EQ(controlArray<QLineEdit>(*form, "Text1").size(), 6u);
    EXPECT_FALSE(shownTexts(*form).contains("512K"));
}

TEST_F(TerminalInfoWindow, ProductCodeExactlyAsSent)
{
    form->SetProductCode(" m4");
    EXPECT_EQ(form->ProductCodeTerminal(), " m4");
}

TEST_F(TerminalInfoWindow, OpenWindowKeepsValuesOfItsInit)
{
    fill();
    form->init(languageFrom(kLanguageFile));
    form->SetProductCode("M50");
    EXPECT_EQ(shownTexts(*form).at(1), "M40");
    EXPECT_EQ(form->ProductCodeTerminal(), "M50");
    // The next opening shows the new values, without extra rows.
    form->init(languageFrom(kLanguageFile));
    EXPECT_EQ(shownTexts(*form).at(1), "M50");
    EXPECT_EQ(controlArray<QLabel>(*form, "Label1").size(), 6u);
}

TEST_F(TerminalInfoWindow, ValuesOutliveTheWindow)
{
    fill();
    form->init(languageFrom(kLanguageFile));
    form.reset();
    frmTerminalInfo again(fields);
    EXPECT_EQ(again.ProductCodeTerminal(), "M40");
}

TEST_F(TerminalInfoWindow, OnlyTheInformationTabCanBeSelected)
{
    form->init(languageFrom(kLanguageFile));
    auto* tabs = form->findChild<QTabWidget*>("SSTab1");
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 6);
    EXPECT_EQ(tabs->currentIndex(), 0);
    QStringList captions;
    for (int n = 0; n < tabs->count(); ++n) {
        captions << tabs->tabText(n);
        EXPECT_EQ(tabs->isTabEnabled(n), n == 0) << n;
    }
    // SSTab5 has no text in the window's section: [General] gives it.
    EXPECT_EQ(captions, (QStringList{"Information", "General", "Readers", "Modem", "Display", "Extensions"}));
}

TEST_F(TerminalInfoWindow, MissingKeysGiveEmptyCaptionsButRowOneKeepsItsOwn)
{
    form->init(languageFrom("[General]\r\nToolTitle=Outil,Tool\r\n"));
    const auto labels = controlArray<QLabel>(*form, "Label1");
    ASSERT_EQ(labels.size(), 6u);
    EXPECT_EQ(labels[0]->text(), "Label1");
    for (std::size_t i = 1; i < labels.size(); ++i)
        EXPECT_EQ(labels[i]->text(), "") << i;
    auto* tabs = form->findChild<QTabWidget*>("SSTab1");
    EXPECT_EQ(tabs->tabText(0), "");
    // No caption of its own: the program title and version.
    EXPECT_TRUE(form->windowTitle().startsWith("Tool - V ")) << form->windowTitle().toStdString();
}

TEST_F(TerminalInfoWindow, RowsStackInsideTheTabControl)
{
    form->init(languageFrom(kLanguageFile));
    const auto labels = controlArray<QLabel>(*form, "Label1");
    const auto texts = controlArray<QLineEdit>(*form, "Text1");
    // Tops of 960, 1445, ... 3385 twips, at 15 twips a pixel.
    const int tops[] = {64, 96, 129, 161, 193, 226};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(labels[i]->y(), tops[i]) << i;
        EXPECT_EQ(texts[i]->y(), tops[i]) << i;
        EXPECT_EQ(texts[i]->x(), 152);
        EXPECT_EQ(labels[i]->x(), 16);
    }
    auto* tabs = form->findChild<QTabWidget*>("SSTab1");
    EXPECT_EQ(tabs->height(), 265); // 3970 twips
    EXPECT_EQ(form->height(), 301); // 4520 twips
    EXPECT_LE(tabs->geometry().bottom(), form->height());
    EXPECT_LE(tabs->geometry().right(), form->width());
}

} // namespace
