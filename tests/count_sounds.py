#!/usr/bin/python3
"""count_sounds.py RAWFILE [--list]: counts the separate sounds in a
recording (signed 16-bit little-endian mono, 44,100 Hz). A sound is a
stretch whose 2 ms windows reach 0.5 % of full scale; stretches less than
100 ms apart belong to one sound. Prints the count; with --list also each
sound's start and length in milliseconds."""
import array
import sys

RATE = 44100
WINDOW = RATE * 2 // 1000
THRESHOLD = 32768 * 0.005
JOIN_MS = 100

samples = array.array("h")
with open(sys.argv[1], "rb") as raw:
    data = raw.read()
samples.frombytes(data[: len(data) // 2 * 2])
if sys.byteorder != "little":
    samples.byteswap()

loud = []
for start in range(0, len(samples), WINDOW):
    window = samples[start : start + WINDOW]
    loud.append(max(window, default=0) >= THRESHOLD or -min(window, default=0) >= THRESHOLD)

sounds = []  # [first window, last window]
for index, is_loud in enumerate(loud):
    if not is_loud:
        continue
    if sounds and (index - sounds[-1][1]) * 2 <= JOIN_MS:
        sounds[-1][1] = index
    else:
        sounds.append([index, index])
print(len(sounds))
if "--list" in sys.argv[2:]:
    for first, last in sounds:
        print(first * 2, (last - first + 1) * 2)
