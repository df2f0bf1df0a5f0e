#!/usr/bin/env python3
"""Prints the clock offset in milliseconds for the clock-shifting library (clockshift.c):
"25d" (any number of days) for a machine up that long, "wrap:S" for one whose tick count wraps
S seconds from now (after one whole round: 49.7 days up). Wine's tick count follows the raw
monotonic clock."""
import sys
import time

spec = sys.argv[1]
now = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) // 1_000_000
if spec.startswith("wrap:"):
    at = now + int(spec[5:]) * 1000
    print(2**32 + (-at) % 2**32)
elif spec.endswith("d"):
    print(int(spec[:-1]) * 86_400_000)
else:
    sys.exit(f"shift.py: unknown uptime {spec!r}")
