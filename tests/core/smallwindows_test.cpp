#include "BoundedCall.h"
#include "FakeNotifier.h"
#include "Paths.h"
#include "SpecialFiles.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "WaitUntil.h"
#include "core/MBLanguages.h"
#include "core/ui/CopyAnimation.h"
#include "core/ui/FrmComment.h"
#include "core/ui/FrmWarningMsg.h"
#include "core/ui/frmAnimCopie.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <unistd.h>

using jvz::FrmComment;

TEST(FrmComment, InitFillsLabelAndHiddenTextWithoutShowing)
{
    FrmComment w;
    w.init(QStringLiteral("JVZ Running..."));
    auto* label = w.findChild<QLabel*>(QStringLiteral("Label1"));
    auto* text = w.findChild<QLineEdit*>(QStringLiteral("Text1"));
    ASSERT_TRUE(label && text);
    EXPECT_EQ(label->text(), QStringLiteral("JVZ Running..."));
    EXPECT_EQ(text->text(), QStringLiteral("JVZ Running..."));
    EXPECT_FALSE(text->isVisibleTo(&w));
    EXPECT_TRUE(label->isVisibleTo(&w));
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Info")); // no caption given: the design caption stays
    EXPECT_FALSE(w.AffichageTermine);
}

TEST(FrmComment, CaptionAndCommentsFollowTheCaller)
{
    const struct {
        const char* comment;
        const char* next;
    } cases[] = {{"a", "catalogue file not found"}, {"x", ""}};
    for (const auto& c : cases) {
        FrmComment w;
        w.init(QString::fromLatin1(c.comment), QStringLiteral("Batch"));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Batch"));
        w.show();
        w.NewComment(QString::fromLatin1(c.next));
        EXPECT_EQ(w.GetComment(), QString::fromLatin1(c.next));
        // The hidden text box keeps what init gave it.
        EXPECT_EQ(w.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QString::fromLatin1(c.comment));
    }
}

TEST(FrmComment, UnloadMarksTheDisplayOverAndTheTimerNeverRunsByItself)
{
    FrmComment w;
    w.init(QStringLiteral("t"));
    w.show();
    auto* timer = w.findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_TRUE(timer);
    EXPECT_FALSE(timer->isActive());
    w.close();
    EXPECT_TRUE(w.AffichageTermine);
    EXPECT_FALSE(w.isVisible());
    w.init(QStringLiteral("again"));
    EXPECT_FALSE(w.AffichageTermine);
}

