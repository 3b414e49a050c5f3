#include "FailingFileWriter.h"
#include "FakeNotifier.h"
#include "core/BatchRun.h"
#include "core/MBLanguages.h"
#include "noqt/TestEnv.h"
#include "platform/SerialPortInventory.h"
#include "session/RasFunctions.h"
#include "session/ui/ConnectionCombo.h"
#include "session/ui/frmPhonebookEntry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

// No dial happens here.
class IdleLink : public DialUpLink {
public:
    PppLinkResult dial(const PppLinkRequest&) override
    {
        PppLinkResult r;
        r.error = static_cast<int32_t>(DialError::PppdNotFound);
        return r;
    }
    int32_t hangUp() override { return 0; }
    int32_t state() override { return kLinkStateDown; }
    QString activeEntry() const override { return {}; }
};

class ConnectionListTest : public ::testing::Test {
protected:
    ConnectionListTest()
    {
        const std::string lng = m_folder.toStdString() + "/JVZ.lng";
        jvztest::writeFileBytes(lng, "[General]\r\nDefaultLanguage=1\r\n"
                                     "[frmMainJVZ]\r\n"
                                     "MSG_ConnectionNotFound=Connection not found: ,Connexion introuvable : \r\n"
                                     "MSG_AskCreateConnection=Create it?,La creer ?\r\n");
        m_language.init(QString::fromStdString(lng), 1);
        m_language.SetCurrentSection(QStringLiteral("frmMainJVZ"));
        m_combo.setEditable(true);
    }

    QString phonebook() const { return m_folder + QStringLiteral("/ras/rasphone2000.pbk"); }
    void writePhonebook(const std::string& text) { jvztest::writeFileBytes(phonebook().toStdString(), text); }

    ConnectionListContext context(const QString& defaultName)
    {
        return {.ras = m_ras,
                .notifier = m_notifier,
                .language = m_language,
                .connectionName = defaultName,
                .batch = m_batch,
                .owner = nullptr,
                .createEntry = [this](QWidget*, const QString& path) {
                    m_createdIn << path;
                    writePhonebook("[Created]\r\nPort=ttyACM0\r\n");
                    return m_createAnswer;
                }};
    }

    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < m_combo.count(); ++i)
            out << m_combo.itemText(i);
        return out;
    }

    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("program"));
    IdleLink m_link;
    jvztest::FakeNotifier m_notifier;
    RasFunctions m_ras{m_link, m_notifier, m_folder};
    MBLanguages m_language;
    BatchRun m_batch;
    QComboBox m_combo;
    QStringList m_createdIn;
    int32_t m_createAnswer = 0;
};

