#pragma once

#include "platform/FtpClient.h"
#include "platform/PppDialer.h"

#include <cstdint>

namespace jvz {

// Every bound of a wait of a second or more, in one place (polls and ticks stay beside their loops). The program
// always runs with these values; tests that run it in the process hand their hosts a shortened copy instead of
// waiting them out.
struct RuntimeTimings {
    int firstAnswerMs = 20000;       // from the dial to the terminal's call
    int answerMs = 30000;            // from a frame to the terminal's answer, per round
    int watchdogTickMs = 60000;      // one tick of the connection watchdog
    int16_t watchdogTicks = 60;      // ticks after which the connection is ended
    int closeDelayMs = 200;          // from the terminal's close to ours
    int batchWaitMs = 8000;          // before an unattended run disconnects
    int endCloseWaitMs = 30000;      // from the session end to the terminal's close
    int quitMessageMs = 2000;        // a batch run's closing message stands this long before the program ends
    int quitLinkDownWaitMs = 30000;  // a user's quit waits at most this long for the link to go down
    int statusMessageMs = 20000;     // a favourites message stands this long in the status bar
    int copyAnimationWaitMs = 30000; // a file's copy animation is waited for at most this long
    int folderReadWaitMs = 60000;    // a local folder read (a hung network mount) is waited for at most this long
    int socketLingerMs = 5000;       // a closed session socket gets this long to send what is left, then is cut
    PppDialerTimes ppp;              // the dial bound (the settings file may replace it) and the hang-up waits
    // The FTP client's bounds. Its control connection lasts idle until the watchdog ends the connection.
    FtpTimeouts ftp{.idleKeepSeconds = int((qint64(watchdogTickMs) * watchdogTicks + 999) / 1000)};
};

} // namespace jvz
