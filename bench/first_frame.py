#!/usr/bin/env python3
"""Start-up time of a program under Wine: from starting its process to the
first frame that shows the saver's head colour (0, 255, 0) on the screen.

The screen is read from the framebuffer file of an Xvfb started with -fbdir,
an XWD image that takes a millisecond or two to search; reading the screen
back through Wine (GetDC(NULL) and BitBlt) takes 100 to 300 ms a look here.

    first_frame.py FRAMEBUFFER COUNT COMMAND...

Prints "start-ms N" for each of COUNT starts, then "poll-ms N", how long one
look at the screen takes: the resolution of the figures."""
import mmap
import struct
import subprocess
import sys
import time

HEAD = b"\x00\xff\x00"  # blue, green, red in memory; the fourth byte is unused
TIMEOUT = 15


def pixels_offset(image):
    """Where the pixels start: after the XWD header and its colour table."""
    fields = struct.unpack(">25I", image[:100])
    header_size, byte_order, bits_per_pixel, colours = fields[0], fields[7], fields[11], fields[19]
    if bits_per_pixel != 32 or byte_order != 0:
        sys.exit("first_frame.py: expected 32-bit pixels, least significant byte first")
    return header_size + 12 * colours


def shows_head(image, start):
    at = image.find(HEAD, start)
    while at != -1 and (at - start) % 4:  # only whole pixels count
        at = image.find(HEAD, at + 1)
    return at != -1


def wait_for(image, start, shown):
    deadline = time.monotonic() + TIMEOUT
    while shows_head(image, start) != shown:
        if time.monotonic() > deadline:
            return False
        time.sleep(0.001)
    return True


def main():
    framebuffer, count, command = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    with open(framebuffer, "rb") as file:
        image = mmap.mmap(file.fileno(), 0, prot=mmap.PROT_READ)
    start = pixels_offset(image)
    if not wait_for(image, start, False):
        sys.exit("first_frame.py: the head colour is on the screen before any start")
    for _ in range(count):
        began = time.monotonic()
        process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_for(image, start, True):
            process.kill()
            sys.exit(f"first_frame.py: no frame from {command} within {TIMEOUT} s")
        print(f"start-ms {1000 * (time.monotonic() - began):.1f}", flush=True)
        process.terminate()
        process.wait(TIMEOUT)
        # The next start must neither see this one's pixels nor find its
        # window still there (the saver runs once at a time).
        if not wait_for(image, start, False):
            sys.exit("first_frame.py: the frame stays after the program ended")
        time.sleep(0.5)
    began = time.monotonic()
    for _ in range(10):
        shows_head(image, start)
    print(f"poll-ms {100 * (time.monotonic() - began):.1f}")


main()
