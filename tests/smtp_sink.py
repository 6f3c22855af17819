#!/usr/bin/python3
"""A real SMTP server for the tests: aiosmtpd on HOST:PORT, saving every
received message as DIR/<n>.eml and its envelope as DIR/<n>.env.
Prints "ready" once it listens and runs until standard input closes."""
import os
import sys

from aiosmtpd.controller import Controller


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


host, port, folder = sys.argv[1], int(sys.argv[2]), sys.argv[3]
controller = Controller(Save(folder), hostname=host, port=port, data_size_limit=200_000_000)
controller.start()
print("ready", flush=True)
sys.stdin.read()
controller.stop()
