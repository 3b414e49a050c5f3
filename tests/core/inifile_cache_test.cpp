#include "TestEnv.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"

#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace jvz;

namespace {

enum class Identity { Told, Unknown, Constant };

// Counts whole reads; answers the identity as the real reader does, not at all, or always the same.
class CountingReader : public FileReader {
public:
    explicit CountingReader(Identity identity = Identity::Told) : m_identity(identity) {}
    FileReadResult read(const QString& path, qint64 maxBytes) override
    {
        ++reads;
        return PlainFileReader::standard().read(path, maxBytes);
    }
    std::optional<FileIdentity> identity(const QString& path) override
    {
        switch (m_identity) {
        case Identity::Told:
            return PlainFileReader::standard().identity(path);
        case Identity::Unknown:
            return std::nullopt;
        case Identity::Constant:
            return FileIdentity{1, 2, 3, 4, 5};
        }
        return std::nullopt;
    }
    int reads = 0;

private:
    Identity m_identity;
};

// Waits until the file's last change lies in an earlier clock step, so that the real reader tells its
// identity (a file changed within the present step is read anew each time).
void waitUntilSettled(const std::string& path)
{
    QElapsedTimer timer;
    timer.start();
    while (!PlainFileReader::standard().identity(QString::fromStdString(path)) && timer.elapsed() < 5000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(PlainFileReader::standard().identity(QString::fromStdString(path)).has_value()) << path;
}

struct CachedIni {
    std::string path;
    CountingReader reader;
    MbFileIni ini;
    explicit CachedIni(const std::string& bytes, Identity identity = Identity::Told)
        : path(jvztest::makeScratchDir("ini-cache") + "/JVZ.ini"), reader(identity), ini(nullptr, &reader)
    {
        jvztest::writeFileBytes(path, bytes);
        waitUntilSettled(path);
        ini.Create(QString::fromStdString(path));
    }
    QString get(const char* section, const char* key) const { return ini.StringGet(section, key, "dflt"); }
};

const char* const kSettings = "[Options]\r\n"
                              "Debug=no\r\n"
                              "Auto_bmk=Yes\r\n"
                              "[Protocol]\r\n"
                              "IpPort=2000\r\n"
                              "; comment\r\n"
                              "PPP_DialTimeout=60\r\n";

// Rewrites the file under its name without a new inode: the size and, when asked, the old times stay.
void rewriteInPlace(const std::string& path, const std::string& bytes, bool keepTimes)
{
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    if (keepTimes) {
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(::futimens(fd, times), 0);
    } else {
        timespec times[2] = {before.st_atim, before.st_mtim};
        times[1].tv_sec += 7; // a new modification time, whatever the clock says
        ASSERT_EQ(::futimens(fd, times), 0);
    }
    ::close(fd);
}

} // namespace

// Many look-ups of every kind read an unchanged file once, when the reader can tell its identity; a reader
// that cannot reads it for each.
TEST(IniFileCache, UnchangedFileIsReadOnceWhenItsIdentityIsKnown)
{
    for (const auto& [identity, name] : {std::pair{Identity::Told, "told"}, std::pair{Identity::Unknown, "unknown"}}) {
        SCOPED_TRACE(name);
        CachedIni f(kSettings, identity);
        int lookUps = 0;
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(f.get("options", "DEBUG"), "no");
            EXPECT_TRUE(f.ini.BooleanGet("Options", "Auto_bmk"));
            EXPECT_EQ(f.ini.IntegerGet("Protocol", "IpPort"), 2000);
            EXPECT_EQ(f.get("Protocol", "Missing"), "dflt");
            EXPECT_EQ(f.get("Nowhere", "Debug"), "dflt");
            EXPECT_TRUE(f.ini.Readable());
            lookUps += 6;
        }
        f.ini.KeyIteratorCreate("Protocol");
        EXPECT_EQ(f.ini.KeyIterator(), "IpPort");
        EXPECT_EQ(f.ini.KeyIterator(), "PPP_DialTimeout");
        EXPECT_EQ(f.ini.KeyIterator(), "");
        f.ini.SectionIteratorCreate();
        EXPECT_EQ(f.ini.SectionIterator(), "Options");
        EXPECT_EQ(f.ini.SectionIterator(), "Protocol");
        lookUps += 2;
        // A copy shares what was read.
        const MbFileIni copy = f.ini;
        EXPECT_EQ(copy.StringGet("Options", "Debug"), "no");
        ++lookUps;
        EXPECT_EQ(f.reader.reads, identity == Identity::Told ? 1 : lookUps);
    }
}

