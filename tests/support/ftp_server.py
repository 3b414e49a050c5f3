#!/usr/bin/python3
# FTP server for the tests: plays the terminal's FTP side over one folder, on a loopback address only
# (127.0.0.1 unless --host names another address of 127.0.0.0/8).
# Prints "PORT <n>" once it listens. It ends when its standard input closes (the test process went away)
# or after --max-seconds, so a crashed test never leaves it behind.
# With --armed-by-signal the hostile behaviours (pace, silence, endless listing or fetch, data connections that
# never open, dropped connections, over-long or closing replies) wait for SIGUSR2: the session is set up as a sound
# terminal's, then turns hostile.
import argparse
import logging
import os
import signal
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS, FilesystemError
from pyftpdlib.handlers import BufferedIteratorProducer, DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer, ThreadedFTPServer


class BackslashFS(AbstractedFS):
    """The terminal writes its paths with backslashes (\\SWAP\\, ..\\SWAP); the folder uses slashes."""

    def ftpnorm(self, ftppath):
        return super().ftpnorm(ftppath.replace("\\", "/"))


class PacedDTPHandler(DTPHandler):
    """A data channel that moves at most `rate` bytes a second either way (0: as fast as it can) and, once
    `silent_after` bytes are out (-1: never), sends nothing more, keeping the connection open: a crawling or
    stalled terminal."""
    rate = 0
    silent_after = -1

    def __init__(self, sock, cmd_channel):
        if not hostility.armed:
            self.rate = 0
            self.silent_after = -1
        super().__init__(sock, cmd_channel)
        self._paced_sent = 0
        self._paced_received = 0
        self._paced_start = time.monotonic()
        self._paced_timer = None
        if self.rate > 0:
            self.ac_in_buffer_size = max(1, min(self.ac_in_buffer_size, self.rate // 10))

    def use_sendfile(self):
        return False

    def _pause(self, seconds):
        self.del_channel()
        if seconds is None:
            return  # silent for good
        if self._paced_timer is not None and not self._paced_timer.cancelled:
            self._paced_timer.cancel()

        def resume():
            if not self._closed:
                self.add_channel(events=self.ioloop.READ if self.receive else self.ioloop.WRITE)

        self._paced_timer = self.ioloop.call_later(seconds, resume, _errback=self.handle_error)

    def send(self, data):
        room = len(data)
        if self.silent_after >= 0:
            room = min(room, self.silent_after - self._paced_sent)
            if room <= 0:
                self._pause(None)
                return 0
        if self.rate > 0:
            elapsed = time.monotonic() - self._paced_start
            # A burst of a tenth of a second at most, so the rate holds over any second.
            allowed = int(elapsed * self.rate) + max(1, self.rate // 10) - self._paced_sent
            if allowed <= 0:
                self._pause(max(0.01, (self._paced_sent - elapsed * self.rate) / self.rate))
                return 0
            room = min(room, allowed)
        sent = super().send(data[:room])
        self._paced_sent += sent
        return sent

    def recv(self, buffer_size):
        chunk = super().recv(buffer_size)
        if self.rate > 0 and chunk:
            self._paced_received += len(chunk)
            ahead = self._paced_received / self.rate - (time.monotonic() - self._paced_start)
            if ahead > 0:
                self._pause(ahead)
        return chunk

    def close(self):
        if self._paced_timer is not None and not self._paced_timer.cancelled:
            self._paced_timer.cancel()
        super().close()


class Hostility:
    """Whether the hostile behaviours apply yet (a data connection takes what holds when it opens)."""
    armed = True


hostility = Hostility()


def endless_listing():
    number = 0
    while True:
        number += 1
        yield ("-rw-r--r--   1 owner    group        1024 Jan 01 00:00 FILE%06d.BIN\r\n" % number).encode()


def endless_bytes():
    chunk = bytes(range(256)) * 256
    while True:
        yield chunk


def file_then_extra(fd, extra):
    """A file's bytes, then `extra` bytes more: a file larger than its listing said."""
    try:
        while True:
            chunk = fd.read(65536)
            if not chunk:
                break
            yield chunk
    finally:
        fd.close()
    while extra > 0:
        part = min(extra, 65536)
        extra -= part
        yield b"+" * part


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--log", required=True, help="file that receives every command line, one a line")
    parser.add_argument("--max-seconds", type=float, default=300.0)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0, help="0: a free port")
    parser.add_argument("--threaded", action="store_true",
                        help="one thread per connection instead of one event loop for all (no SIGUSR1 hang-up)")
    parser.add_argument("--never-open-data", action="store_true",
                        help="accept PORT but never connect: transfers wait for a data connection that never comes")
    parser.add_argument("--early-preliminary-reply", action="store_true",
                        help="with --never-open-data: send the next transfer's 150 reply together with PORT's")
    parser.add_argument("--data-rate", type=int, default=0,
                        help="bytes a second every data connection moves at most (LIST, RETR, STOR); 0: no limit")
    parser.add_argument("--data-silent-after", type=int, default=-1,
                        help="bytes after which a data connection sends nothing more and stays open; -1: never")
    parser.add_argument("--endless-listing", action="store_true", help="LIST sends lines and never ends")
    parser.add_argument("--listing", help="file whose bytes answer every LIST, whatever the folder holds")
    parser.add_argument("--armed-by-signal", action="store_true",
                        help="serve as a sound terminal until SIGUSR2, then turn hostile (logs #armed)")
    parser.add_argument("--refuse", action="append", default=[],
                        help="command lines starting with this are answered 550 and not carried out (repeatable)")
    parser.add_argument("--endless-retr", action="append", default=[], metavar="NAME",
                        help="RETR of this name (as sent) sends bytes for ever, paced by --data-rate (repeatable)")
    parser.add_argument("--retr-extra", type=int, default=0, metavar="N",
                        help="every RETR sends N bytes more than the file holds (not armed: always)")
    parser.add_argument("--drop-at", action="append", default=[], metavar="VERB",
                        help="on this command the server closes the control connection unanswered (repeatable)")
    parser.add_argument("--long-reply-at", action="append", default=[], metavar="VERB",
                        help="this command is answered with one reply line of 1 MiB, then nothing (repeatable)")
    parser.add_argument("--closing-reply-at", action="append", default=[], metavar="VERB",
                        help="this command is answered 421 and the control connection closed (repeatable)")
    args = parser.parse_args()
    drop_at = {verb.upper() for verb in args.drop_at}
    long_reply_at = {verb.upper() for verb in args.long_reply_at}
    closing_reply_at = {verb.upper() for verb in args.closing_reply_at}
    if not args.host.startswith("127.") or not 0 <= args.port <= 65535:
        sys.exit("loopback addresses and TCP ports only")

    logging.basicConfig(level=logging.ERROR)
    log = open(args.log, "a", encoding="utf-8", errors="replace")
    lock = threading.Lock()

    class Handler(FTPHandler):
        abstracted_fs = BackslashFS
        permit_foreign_addresses = False
        banner = "terminal ready"
        auth_failed_timeout = 0.05

        def log_line(self, text):
            with lock:
                log.write(text + "\n")
                log.flush()

        raw_arg = ""

        def pre_process_command(self, line, cmd, arg):
            self.log_line(line)
            if hostility.armed and cmd in drop_at:
                self.log_line("#dropped")
                self.close()
                return
            if hostility.armed and cmd in long_reply_at:
                self.log_line("#long-reply")
                self.push("550 " + "x" * (1024 * 1024 - 6) + "\r\n")
                return
            if hostility.armed and cmd in closing_reply_at:
                self.log_line("#closing-reply")
                self.respond("421 Terminal busy: closing control connection.")
                self.close_when_done()
                return
            if any(line.startswith(prefix) for prefix in args.refuse):
                self.respond("550 Refused.")
                return
            self.raw_arg = arg
            super().pre_process_command(line, cmd, arg)

        preliminary_sent = False

        def respond(self, resp, *rest, **named):
            # The transfer's 1xx reply went out early with PORT's: a terminal sends it once.
            if self.preliminary_sent and resp.startswith("150"):
                self.preliminary_sent = False
                return
            super().respond(resp, *rest, **named)

        def on_disconnect(self):
            self.log_line("#disconnect")

        if args.listing:
            def ftp_LIST(self, path):
                with open(args.listing, "rb") as canned:
                    self.push_dtp_data(canned.read(), isproducer=False, cmd="LIST")
                return path

        if args.never_open_data:
            def ftp_PORT(self, line):
                if not hostility.armed:
                    return super().ftp_PORT(line)
                if args.early_preliminary_reply:
                    # The transfer command's 1xx reply goes out with this one, so the client finds it already
                    # there when it sends the command.
                    self.respond("200 Active data connection established.\r\n"
                                 "150 File status okay. About to open data connection.")
                    self.preliminary_sent = True
                    return
                self.respond("200 Active data connection established.")

        if args.data_rate > 0 or args.data_silent_after >= 0:
            dtp_handler = type("Paced", (PacedDTPHandler,),
                               {"rate": args.data_rate, "silent_after": args.data_silent_after})

        if args.endless_listing:
            def ftp_LIST(self, path):
                if not hostility.armed:
                    return super().ftp_LIST(path)
                self.push_dtp_data(BufferedIteratorProducer(endless_listing()), isproducer=True, cmd="LIST")
                return path

        if args.endless_retr or args.retr_extra > 0:
            def ftp_RETR(self, file):
                if hostility.armed and self.raw_arg in args.endless_retr:
                    self.push_dtp_data(BufferedIteratorProducer(endless_bytes()), isproducer=True, cmd="RETR")
                    return file
                if args.retr_extra <= 0:
                    return super().ftp_RETR(file)
                try:
                    fd = self.run_as_current_user(self.fs.open, file, "rb")
                except (EnvironmentError, FilesystemError) as err:
                    self.respond("550 %s." % err)
                    return None
                self.push_dtp_data(BufferedIteratorProducer(file_then_extra(fd, args.retr_extra)),
                                   isproducer=True, cmd="RETR")
                return file

    hostility.armed = not args.armed_by_signal
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    Handler.authorizer = authorizer

    server = (ThreadedFTPServer if args.threaded else FTPServer)((args.host, args.port), Handler)
    port = server.socket.getsockname()[1]

    def watch_stdin():
        try:
            while sys.stdin.buffer.read(4096):
                pass
        finally:
            os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    threading.Timer(args.max_seconds, lambda: os._exit(3)).start()

    # SIGUSR1 hangs up every control connection, as a terminal that drops the session does. The close runs
    # from the loop (polled every 0.1 s), never inside the signal handler.
    def hang_up_all():
        for channel in list(server.ioloop.socket_map.values()):
            if isinstance(channel, Handler):
                channel.close()

    signal.signal(signal.SIGUSR1, lambda *_: server.ioloop.call_later(0, hang_up_all))

    def arm():
        hostility.armed = True
        with lock:
            log.write("#armed\n")
            log.flush()

    signal.signal(signal.SIGUSR2, lambda *_: server.ioloop.call_later(0, arm))

    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    server.serve_forever(timeout=0.1, handle_exit=False)


if __name__ == "__main__":
    main()