namespace {

// Two columns: English, French. Texts carry no edge blanks, which the INI reader trims.
const char* const kLanguageFile = "[General]\r\n"
                                  "MSG_CancelConfirm=Stop the copy?,Arreter la copie ?\r\n"
                                  "[frmAnimCopie]\r\n"
                                  "Caption=Copying,Copie\r\n"
                                  "BTN_Cancel=Cancel,Annuler\r\n"
                                  "LBL_From=From:,De:\r\n"
                                  "LBL_To=to:,vers:\r\n"
                                  "LBL_TotalFile=Files:,Fichiers:\r\n"
                                  "[FrmWarningMsg]\r\n"
                                  "Caption=Careful,Attention\r\n";

// A one-frame GIF: Qt reads the animation by its content whatever the file is called.
const char kGif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00\x00"
                    ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";

jvz::MBLanguages languageTable(int column)
{
    const std::string dir = jvztest::makeScratchDir("lng");
    jvztest::writeFileBytes(dir + "/JVZ.lng", kLanguageFile);
    jvz::MBLanguages language;
    language.init(QString::fromStdString(dir + "/JVZ.lng"), static_cast<int16_t>(column));
    return language;
}

QString labelText(const QWidget& w, const char* name)
{
    auto* l = w.findChild<QLabel*>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<missing>");
}

QColor background(const QWidget& w)
{
    return w.palette().color(QPalette::Window);
}

void tick(QTimer* timer)
{
    ASSERT_TRUE(timer);
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

} // namespace

TEST(FrmWarningMsg, TranslatesItselfAndShowsTheCallersText)
{
    bool batch = false;
    jvz::FrmWarningMsg w([&] { return batch; });
    w.init(languageTable(2), QStringLiteral("Connexion en cours"), 0, 0);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Attention"));
    EXPECT_EQ(labelText(w, "Label1"), QStringLiteral("Connexion en cours"));
    EXPECT_FALSE(w.isVisible()); // the caller shows it
}

// The timers run only for positive times; zero and negative times mean never.
TEST(FrmWarningMsg, TimersRunOnlyForPositiveTimes)
{
    const struct {
        int flashing;
        int displaying;
        bool blinks;
        bool closesItself;
    } cases[] = {{0, 0, false, false},
                 {-5, -1, false, false},
                 {1, 0, true, false},
                 {0, 250, false, true},
                 {400, 7000, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.flashing << "/" << c.displaying);
        jvz::FrmWarningMsg w([] { return false; });
        const QColor before = background(w);
        w.init(languageTable(1), QStringLiteral("m"), c.flashing, c.displaying);
        auto* t1 = w.findChild<QTimer*>(QStringLiteral("Timer1"));
        auto* t2 = w.findChild<QTimer*>(QStringLiteral("Timer2"));
        EXPECT_EQ(t1->isActive(), c.blinks);
        EXPECT_EQ(t2->isActive(), c.closesItself);
        if (c.blinks) {
            EXPECT_EQ(t1->interval(), c.flashing);
        }
        if (c.closesItself) {
            EXPECT_EQ(t2->interval(), c.displaying);
        }
        EXPECT_EQ(background(w), before);
    }
}

// The colour values are given blue high, red low: 65535 yellow, then 49407 orange.
TEST(FrmWarningMsg, BlinksYellowThenOrange)
{
    EXPECT_EQ(jvz::FrmWarningMsg::fromWindowsColor(65535), QColor(255, 255, 0));
    EXPECT_EQ(jvz::FrmWarningMsg::fromWindowsColor(49407), QColor(255, 192, 0));
    EXPECT_EQ(jvz::FrmWarningMsg::fromWindowsColor(0xFF0000), QColor(0, 0, 255));

    jvz::FrmWarningMsg w([] { return false; });
    w.init(languageTable(1), QStringLiteral("m"), 60000, 0);
    auto* t1 = w.findChild<QTimer*>(QStringLiteral("Timer1"));
    const QColor expected[] = {QColor(255, 255, 0), QColor(255, 192, 0), QColor(255, 255, 0), QColor(255, 192, 0)};
    for (const QColor& colour : expected) {
        tick(t1);
        EXPECT_EQ(background(w), colour);
    }
    // The flag belongs to the window object: a new init goes on where the blinking stopped.
    w.init(languageTable(1), QStringLiteral("m"), 60000, 0);
    tick(t1);
    EXPECT_EQ(background(w), QColor(255, 255, 0));
}

TEST(FrmWarningMsg, DisplayingTimeClosesTheWindowAlone)
{
    QWidget main;
    main.setWindowTitle(QStringLiteral("Pendraxa"));
    jvz::FrmWarningMsg w([] { return false; });
    w.init(languageTable(1), QStringLiteral("m"), 0, 20);
    w.show();
    ASSERT_TRUE(jvztest::waitUntil([&] { return !w.isVisible(); }, 5000));
    EXPECT_FALSE(main.isVisible()); // the automatic close leaves the main window alone
    EXPECT_FALSE(w.findChild<QTimer*>(QStringLiteral("Timer2"))->isActive());
}

// Closing through frmUnload brings the main window back, except in a batch run where it is never shown.
TEST(FrmWarningMsg, UnloadShowsTheMainWindowOnlyInteractively)
{
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch);
        QWidget main;
        main.setWindowTitle(QStringLiteral("Pendraxa"));
        QWidget other;
        other.setWindowTitle(QStringLiteral("Pendraxa 2"));
        jvz::FrmWarningMsg w([batch] { return batch; });
        w.init(languageTable(1), QStringLiteral("m"), 400, 0);
        w.show();
        w.frmUnload();
        EXPECT_FALSE(w.isVisible());
        EXPECT_FALSE(w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        EXPECT_EQ(main.isVisible(), !batch);
        EXPECT_FALSE(other.isVisible()); // found by its exact title only
    }
}

namespace {

struct AnimFixture {
    jvztest::FakeNotifier notifier;
    QString folder = QString::fromStdString(jvztest::makeScratchDir("prog"));
    jvz::frmAnimCopie window{notifier, folder};

    QProgressBar* bar(const char* name) { return window.findChild<QProgressBar*>(QLatin1String(name)); }
};

} // namespace