// Windows copy the program's language table; all copies read the language file once.
TEST(IniFileCache, LanguageTableCopiesShareOneRead)
{
    CachedIni f("[General]\r\nToolMnemo=JVZ,JVZ\r\nmsg_Ok=Done,Fait\r\n[frmMain]\r\nCaption=Main,Principal\r\n");
    auto shared = std::make_shared<MbFileIni>(nullptr, &f.reader);
    MBLanguages program;
    program.SetLanguageIni(shared);
    program.init(QString::fromStdString(f.path), 2);
    MBLanguages window;
    window.Copy(program);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(window.GetLongCaption("frmMain"), "JVZ -  - [Principal]");
        EXPECT_EQ(window.GetFormLabel("msg_Ok"), "Fait");
        EXPECT_EQ(program.GetGeneralLabel("msg_Ok"), "Fait");
    }
    EXPECT_EQ(f.reader.reads, 1);
}

// Another program's change is seen at the next look-up, whether made a moment ago or long enough ago for
// the file to carry settled times again; and once settled the new file is again read only once.
TEST(IniFileCache, ChangesByAnotherWriterAreSeenAtTheNextLookUp)
{
    const std::string changed = "[Options]\r\n"
                                "Debug=on\r\n" // same size as before
                                "Auto_bmk=Yes\r\n"
                                "[Protocol]\r\n"
                                "IpPort=2001\r\n"
                                "; comment\r\n"
                                "PPP_DialTimeout=60\r\n";
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> change;
        const char* debug;
        const char* port;
    };
    const Case cases[] = {
        {"in place, same size, new modification time", [&](const std::string& p) { rewriteInPlace(p, changed, false); },
         "on", "2001"},
        {"in place, same size, old times put back", [&](const std::string& p) { rewriteInPlace(p, changed, true); },
         "on", "2001"},
        {"replaced by rename",
         [&](const std::string& p) {
             ASSERT_TRUE(jvztest::writeFileBytes(p + ".new", changed));
             ASSERT_EQ(std::rename((p + ".new").c_str(), p.c_str()), 0);
         },
         "on", "2001"},
        {"grown", [&](const std::string& p) { jvztest::writeFileBytes(p, changed + "[More]\r\nX=1\r\n"); }, "on",
         "2001"},
        {"removed", [](const std::string& p) { ASSERT_EQ(::unlink(p.c_str()), 0); }, "dflt", "dflt"},
        {"replaced by a folder",
         [](const std::string& p) {
             ASSERT_EQ(::unlink(p.c_str()), 0);
             ASSERT_EQ(::mkdir(p.c_str(), 0700), 0);
         },
         "dflt", "dflt"},
    };
    for (const Case& c : cases) {
        for (const bool settle : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (settle ? ", settled" : ", at once"));
            CachedIni f(kSettings);
            EXPECT_EQ(f.get("Options", "Debug"), "no");
            EXPECT_EQ(f.reader.reads, 1);
            const bool gone = std::string(c.debug) == "dflt";
            c.change(f.path);
            if (settle && !gone)
                waitUntilSettled(f.path);
            EXPECT_EQ(f.get("Options", "Debug"), c.debug);
            EXPECT_EQ(f.get("Protocol", "IpPort"), c.port);
            EXPECT_EQ(f.ini.Readable(), !gone);
            if (settle && !gone) {
                const int reads = f.reader.reads;
                EXPECT_EQ(f.get("Options", "Debug"), c.debug);
                EXPECT_EQ(f.reader.reads, reads);
            }
        }
    }
}

