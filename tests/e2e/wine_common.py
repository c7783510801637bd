"""What every part of the Wine harness shares: the virtual desktop's name and
size, the time-out of one helper command, and `wait_until`, with which tests
wait for something to happen (never with a bare sleep). Standard library only."""

import time

DESKTOP_NAME = "orvanta"
DESKTOP_SIZE = "1024x768"
POLL_INTERVAL = 0.25
COMMAND_TIMEOUT = 60  # one wine helper command (reg, probe) must finish within this


def wait_until(what, poll, timeout, interval=POLL_INTERVAL, clock=time.monotonic, sleep=time.sleep):
    """Calls `poll` until it returns a truthy value and returns that value.
    Raises TimeoutError("timed out after N s waiting for <what>") otherwise;
    `poll` runs at least once, and once more at the deadline."""
    deadline = clock() + timeout
    while True:
        result = poll()
        if result:
            return result
        if clock() >= deadline:
            raise TimeoutError(f"timed out after {timeout} s waiting for {what}")
        sleep(min(interval, max(0.0, deadline - clock())))
