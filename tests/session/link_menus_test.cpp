// The Connection menu: the program's phonebook entry edited or created, the entry's port checked.
#include "FakeNotifier.h"
#include "RuntimeDoubles.h"
#include "SessionLanguage.h"
#include "TestEnv.h"
#include "session/RasFunctions.h"
#include "session/ui/LinkMenus.h"

#include <QComboBox>
#include <QDir>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

const char* const kTexts = "[frmMainJVZ]\r\n"
                           "MSG_ConnectionNotFound=not found: \r\n"
                           "MSG_AskCreateConnection=create?\r\n"
                           "MSG_EntryEditFailed=cannot edit\r\n"
                           "MSG_EntryCreateFailed=cannot create\r\n"
                           "MSG_PortCheckNoPort=no port\r\n";

class LinkMenusTest : public ::testing::Test {
protected:
    LinkMenusTest()
        : folder(QString::fromStdString(jvztest::makeScratchDir("program"))), dialUp(clock),
          ras(dialUp, notifier, folder), language(jvztest::languageFromFile(kTexts, 1))
    {
        language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        combo.setEditable(true);
    }

    QString phonebook() const { return folder + QStringLiteral("/ras/rasphone2000.pbk"); }
    void writePhonebook(const std::string& text)
    {
        QDir().mkpath(folder + QStringLiteral("/ras"));
        jvztest::writeFileBytes(phonebook().toStdString(), text);
    }

    LinkMenus menus()
    {
        LinkMenuContext c{.ras = ras,
                          .notifier = notifier,
                          .language = language,
                          .owner = nullptr,
                          .editEntry = {},
                          .createEntry = {},
                          .refillConnections = {},
                          .phonebookPort = {},
                          .checkPort = {}};
        c.editEntry = [this](QWidget*, const QString& path, const QString& entry) {
            edits << path + QLatin1Char('|') + entry;
            return editAnswer;
        };
        c.createEntry = [this](QWidget*, const QString& path) {
            creates << path;
            return createAnswer;
        };
        c.refillConnections = [this] { ++refills; };
        c.phonebookPort = [this] { return port; };
        c.checkPort = [this](const QString& p) {
            checked << p;
            return checkAnswer;
        };
        return LinkMenus(std::move(c));
    }

    QString folder;
    jvztest::FakeNotifier notifier;
    jvztest::ShiftableClock clock;
    jvztest::FakeDialUpLink dialUp;
    RasFunctions ras;
    MBLanguages language;
    QComboBox combo;
    QStringList edits;
    QStringList creates;
    QStringList checked;
    int refills = 0;
    bool editAnswer = true;
    int32_t createAnswer = 0;
    QString port;
    bool checkAnswer = true;
};

TEST_F(LinkMenusTest, ExistingEntryIsEdited)
{
    writePhonebook("[JVZ Connection]\r\nPort=ttyACM0\r\n");
    combo.setEditText(QStringLiteral("other"));
    menus().MNU_Connection_Config_Click(combo);
    EXPECT_EQ(combo.currentText(), QStringLiteral("JVZ Connection"));
    EXPECT_EQ(edits, QStringList{phonebook() + QStringLiteral("|JVZ Connection")});
    EXPECT_TRUE(creates.isEmpty());
    EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(LinkMenusTest, EditorThatCannotOpenIsReported)
{
    writePhonebook("[JVZ Connection]\r\n");
    editAnswer = false;
    menus().MNU_Connection_Config_Click(combo);
    ASSERT_EQ(notifier.shown.size(), 1u);
    EXPECT_EQ(notifier.shown[0].text,
              QStringLiteral("cannot edit\r\n") + phonebook() + QStringLiteral("\r\nJVZ Connection"));
    EXPECT_EQ(notifier.shown[0].icon, MessageIcon::Exclamation);
}

TEST_F(LinkMenusTest, MissingEntryOrPhonebookOffersCreation)
{
    const struct {
        const char* name;
        bool phonebook;
        MessageAnswer answer;
        int32_t created;
        int creates;
        int refills;
        const char* failure; // the last box, or none
    } cases[] = {
        {"entry missing, yes, created", true, MessageAnswer::Yes, 0, 1, 1, nullptr},
        {"entry missing, no", true, MessageAnswer::No, 0, 0, 0, nullptr},
        {"entry missing, dialog cancelled", true, MessageAnswer::Yes, LinkMenus::kCreateCancelled, 1, 0, nullptr},
        {"entry missing, creation failed", true, MessageAnswer::Yes, 621, 1, 0, "cannot create\r\n"},
        {"no phonebook, yes, created", false, MessageAnswer::Yes, 0, 1, 1, nullptr},
        {"no phonebook, no", false, MessageAnswer::No, 0, 0, 0, nullptr},
        {"no phonebook, creation failed", false, MessageAnswer::Yes, 621, 1, 0, "cannot create: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(folder + QStringLiteral("/ras")).removeRecursively();
        if (c.phonebook)
            writePhonebook("[Other entry]\r\n");
        notifier.shown.clear();
        // An absent entry is first reported by the entry test itself, then the question comes.
        notifier.answers =
            c.phonebook ? std::deque<MessageAnswer>{MessageAnswer::Ok, c.answer} : std::deque<MessageAnswer>{c.answer};
        creates.clear();
        refills = 0;
        createAnswer = c.created;
        menus().MNU_Connection_Config_Click(combo);
        const size_t question = c.phonebook ? 1 : 0;
        ASSERT_GT(notifier.shown.size(), question);
        const QString asked = notifier.shown[question].text;
        EXPECT_EQ(notifier.shown[question].buttons, MessageButtons::YesNo);
        EXPECT_TRUE(asked.startsWith(QStringLiteral("not found:")));
        EXPECT_TRUE(asked.contains(phonebook())) << "the question shows the path";
        EXPECT_TRUE(asked.endsWith(QStringLiteral("\r\ncreate?")));
        if (c.phonebook) {
            EXPECT_TRUE(asked.contains(QStringLiteral("'JVZ Connection' ")));
        }
        EXPECT_EQ(creates.size(), c.creates);
        EXPECT_EQ(refills, c.refills);
        EXPECT_TRUE(edits.isEmpty());
        if (c.failure) {
            ASSERT_EQ(notifier.shown.size(), question + 2);
            EXPECT_EQ(notifier.shown.back().text, QLatin1String(c.failure) + phonebook());
            EXPECT_EQ(notifier.shown.back().icon, MessageIcon::Exclamation);
        } else {
            EXPECT_EQ(notifier.shown.size(), question + 1);
        }
    }
}

TEST_F(LinkMenusTest, PortCheckRunsOnTheEntrysPort)
{
    const struct {
        const char* port;
        bool passes;
        bool result;
        int boxes;
    } cases[] = {
        {"ttyACM0", true, true, 0},
        {"ttyUSB1", false, false, 0}, // the checks trace their own steps and remedies
        {"", true, false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        notifier.shown.clear();
        checked.clear();
        port = QLatin1String(c.port);
        checkAnswer = c.passes;
        EXPECT_EQ(menus().MNU_Connection_Modem_Click(), c.result);
        EXPECT_EQ(checked, *c.port ? QStringList{QLatin1String(c.port)} : QStringList{});
        ASSERT_EQ(notifier.shown.size(), size_t(c.boxes));
        if (c.boxes) {
            EXPECT_EQ(notifier.shown[0].text, QStringLiteral("no port"));
        }
    }
}

} // namespace
