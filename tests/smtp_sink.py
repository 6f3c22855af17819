#!/usr/bin/python3
"""A real SMTP server for the tests: aiosmtpd on HOST:PORT, saving every
received message as DIR/<n>.eml and its envelope as DIR/<n>.env.
Prints "ready" once it listens and runs until standard input closes.

Options after HOST PORT DIR:
  --starttls CERT KEY      offer STARTTLS with this certificate
  --implicit CERT KEY      TLS from the first byte (SMTPS)
  --login USER PASSWORD    require AUTH with these (over TLS only)
  --only-login             offer AUTH LOGIN only, not PLAIN
Every AUTH attempt is written to DIR/auth.log as "MECHANISM USER ok|wrong"."""
import logging
import os
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Save:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".eml", "wb") as out:
            out.write(envelope.original_content)
        with open(base + ".env", "w") as out:
            out.write("\n".join([envelope.mail_from] + list(envelope.rcpt_tos)) + "\n")
        return "250 OK saved"


def context(cert, key):
    made = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    made.load_cert_chain(cert, key)
    return made


# aiosmtpd 1.4 logs a warning about its own use of a deprecated session field.
logging.getLogger("mail.log").setLevel(logging.ERROR)

host, port, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
options = sys.argv[4:]
settings = dict(hostname=host, port=port, data_size_limit=200_000_000)
login = None
while options:
    option = options.pop(0)
    if option == "--starttls":
        settings["tls_context"] = context(options.pop(0), options.pop(0))
    elif option == "--implicit":
        settings["ssl_context"] = context(options.pop(0), options.pop(0))
    elif option == "--login":
        login = (options.pop(0).encode(), options.pop(0).encode())
    elif option == "--only-login":
        settings["auth_exclude_mechanism"] = ["PLAIN"]

if login is not None:

    def check(server, session, envelope, mechanism, auth_data):
        good = (auth_data.login, auth_data.password) == login
        with open(os.path.join(folder, "auth.log"), "a") as out:
            out.write(f"{mechanism} {auth_data.login.decode()} {'ok' if good else 'wrong'}\n")
        return AuthResult(success=good)

    # aiosmtpd counts only STARTTLS as TLS for auth_require_tls; with TLS
    # from the first byte the whole connection is encrypted anyway.
    settings.update(authenticator=check, auth_required=True,
                    auth_require_tls="ssl_context" not in settings)

controller = Controller(Save(folder), **settings)
controller.start()
print("ready", flush=True)
sys.stdin.read()
controller.stop()