TEST(frmAnimCopie, InitFillsTheLabelsAndBars)
{
    const struct {
        int column;
        int total;
        const char* caption;
        const char* fromTo;
        const char* totalLabel;
    } cases[] = {
        {1, 3, "Copying", "From:'/home/a'to:'\\SWAP\\'", "Files:1/3"},
        {2, 1, "Copie", "De:'/home/a'vers:'\\SWAP\\'", "Fichiers:1/1"}, // a single file starts full
        {1, 12, "Copying", "From:'/home/a'to:'\\SWAP\\'", "Files:1/12"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        AnimFixture f;
        f.window.Canceled = true;
        f.window.init(QStringLiteral("A.SGN"), languageTable(c.column), QStringLiteral("/home/a"),
                      QStringLiteral("\\SWAP\\"), c.total);
        EXPECT_EQ(f.window.windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_EQ(labelText(f.window, "LBL_file"), QStringLiteral("A.SGN"));
        EXPECT_EQ(labelText(f.window, "LBL_FromTo"), QString::fromLatin1(c.fromTo));
        EXPECT_EQ(labelText(f.window, "LBL_TotalFile"), QString::fromLatin1(c.totalLabel));
        EXPECT_EQ(f.bar("PGB_Anim")->value(), f.bar("PGB_Anim")->minimum() + 1);
        EXPECT_EQ(f.bar("PGB_TotalFile")->minimum(), 0);
        EXPECT_EQ(f.bar("PGB_TotalFile")->maximum(), c.total);
        EXPECT_EQ(f.bar("PGB_TotalFile")->value(), 1);
        EXPECT_FALSE(f.window.Canceled);
        EXPECT_FALSE(f.window.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        EXPECT_FALSE(f.window.isVisible());
    }
}

TEST(frmAnimCopie, NewFileCountsUpToTheTotalAndNoFurther)
{
    AnimFixture f;
    f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 3);
    const char* const expected[] = {"Files:2/3", "Files:3/3", "Files:3/3"};
    const char* const names[] = {"B", "C", "D"};
    for (int i = 0; i < 3; ++i) {
        f.bar("PGB_Anim")->setValue(7);
        f.window.NewFile(QString::fromLatin1(names[i]));
        EXPECT_EQ(labelText(f.window, "LBL_TotalFile"), QString::fromLatin1(expected[i]));
        EXPECT_EQ(labelText(f.window, "LBL_file"), QString::fromLatin1(names[i]));
        EXPECT_EQ(f.bar("PGB_Anim")->value(), 1);
    }
}

// The caller waits after each file until Running drops; the bar's short range keeps that wait brief.
TEST(frmAnimCopie, PerFileBarEndsTheCallersWait)
{
    AnimFixture f;
    f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 2);
    QProgressBar* anim = f.bar("PGB_Anim");
    EXPECT_LE(anim->maximum() - anim->minimum(), 10);
    for (int file = 0; file < 2; ++file) {
        if (file > 0)
            f.window.NewFile(QStringLiteral("B"));
        f.window.LaunchTimer();
        EXPECT_TRUE(f.window.Running);
        ASSERT_TRUE(jvztest::waitUntil([&] { return !f.window.Running; }, 5000));
        EXPECT_EQ(anim->value(), anim->maximum());
        EXPECT_FALSE(f.window.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    }
    // A bar already at its end stops at the next tick instead of running on.
    f.window.LaunchTimer();
    ASSERT_TRUE(jvztest::waitUntil([&] { return !f.window.Running; }, 5000));
}

TEST(frmAnimCopie, CancelAsksAndOnlyYesCancels)
{
    const struct {
        jvz::MessageAnswer answer;
        bool canceled;
    } cases[] = {{jvz::MessageAnswer::No, false}, {jvz::MessageAnswer::Yes, true}};
    for (const auto& c : cases) {
        AnimFixture f;
        f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 2);
        f.notifier.answers.push_back(c.answer);
        f.window.show();
        f.window.findChild<QPushButton*>(QStringLiteral("BTN_Cancel"))->click();
        ASSERT_EQ(f.notifier.shown.size(), 1u);
        EXPECT_EQ(f.notifier.shown[0].text, QStringLiteral("Stop the copy?"));
        EXPECT_EQ(f.notifier.shown[0].title, QStringLiteral("Copying"));
        EXPECT_EQ(f.notifier.shown[0].icon, jvz::MessageIcon::Question);
        EXPECT_EQ(f.notifier.shown[0].buttons, jvz::MessageButtons::YesNo);
        EXPECT_EQ(f.window.Canceled, c.canceled);
        EXPECT_TRUE(f.window.isVisible()); // the window stays either way
    }
}

// A Yes during the caller's wait ends that wait at the next poll, with the bar not yet full.
TEST(frmAnimCopie, CancelDuringTheWaitEndsIt)
{
    AnimFixture f;
    f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 2);
    f.window.show();
    f.window.LaunchTimer();
    f.window.findChild<QPushButton*>(QStringLiteral("BTN_Cancel"))->click();
    int polls = 0;
    while (f.window.Running && !f.window.Canceled && polls++ < 1000)
        QCoreApplication::processEvents();
    EXPECT_TRUE(f.window.Canceled);
    EXPECT_EQ(polls, 0);
}

