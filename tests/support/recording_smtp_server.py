#!/usr/bin/python3
"""A real SMTP server on 127.0.0.1 for end-to-end tests, built on aiosmtpd.

Usage: recording_smtp_server.py FOLDER [options]

Listens on a free port of 127.0.0.1 and prints that port on the first line of standard
output. Every accepted message is stored as FOLDER/NNNN.eml, exactly as received (with the
dot transparency undone), and FOLDER/index gets one line per message:
    NNNN.eml CONNECTION RECIPIENT...
where CONNECTION numbers the connections in the order they were accepted, so a test can
tell which messages travelled over one connection. FOLDER/NNNN.json tells how the message
came: connection, TLS or not, the user logged in, the greeting name, EHLO or HELO, sender
and recipients. Runs until it is terminated.

Options for mail submission:
  --cert FILE --key FILE   the server's certificate chain and key
  --starttls               offer STARTTLS (needs --cert)
  --implicit-tls           TLS from the first byte (needs --cert)
  --user U --password P    offer AUTH and take this login only
  --no-plain               offer AUTH LOGIN but not PLAIN
  --size N                 announce SIZE N and refuse larger messages
  --refuse-ehlo            answer EHLO with 502, as a server of old
"""
import argparse
import asyncio
import itertools
import json
import os
import ssl

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Recorder:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        name = "%04d.eml" % self.count
        with open(os.path.join(self.folder, name), "wb") as mail:
            mail.write(envelope.original_content)
        facts = json.dumps({"connection": session.connection_number,
                            "tls": server.transport.get_extra_info("ssl_object") is not None,
                            "user": session.auth_data.login.decode() if session.authenticated else None,
                            "greeting": session.host_name,
                            "extended": session.extended_smtp,
                            "mail_from": envelope.mail_from,
                            "rcpt_tos": envelope.rcpt_tos})
        with open(os.path.join(self.folder, "%04d.json" % self.count), "w") as file:
            file.write(facts)
        with open(os.path.join(self.folder, "index"), "a") as index:
            index.write("%s %d %s\n" % (name, session.connection_number, " ".join(envelope.rcpt_tos)))
        return "250 Message accepted"


class NumberedSMTP(SMTP):
    connections = itertools.count(1)
    refuse_ehlo = False

    def connection_made(self, transport):
        super().connection_made(transport)
        self.session.connection_number = next(NumberedSMTP.connections)

    async def smtp_EHLO(self, hostname):
        if NumberedSMTP.refuse_ehlo:
            await self.push("502 5.5.2 Error: command not recognized")
            return
        await super().smtp_EHLO(hostname)


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == user.encode()
              and auth_data.password == password.encode())
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)
    return authenticate


async def serve(options):
    recorder = Recorder(options.folder)
    NumberedSMTP.refuse_ehlo = options.refuse_ehlo
    context = None
    if options.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.cert, options.key)
    settings = dict(data_size_limit=options.size, command_call_limit=None, hostname="recorder.test")
    if options.starttls:
        settings.update(tls_context=context, require_starttls=True)
    if options.user:
        # The client may log in over plain text on loopback only; the tests check that it
        # refuses to elsewhere, so the server does not insist.
        settings.update(authenticator=make_authenticator(options.user, options.password),
                        auth_require_tls=False,
                        auth_exclude_mechanism=["PLAIN"] if options.no_plain else None)
    loop = asyncio.get_running_loop()
    # No command-count limit: a split job sends MAIL, RCPT and DATA once per piece.
    server = await loop.create_server(lambda: NumberedSMTP(recorder, **settings), "127.0.0.1", 0,
                                      ssl=context if options.implicit_tls else None)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


if __name__ == "__main__":
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("folder")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--no-plain", action="store_true")
    parser.add_argument("--size", type=int, default=None)
    parser.add_argument("--refuse-ehlo", action="store_true")
    options = parser.parse_args()
    os.makedirs(options.folder, exist_ok=True)
    asyncio.run(serve(options))