TEST_F(ConnectionListTest, ListShowsTheEntriesAndTheDefaultOne)
{
    writePhonebook("[A]\r\nPort=ttyUSB0\r\n[B]\r\n[C]\r\nPort=ttyACM1\r\n");
    const struct {
        const char* defaultName;
        const char* shown;
    } cases[] = {{"B", "B"}, {"C", "C"}, {"X", "A"}, {"b", "A"} /* exact match only */, {"", "A"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultName);
        FillDefaultConnectionCombo(m_combo, context(QLatin1String(c.defaultName)));
        EXPECT_EQ(items(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        EXPECT_EQ(m_combo.currentText(), QLatin1String(c.shown));
    }
    EXPECT_TRUE(m_notifier.shown.empty());
}

TEST_F(ConnectionListTest, EmptyPhonebookLeavesTheListEmpty)
{
    writePhonebook("; nothing yet\r\n");
    m_combo.addItem(QStringLiteral("old"));
    FillDefaultConnectionCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    ASSERT_EQ(m_notifier.shown.size(), 1u);
    EXPECT_EQ(m_notifier.shown[0].text, QStringLiteral("No entry in the phone book"));
    EXPECT_EQ(m_notifier.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(m_combo.currentText(), QString());

    m_batch.gBatchMode = true;
    m_notifier.shown.clear();
    FillDefaultConnectionCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    EXPECT_TRUE(m_notifier.shown.empty());
    EXPECT_EQ(m_batch.gErrorCode, 0);
}

TEST_F(ConnectionListTest, MissingPhonebookInABatchRunIsRecordedWithoutBox)
{
    m_batch.gBatchMode = true;
    FillDefaultConnectionCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    EXPECT_EQ(m_batch.gErrorCode, -7);
    EXPECT_EQ(m_batch.gErrorText, QStringLiteral("Connection not found: ") + phonebook());
    EXPECT_TRUE(m_notifier.shown.empty());
    EXPECT_TRUE(m_createdIn.isEmpty());
}

TEST_F(ConnectionListTest, MissingPhonebookOffersToCreateAnEntry)
{
    const struct {
        const char* what;
        MessageAnswer answer;
        int32_t created;
        QStringList items;
    } cases[] = {
        {"No", MessageAnswer::No, 0, {}},
        {"Yes, created", MessageAnswer::Yes, 0, {QStringLiteral("Created")}},
        {"Yes, cancelled", MessageAnswer::Yes, frmPhonebookEntry::kCancelled, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(phonebook());
        m_combo.clear();
        m_createdIn.clear();
        m_notifier.shown.clear();
        m_notifier.answers = {c.answer};
        m_createAnswer = c.created;
        FillDefaultConnectionCombo(m_combo, context(QStringLiteral("JVZ Connection")));
        ASSERT_GE(m_notifier.shown.size(), 1u);
        EXPECT_EQ(m_notifier.shown[0].text,
                  QStringLiteral("Connection not found: ") + phonebook() + QStringLiteral("\r\nCreate it?"));
        EXPECT_EQ(m_notifier.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(m_createdIn.size(), c.answer == MessageAnswer::Yes ? 1 : 0);
        if (c.created == 0 && c.answer == MessageAnswer::Yes) {
            EXPECT_EQ(items(), c.items) << "filled again once created";
        } else {
            EXPECT_TRUE(items().isEmpty());
        }
    }
}

TEST_F(ConnectionListTest, ReadingThePhonebookRefillsWithoutDuplicates)
{
    writePhonebook("[A]\r\n[JVZ Connection]\r\nPort=\r\n");
    FillDefaultConnectionCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    ReadRasPhoneIntoCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    ReadRasPhoneIntoCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    EXPECT_EQ(items(), (QStringList{QStringLiteral("A"), QStringLiteral("JVZ Connection")}));
    EXPECT_EQ(m_combo.currentText(), QStringLiteral("JVZ Connection"));
    EXPECT_TRUE(m_notifier.shown.empty());
}

TEST_F(ConnectionListTest, TypedNameNotInThePhonebookOffersCreationNamingTheDefault)
{
    writePhonebook("[A]\r\n[JVZ Connection]\r\n");
    FillDefaultConnectionCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    m_combo.setEditText(QStringLiteral("Typed"));
    m_notifier.answers = {MessageAnswer::Ok, MessageAnswer::Yes};
    ReadRasPhoneIntoCombo(m_combo, context(QStringLiteral("JVZ Connection")));
    ASSERT_EQ(m_notifier.shown.size(), 2u);
    EXPECT_TRUE(m_notifier.shown[0].text.startsWith(QStringLiteral("RasValidateEntryName Error: 0for ")));
    EXPECT_EQ(m_notifier.shown[1].text, QStringLiteral("Connection not found: ") + phonebook() +
                                            QStringLiteral("'JVZ Connection'\r\nCreate it?"));
    EXPECT_EQ(m_createdIn, QStringList{phonebook()});
    EXPECT_EQ(items(), (QStringList{QStringLiteral("A"), QStringLiteral("JVZ Connection")}))
        << "the list is not refilled after the creation offer";
}

class PhonebookDialogTest : public ::testing::Test {
protected:
    QString phonebook() const { return m_folder + QStringLiteral("/ras/rasphone2000.pbk"); }

    template <typename W> W* child(frmPhonebookEntry& w, const char* name)
    {
        W* c = w.findChild<W*>(QLatin1String(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }

    void fill(frmPhonebookEntry& w, const QString& name, int port, const QString& speed, const QString& peer,
              const QString& options)
    {
        child<QLineEdit>(w, "TXT_EntryName")->setText(name);
        child<QComboBox>(w, "CBO_Port")->setCurrentIndex(port);
        child<QComboBox>(w, "CBO_Speed")->setEditText(speed);
        child<QCheckBox>(w, "CHK_HwFlowControl")->setChecked(true);
        child<QLineEdit>(w, "TXT_PeerName")->setText(peer);
        child<QLineEdit>(w, "TXT_PppOptions")->setText(options);
    }

    QString m_folder = QString::fromStdString(jvztest::makeScratchDir("program"));
    FixedSerialPortInventory m_inventory{
        std::vector<SerialPort>{{"ttyACM0", "/dev/ttyACM0", "Terminal (ttyACM0)", "", true, "", "", "", "", "", true},
                                {"ttyUSB1", "/dev/ttyUSB1", "Cable (ttyUSB1)", "", true, "", "", "", "", "", true}}};
};

TEST_F(PhonebookDialogTest, NewEntryIsWrittenAndReadBackForEditing)
{
    frmPhonebookEntry w(m_inventory);
    w.init(phonebook(), QString());
    EXPECT_EQ(child<QComboBox>(w, "CBO_Port")->count(), 2);
    fill(w, QStringLiteral("Bench"), 1, QStringLiteral("57600"), QStringLiteral("bench-peer"),
         QStringLiteral("debug lcp-echo-interval 5"));
    child<QPushButton>(w, "CMD_OK")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted) << w.errorText().toStdString();

    const std::optional<PhonebookEntry> e = readPhonebookEntry(phonebook(), QStringLiteral("Bench"));
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->port, QStringLiteral("ttyUSB1"));
    EXPECT_EQ(e->speed, 57600);
    EXPECT_TRUE(e->hardwareFlowControl);
    EXPECT_EQ(e->peerName, QStringLiteral("bench-peer"));
    EXPECT_EQ(e->extraOptions, QStringLiteral("debug lcp-echo-interval 5"));

    frmPhonebookEntry edit(m_inventory);
    edit.init(phonebook(), QStringLiteral("Bench"));
    EXPECT_TRUE(child<QLineEdit>(edit, "TXT_EntryName")->isReadOnly());
    EXPECT_EQ(edit.entry().port, QStringLiteral("ttyUSB1"));
    EXPECT_EQ(edit.entry().peerName, QStringLiteral("bench-peer"));
}

TEST_F(PhonebookDialogTest, InvalidFieldsKeepTheDialogOpen)
{
    const struct {
        const char* what;
        QString name, speed, peer, options;
    } cases[] = {
        {"empty name", QString(), QStringLiteral("115200"), QString(), QString()},
        {"bracket in name", QStringLiteral("a]b"), QStringLiteral("115200"), QString(), QString()},
        {"speed not a number", QStringLiteral("E"), QStringLiteral("fast"), QString(), QString()},
        {"peer name escapes its folder", QStringLiteral("E"), QStringLiteral("115200"), QStringLiteral("../x"),
         QString()},
        {"options on two lines", QStringLiteral("E"), QStringLiteral("115200"), QString(),
         QStringLiteral("debug\nnoauth")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        frmPhonebookEntry w(m_inventory);
        w.init(phonebook(), QString());
        fill(w, c.name, 0, c.speed, c.peer, c.options);
        child<QPushButton>(w, "CMD_OK")->click();
        EXPECT_NE(w.result(), QDialog::Accepted);
        EXPECT_FALSE(w.errorText().isEmpty());
        EXPECT_FALSE(QFile::exists(phonebook()));
    }
}

TEST_F(PhonebookDialogTest, WriteFailureIsShownAndNothingIsAccepted)
{
    const std::string before = "[JVZ Connection]\r\nPort=ttyACM0\r\n";
    jvztest::writeFileBytes(phonebook().toStdString(), before);
    jvztest::FailingFileWriter writer(jvztest::FailingFileWriter::FailAt::Commit);
    frmPhonebookEntry w(m_inventory, &writer);
    w.init(phonebook(), QStringLiteral("JVZ Connection"));
    child<QComboBox>(w, "CBO_Port")->setCurrentIndex(1);
    child<QPushButton>(w, "CMD_OK")->click();
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_TRUE(w.errorText().contains(phonebook())) << w.errorText().toStdString();
    EXPECT_EQ(jvztest::readFileBytes(phonebook().toStdString()), before);
}

} // namespace