// Without a clip Qt can play, the place draws its own animation; nothing is reported either way.
TEST(frmAnimCopie, AnimationIsOptional)
{
    const std::string gif(kGif, sizeof kGif - 1);
    const struct {
        const char* what;
        const char* clip; // null: no file; "/": a folder of that name
        std::string bytes;
        bool plays;
    } cases[] = {
        {"no clip", nullptr, {}, false},
        {"a folder of the clip's name", "/", {}, false},
        {"not a format Qt reads", "x", "RIFF0000AVI LISThdrlavih", false},
        {"a GIF cut after its header", "x", gif.substr(0, 13), false},
        {"a GIF", "x", gif, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AnimFixture f;
        const QString clip = f.folder + QStringLiteral("/Filecopy.avi");
        if (c.clip && std::string(c.clip) == "/") {
            ASSERT_TRUE(QDir().mkpath(clip));
        } else if (c.clip) {
            ASSERT_TRUE(jvztest::writeFileBytes(clip.toStdString(), c.bytes));
        }
        f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 1);
        f.window.show();
        QCoreApplication::processEvents(); // a clip's unreadable frame shows at its first frame
        auto* place = f.window.findChild<jvz::CopyAnimation*>(QStringLiteral("anmAVI"));
        ASSERT_NE(place, nullptr);
        QMovie* movie = f.window.findChild<QLabel*>(QStringLiteral("anmAVI"))->movie();
        EXPECT_EQ(movie != nullptr, c.plays);
        EXPECT_EQ(place->isDrawing(), !c.plays);
        if (movie) {
            EXPECT_EQ(movie->state(), QMovie::Running);
        }
        EXPECT_TRUE(f.notifier.shown.empty());
        f.window.close();
        if (movie) {
            EXPECT_EQ(movie->state(), QMovie::NotRunning);
        }
        EXPECT_FALSE(place->isDrawing());
    }
}

// The drawn animation moves on its own timer from init, a file in flight or not, and stands still once the
// window is closed; a second init starts it again.
TEST(frmAnimCopie, DrawnAnimationMovesUntilTheWindowCloses)
{
    AnimFixture f;
    f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 2);
    f.window.show();
    auto* place = f.window.findChild<QWidget*>(QStringLiteral("anmAVI"));
    ASSERT_NE(place, nullptr);
    EXPECT_GE(place->width(), 200);
    EXPECT_GE(place->height(), 40);
    const auto grabTwice = [&] {
        const QImage first = place->grab().toImage();
        QElapsedTimer apart;
        apart.start();
        EXPECT_TRUE(jvztest::waitUntil([&] { return apart.elapsed() >= 250; }));
        return std::make_pair(first, place->grab().toImage());
    };
    const auto [before, after] = grabTwice();
    EXPECT_NE(before, after) << "nothing moved in 250 ms";

    f.window.close();
    const auto [closed, later] = grabTwice();
    EXPECT_EQ(closed, later) << "still moving after the close";

    f.window.init(QStringLiteral("B"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 1);
    f.window.show();
    const auto [again, againLater] = grabTwice();
    EXPECT_NE(again, againLater);
}