// Changes following each other within one step of the file system's clock leave the same times behind;
// none of them may be missed.
TEST(IniFileCache, QuickSuccessiveChangesAreNeverMissed)
{
    CachedIni f("[S]\r\nK=0\r\n");
    for (int i = 1; i <= 200; ++i) {
        const std::string value = std::to_string(i % 10);
        rewriteInPlace(f.path, "[S]\r\nK=" + value + "\r\n", true);
        ASSERT_EQ(f.get("S", "K").toStdString(), value) << "change " << i;
        ASSERT_EQ(f.get("S", "K").toStdString(), value) << "change " << i;
    }
}

// The object's own write is seen at once, even by a reader that claims the file never changes.
TEST(IniFileCache, OwnWritesAreSeenAtOnce)
{
    for (const Identity identity : {Identity::Told, Identity::Constant}) {
        SCOPED_TRACE(int(identity));
        CachedIni f(kSettings, identity);
        EXPECT_EQ(f.get("Options", "Debug"), "no");
        EXPECT_TRUE(f.ini.StringSet("Options", "Debug", "yes"));
        EXPECT_EQ(f.get("Options", "Debug"), "yes");
        EXPECT_TRUE(f.ini.IntegerSet("New", "Count", 3));
        EXPECT_EQ(f.ini.IntegerGet("New", "Count"), 3);
        f.ini.SectionIteratorCreate();
        EXPECT_EQ(f.ini.SectionIterator(), "Options");
        EXPECT_EQ(f.ini.SectionIterator(), "Protocol");
        EXPECT_EQ(f.ini.SectionIterator(), "New");
        EXPECT_EQ(jvztest::readFileBytes(f.path),
                  std::string(kSettings).replace(17, 2, "yes") + "\r\n[New]\r\nCount=3\r\n");
    }
}

// Opening another file forgets the one read before, even when the reader cannot tell them apart.
TEST(IniFileCache, AnotherFileIsReadAfresh)
{
    CachedIni f(kSettings, Identity::Constant);
    EXPECT_EQ(f.get("Options", "Debug"), "no");
    const std::string other = jvztest::makeScratchDir("ini-other") + "/other.ini";
    jvztest::writeFileBytes(other, "[Options]\r\nDebug=other\r\n");
    f.ini.Create(QString::fromStdString(other));
    EXPECT_EQ(f.get("Options", "Debug"), "other");
    EXPECT_EQ(f.reader.reads, 2);
}

// The real reader tells only a regular file, and tells the fields that make it the same file.
TEST(IniFileCache, PlainReaderTellsRegularFilesOnly)
{
    const std::string dir = jvztest::makeScratchDir("ini-identity");
    const std::string plain = dir + "/plain.ini";
    jvztest::writeFileBytes(plain, "[S]\r\nK=v\r\n");
    const std::string fifo = dir + "/pipe.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    waitUntilSettled(plain);
    PlainFileReader& reader = PlainFileReader::standard();
    EXPECT_FALSE(reader.identity(QString()).has_value());
    EXPECT_FALSE(reader.identity(QString::fromStdString(dir)).has_value());
    EXPECT_FALSE(reader.identity(QString::fromStdString(fifo)).has_value());
    EXPECT_FALSE(reader.identity(QString::fromStdString(dir + "/none.ini")).has_value());
    const std::optional<FileIdentity> id = reader.identity(QString::fromStdString(plain));
    ASSERT_TRUE(id.has_value());
    struct stat st {};
    ASSERT_EQ(::stat(plain.c_str(), &st), 0);
    EXPECT_EQ(id->inode, st.st_ino);
    EXPECT_EQ(id->device, st.st_dev);
    EXPECT_EQ(id->size, 10);
    EXPECT_EQ(id->modifiedNs, qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec);
    EXPECT_EQ(id->changedNs, qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec);
    EXPECT_EQ(reader.identity(QString::fromStdString(plain)), id);
}
