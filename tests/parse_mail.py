#!/usr/bin/python3
"""Parses a received message with Python's email package and prints what the
tests compare: parse_mail.py MESSAGE [ATTACHMENT-FILE ...]"""
import email
import email.policy
import sys

raw = open(sys.argv[1], "rb").read()
message = email.message_from_bytes(raw, policy=email.policy.compat32)
print("from=" + message["From"])
print("to=" + str(message["To"]))
subject = [line for line in raw.split(b"\r\n") if line.startswith(b"Subject: ")][0]
print("subject=" + subject[len(b"Subject: "):].hex())
print("date=" + message["Date"])
lines = raw.split(b"\r\n")
print("longest=%d" % max(len(line) for line in lines))
bare = any(b"\r" in line or b"\n" in line for line in lines)
print("bare=%s" % bare)
parts = [p for p in message.walk() if not p.is_multipart()]
body = parts[0]
print("body_charset=" + str(body.get_content_charset()))
print("body=" + body.get_payload(decode=True).hex())
for i, part in enumerate(parts[1:]):
    data = part.get_payload(decode=True)
    expected = open(sys.argv[2 + i], "rb").read() if len(sys.argv) > 2 + i else b""
    print("attachment=%s|%s|%d|%s" % (part.get_filename(), part.get_content_type(), len(data), data == expected))
