#pragma once

// The dial-up functions over the pppd link: the phonebook's place, its entries, the dial, the hang-up, the
// link state and the error texts.

#include "platform/PppDialer.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

namespace jvz {

struct BatchErrorCode;
class MbFileIni;
class Notifier;

// One listed phonebook entry.
struct RasEntryItem {
    QString EntryName;
    int16_t Flags = 0;
    QString PhonebookPath;
};

// Answers of the entry test, as callers and messages have always numbered them.
inline constexpr int32_t kEntryExists = 183;
inline constexpr int32_t kEntryAbsent = 0;
inline constexpr int32_t kEntryNameInvalid = 123;
inline constexpr int32_t kPhonebookUnreadable = 621;
// RAS result of a dial refused because the phonebook is not usable.
inline constexpr int32_t kPhonebookNotUsable = -12;

// The dial's time bound from the main INI file: [Protocol] "PPP_DialTimeout", in seconds (1-3600, 60 when
// missing or out of range).
int dialTimeoutMs(const MbFileIni& mainIni);

class RasFunctions {
public:
    // versionCode: the platform version code (the newest one when negative).
    RasFunctions(DialUpLink& link, Notifier& notifier, QString programFolder, int16_t versionCode = -1);

    // Where the program's phonebook is, and whether it can be used (it exists).
    bool GetPhonebookPath(QString& path, const QString& folder = QString()) const;
    // True when the entry is in the phonebook; any other answer is shown in a box.
    bool RasEntryExists(const QString& entryName, const QString& phonebookPath);
    // The entry test's answer without any box.
    int32_t validateEntryName(const QString& entryName, const QString& phonebookPath) const;
    // Fills the list with the phonebook's entries in file order; 0 leaves the list untouched.
    int32_t ListRasEntries(QList<RasEntryItem>& list, const QString& phonebookPath) const;
    // The text of an error number; "" for a number the link never reports.
    static QString RasErrorText(int32_t code);
    // Hangs the link up and waits (bounded) until it is gone; 0 when nothing is left running.
    int32_t RasHangUpConnection();
    // kLinkStateUp or kLinkStateDown (also when no link is known).
    int32_t GetRasConnectionState();
    // Dials the entry; true when the link is up. quiet: no box (batch runs). On failure error receives -8 and
    // a text; rasResult the link's error number (0 when up). A dial stopped by a signal (DialError::Stopped)
    // shows no box and leaves error as it was.
    bool RasConnect(const QString& entryName, const QString& userName, const QString& password, bool quiet,
                    BatchErrorCode& error, const QString& folder, int32_t& rasResult);

    // The addresses of the last dial, for the trace.
    const PppLinkResult& lastDial() const { return m_lastDial; }
    // Receives pppd's address lines after a dial that came up, and the failing dial's last log line.
    void setTrace(std::function<void(const QString&)> trace) { m_trace = std::move(trace); }

private:
    void trace(const QString& line) const;

    DialUpLink& m_link;
    Notifier& m_notifier;
    QString m_programFolder;
    int16_t m_versionCode;
    PppLinkResult m_lastDial;
    std::function<void(const QString&)> m_trace;
};

} // namespace jvz
