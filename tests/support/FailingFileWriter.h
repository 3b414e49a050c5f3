#pragma once

#include "platform/FileWriter.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace jvztest {

// A file writer that fails on purpose, for tests of code that saves files. Writes go through the real
// atomic writer, so a failure "half-way" really leaves a partly written temporary file to be discarded.
class FailingFileWriter final : public jvz::FileWriter {
public:
    enum class FailAt {
        Never,  // behaves as the real writer
        Begin,  // the file cannot be started (as with a missing folder)
        Write,  // the write after failAfterBytes bytes fails (as with a full disk)
        Commit, // everything is written, the final rename fails
    };

    explicit FailingFileWriter(FailAt at = FailAt::Write, qsizetype failAfterBytes = 0)
        : m_at(at), m_failAfterBytes(failAfterBytes)
    {
    }

    void setFailure(FailAt at, qsizetype failAfterBytes = 0)
    {
        m_at = at;
        m_failAfterBytes = failAfterBytes;
    }

    int beginCalls() const { return m_beginCalls; }
    int failures() const { return m_failures; }

    std::unique_ptr<jvz::FileReplacement> begin(const QString& path, jvz::FileWriteError* error = nullptr) override
    {
        ++m_beginCalls;
        if (m_at == FailAt::Begin) {
            ++m_failures;
            if (error)
                *error = {ENOSPC, QStringLiteral("injected failure: cannot start %1").arg(path)};
            return nullptr;
        }
        auto real = jvz::AtomicFileWriter::standard().begin(path, error);
        if (!real)
            return nullptr;
        return std::make_unique<Replacement>(*this, std::move(real));
    }

private:
    class Replacement final : public jvz::FileReplacement {
    public:
        Replacement(FailingFileWriter& owner, std::unique_ptr<jvz::FileReplacement> real)
            : m_owner(owner), m_real(std::move(real))
        {
        }

        bool write(QByteArrayView bytes) override
        {
            if (m_owner.m_at == FailAt::Write && m_written + bytes.size() > m_owner.m_failAfterBytes) {
                const qsizetype part = std::max<qsizetype>(0, m_owner.m_failAfterBytes - m_written);
                m_real->write(bytes.first(part));
                return injectedFailure(QStringLiteral("write"));
            }
            m_written += bytes.size();
            return !m_failed && m_real->write(bytes);
        }

        bool commit() override
        {
            if (m_failed)
                return false;
            if (m_owner.m_at == FailAt::Commit)
                return injectedFailure(QStringLiteral("rename"));
            return m_real->commit();
        }

        jvz::FileWriteError error() const override { return m_failed ? m_error : m_real->error(); }

    private:
        bool injectedFailure(const QString& what)
        {
            if (!m_failed)
                ++m_owner.m_failures;
            m_failed = true;
            m_error = {ENOSPC, QStringLiteral("injected failure: %1").arg(what)};
            m_real.reset(); // discards the partly written temporary file
            return false;
        }

        FailingFileWriter& m_owner;
        std::unique_ptr<jvz::FileReplacement> m_real;
        qsizetype m_written = 0;
        bool m_failed = false;
        jvz::FileWriteError m_error;
    };

    FailAt m_at;
    qsizetype m_failAfterBytes;
    int m_beginCalls = 0;
    int m_failures = 0;
};

} // namespace jvztest
