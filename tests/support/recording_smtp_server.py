#!/usr/bin/python3
"""A real SMTP server on 127.0.0.1 for end-to-end tests, built on aiosmtpd.

Usage: recording_smtp_server.py FOLDER

Listens on a free port of 127.0.0.1 and prints that port on the first line of standard
output. Every accepted message is stored as FOLDER/NNNN.eml, exactly as received (with the
dot transparency undone), and FOLDER/index gets one line per message:
    NNNN.eml CONNECTION RECIPIENT...
where CONNECTION numbers the connections in the order they were accepted, so a test can
tell which messages travelled over one connection. Runs until it is terminated.
"""
import asyncio
import itertools
import os
import sys

from aiosmtpd.smtp import SMTP


class Recorder:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        name = "%04d.eml" % self.count
        with open(os.path.join(self.folder, name), "wb") as mail:
            mail.write(envelope.original_content)
        with open(os.path.join(self.folder, "index"), "a") as index:
            index.write("%s %d %s\n" % (name, session.connection_number, " ".join(envelope.rcpt_tos)))
        return "250 Message accepted"


class NumberedSMTP(SMTP):
    connections = itertools.count(1)

    def connection_made(self, transport):
        super().connection_made(transport)
        self.session.connection_number = next(NumberedSMTP.connections)


async def serve(folder):
    recorder = Recorder(folder)
    loop = asyncio.get_running_loop()
    # No size or command-count limits: a split job sends MAIL, RCPT and DATA once per piece.
    server = await loop.create_server(
        lambda: NumberedSMTP(recorder, data_size_limit=None, command_call_limit=None,
                             hostname="recorder.test"),
        "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    os.makedirs(sys.argv[1], exist_ok=True)
    asyncio.run(serve(sys.argv[1]))