// A FIFO (fed by a writer or not) or a device under the clip's name is no clip: the window opens at once,
// its animation's place empty.
TEST(frmAnimCopie, ClipThatIsNoRegularFileIsNoClip)
{
    enum class Kind { Fifo, FifoWithWriter, ZeroDevice };
    const struct {
        const char* label;
        Kind kind;
    } rows[] = {{"a FIFO nobody writes", Kind::Fifo},
                {"a FIFO a writer feeds with a clip", Kind::FifoWithWriter},
                {"an endless zero device", Kind::ZeroDevice}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        AnimFixture f;
        const std::string clip = (f.folder + QStringLiteral("/Filecopy.avi")).toStdString();
        std::unique_ptr<jvztest::FifoReader> readEnd;
        int writeEnd = -1;
        if (r.kind == Kind::ZeroDevice) {
            ASSERT_TRUE(jvztest::makeCharDevice(clip, jvztest::CharDevice::Zero));
        } else {
            ASSERT_TRUE(jvztest::makeFifo(clip));
        }
        if (r.kind == Kind::FifoWithWriter) {
            readEnd = std::make_unique<jvztest::FifoReader>(clip);
            writeEnd = ::open(clip.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(writeEnd, 0);
            ASSERT_EQ(::write(writeEnd, kGif, sizeof kGif - 1), ssize_t(sizeof kGif - 1));
        }
        QElapsedTimer clock;
        clock.start();
        {
            const jvztest::FifoReleaseLater guard(clip, 3000);
            f.window.init(QStringLiteral("A"), languageTable(1), QStringLiteral("x"), QStringLiteral("y"), 1);
        }
        const qint64 ms = clock.elapsed();
        std::cout << "[ row ] clip: " << r.label << ": " << ms << " ms" << std::endl;
        if (writeEnd >= 0)
            ::close(writeEnd);
        EXPECT_LT(ms, jvztest::timeBoundMs(1000));
        EXPECT_EQ(f.window.findChild<QLabel*>(QStringLiteral("anmAVI"))->movie(), nullptr);
    }
}

// The delivered language file carries the blanks of these texts in quotes, which the reader removes.
TEST(frmAnimCopie, DeliveredTextsKeepTheirBlanks)
{
    const struct {
        int column;
        const char* fromTo;
        const char* total;
        const char* warningCaption;
    } cases[] = {{1, "From 'a' to 'b'", "Files: 1/3", "Warning"},
                 {2, "De 'a' vers 'b'", "Fichiers : 1/3", "Avertissement"}};
    for (const auto& c : cases) {
        jvz::MBLanguages language;
        language.init(jvztest::sourceDir() + QStringLiteral("/data/files/JVZ.lng"), static_cast<int16_t>(c.column));
        AnimFixture f;
        f.window.init(QStringLiteral("A"), language, QStringLiteral("a"), QStringLiteral("b"), 3);
        EXPECT_EQ(labelText(f.window, "LBL_FromTo"), QString::fromUtf8(c.fromTo));
        EXPECT_EQ(labelText(f.window, "LBL_TotalFile"), QString::fromUtf8(c.total));
        jvz::FrmWarningMsg warning([] { return false; });
        warning.init(language, QStringLiteral("m"), 0, 0);
        EXPECT_EQ(warning.windowTitle(), QString::fromUtf8(c.warningCaption));
    }
}

// The window as the delivered texts fill it, photographed in each language: every text shows whole.
TEST(frmAnimCopie, ScreenshotInEachLanguage)
{
    const QString shots = jvztest::binDir() + QStringLiteral("/../screenshots");
    ASSERT_TRUE(QDir().mkpath(shots));
    const struct {
        int column;
        const char* shot;
    } cases[] = {{1, "copy_window_en.png"}, {2, "copy_window_fr.png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shot);
        jvz::MBLanguages language;
        language.init(jvztest::sourceDir() + QStringLiteral("/data/files/JVZ.lng"), static_cast<int16_t>(c.column));
        AnimFixture f;
        f.window.init(QStringLiteral("APPLICATION_M40.SGN"), language, QStringLiteral("/home/user/load/M40"),
                      QStringLiteral("\\SWAP\\"), 4);
        f.window.NewFile(QStringLiteral("APPLICATION_M40.SGN"));
        f.window.show();
        QElapsedTimer shown;
        shown.start();
        EXPECT_TRUE(jvztest::waitUntil([&] { return shown.elapsed() >= 300; })); // the sheet on its way
        for (auto* label : f.window.findChildren<QLabel*>()) {
            if (label->objectName() != QStringLiteral("anmAVI")) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
            }
        }
        EXPECT_TRUE(f.window.grab().save(shots + QLatin1Char('/') + QLatin1String(c.shot)));
    }
}
