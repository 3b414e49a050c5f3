// The program's readers of local files given a FIFO (no writer, so a plain open would wait for ever) where
// they expect a file: each fails as it fails for a file it cannot open, and at once.

#include "BoundedCall.h"
#include "SpecialFiles.h"
#include "TestEnv.h"
#include "TimeBound.h"
#include "platform/FileWriter.h"
#include "terminal_files/MbCertifReadWrite.h"
#include "terminal_files/TerminalFetch.h"
#include "workspace/BookmarkFile.h"
#include "workspace/CatalogueCopy.h"
#include "workspace/CatalogueFamily.h"
#include "workspace/ProductCodes.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

using namespace jvz;

TEST(LocalReaders, AFifoWhereAFileIsReadFailsAsThatReadersFailureAtOnce)
{
    const struct {
        const char* label;
        const char* name; // of the FIFO
        // Runs the reader over the FIFO at path (in folder); true when it failed as it should.
        std::function<bool(const QString& folder, const QString& path)> failsAsUsual;
    } rows[] = {
        {"catalogue copy: its source", "A.M40",
         [](const QString&, const QString& path) {
             const auto outcomes = copyCatalogues({path}, QStringLiteral("M23"), AtomicFileWriter::standard());
             return outcomes.size() == 1 && outcomes[0].kind == CatalogueCopyOutcome::Kind::Failed;
         }},
        {"bookmark file", "JVZ.bmk",
         [](const QString&, const QString& path) {
             return BookmarkFile::read(path).status == BookmarkRead::Status::Unreadable;
         }},
        {"family being appended to", "FAM.M40",
         [](const QString& folder, const QString&) {
             FamilyRequest request;
             request.folder = folder;
             request.name = QStringLiteral("FAM");
             request.extension = QStringLiteral(".M40");
             request.description = QStringLiteral("family");
             const FamilyResult result = buildFamily(request, AtomicFileWriter::standard());
             return !result.familyWritten && result.problems.size() == 1 &&
                    result.problems[0].kind == FamilyProblem::Kind::FamilyWriteFailed;
         }},
        {"product codes of the authoring", "JVZ.prm",
         [](const QString&, const QString& path) {
             QStringList lines;
             return !readProductCodeFile(path, lines) && lines.isEmpty();
         }},
        {"signed file read before its signature is written", "APP.SGN",
         [](const QString&, const QString& path) {
             MbCertifReadWrite certificate(AtomicFileWriter::standard());
             certificate.init(path);
             certificate.setSignature(QString(256, QLatin1Char('A')));
             return certificate.WriteSignature() == CertifResult::WriteError;
         }},
        {"terminal's activity file fetched to the disk", "ACTIVITY.INF",
         [](const QString&, const QString& path) { return !readDiskFreeSize(path).has_value(); }},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        const QString folder = QString::fromStdString(jvztest::makeScratchDir("reader"));
        const QString path = folder + QLatin1Char('/') + QLatin1String(r.name);
        ASSERT_TRUE(jvztest::makeFifo(path.toStdString()));
        bool failed = false;
        const long long ms =
            jvztest::boundedCall([&] { failed = r.failsAsUsual(folder, path); }, jvztest::timeBoundMs(1000),
                                 [&] { jvztest::releaseFifo(path.toStdString()); });
        std::cout << "[ row ] " << r.label << ": " << ms << " ms" << std::endl;
        EXPECT_GE(ms, 0) << "the reader waited on the FIFO";
        EXPECT_TRUE(failed);
        EXPECT_TRUE(jvztest::isFifo(path.toStdString())) << "left as it was";
    }
}
